// The scheduled clean as a task of Task Scheduler, through its COM interface
// (ITaskService): registered, replaced, read back and removed. Quenby also
// keeps a copy of the schedule and of the command line it registered, in the
// window program's settings ("Schedule", "ScheduleCommand"), for a platform
// that does not hand a task's trigger and action back.
#pragma once

#include "settings/CleanSchedule.h"

#include <string>

// "QuenbyCmd.exe" in the folder of this program's own file.
std::wstring ConsoleProgramBesideThis();

// The text SetScheduledClean registers for the current user, now.
HRESULT ScheduledTaskXmlNow(const CleanSchedule& schedule, const std::wstring& consoleProgram,
                            std::wstring& xml);

// Registers the current user's task for `schedule`, running `consoleProgram`,
// in place of the one there was, and keeps its copy; Off removes the task and
// the copy. S_OK, or why not (ScheduleFailureText); on failure the copy is
// left as it was.
HRESULT SetScheduledClean(const CleanSchedule& schedule, const std::wstring& consoleProgram);

struct ScheduledClean {
    bool registered = false; // the user's task exists
    bool fromTask = false;   // schedule and command as the task holds them
    CleanSchedule schedule;  // else as Quenby's copy holds them
    std::wstring commandLine;
};
HRESULT ReadScheduledClean(ScheduledClean& clean);

// For uninstallers: removes every user's task of the folder whose program lies
// in `programFolder` (a task whose action cannot be read back counts as one;
// where the platform cannot list a folder, only the current user's task is
// looked at), then the folder once it is empty. `removed` counts them.
HRESULT RemoveScheduledCleansOf(const std::wstring& programFolder, int& removed);

// The copy Quenby keeps: Off with no command when there is none.
struct StoredSchedule {
    CleanSchedule schedule;
    std::wstring commandLine;
};
StoredSchedule ReadStoredSchedule();

// What went wrong, in a sentence for the user.
std::wstring ScheduleFailureText(HRESULT hr);
