// When a scheduled clean runs, in the words the console program takes and the
// settings keep ("daily 07:30", "weekly monday 07:30", "logon", "off"), and
// the Task Scheduler task that runs it, as the one XML text Quenby registers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class ScheduleKind { Off, Daily, Weekly, Logon };

struct CleanSchedule {
    ScheduleKind kind = ScheduleKind::Off;
    int day = 1; // weekly: 0 Sunday to 6 Saturday, as SYSTEMTIME counts them
    int hour = 0;
    int minute = 0;

    bool operator==(const CleanSchedule& other) const;
    bool operator!=(const CleanSchedule& other) const { return !(*this == other); }
};

constexpr int kDaysInWeek = 7;

// "daily 07:30", "weekly monday 07:30", "logon" or "off".
std::wstring ScheduleText(const CleanSchedule& schedule);
// The same in a sentence's words: "daily at 07:30", "weekly on Monday at 07:30".
std::wstring ScheduleDescription(const CleanSchedule& schedule);

// Reads the words of ScheduleText (case does not count; a day also by its
// first three letters, a time as H:MM or HH:MM). False, with `error`, for
// anything else.
bool ParseSchedule(const std::vector<std::wstring>& words, CleanSchedule& schedule,
                   std::wstring& error);
// The same, from the words of one text separated by blanks.
bool ParseScheduleText(const std::wstring& text, CleanSchedule& schedule, std::wstring& error);
// "07:30" or "7:30" as hour and minute; false for anything else.
bool ParseTime(const std::wstring& text, int& hour, int& minute);
std::wstring TimeText(int hour, int minute);

// The day's English name ("Monday"), day 0 being Sunday.
const wchar_t* DayName(int day);

// What the task runs: the console program beside this program, quoted, and
// the arguments of a clean of the saved selection that asks nothing and
// writes nothing to the console.
constexpr wchar_t kScheduledCleanArguments[] = L"clean --saved --yes --quiet";
std::wstring QuotedProgram(const std::wstring& consoleProgram);
std::wstring ScheduledCommandLine(const std::wstring& consoleProgram);

// The task's folder and its name for the user with this SID: one task per
// user in a folder every user shares.
constexpr wchar_t kTaskFolder[] = L"\\Quenby";
std::wstring ScheduledTaskName(const std::wstring& userSid);

// The whole task, registered as it stands: the schedule's trigger (a time of
// day from the next one after `now`, in local time, or the user's sign-in),
// the user's own interactive token at least privilege with no password, no
// start on batteries, stopped after an hour. Empty when the quoted program
// path is longer than Task Scheduler takes a command (260 characters).
std::wstring ScheduledTaskXml(const CleanSchedule& schedule, const std::wstring& userSid,
                              const std::wstring& consoleProgram, const SYSTEMTIME& now);

// Reads back the schedule and the command line from a task's XML as Task
// Scheduler returns it. False when either is missing (a platform that keeps
// no trigger or action) or is not one this program writes.
bool ReadTaskXml(const std::wstring& xml, CleanSchedule& schedule, std::wstring& commandLine);
// The program of a command line: the quoted path at its start, unquoted.
std::wstring ProgramOf(const std::wstring& commandLine);
