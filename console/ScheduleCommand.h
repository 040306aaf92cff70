// "QuenbyCmd schedule ...": the scheduled clean from the command line, for
// administrators and scripts, as the options dialog sets it.
//
//   schedule daily HH:MM | weekly DAY HH:MM | logon   registers the user's task
//   schedule ... --xml                               prints it, registers nothing
//   schedule off                                     removes it
//   schedule show                                    what is set, and the last run
//   schedule remove [--folder DIR]                   for uninstallers: every
//                                                    user's task of that folder
#pragma once

#include "console/ConsoleStream.h"
#include "settings/CleanSchedule.h"

#include <string>
#include <vector>

enum class ScheduleAction { Set, Print, Show, Remove };

struct ScheduleRequest {
    ScheduleAction action = ScheduleAction::Show;
    CleanSchedule schedule;
    std::wstring folder; // remove: the install folder (empty: this program's)
};

// Reads the arguments of "schedule" (args[0] is the command itself). False,
// with `error`, for anything else.
bool ParseScheduleArguments(const std::vector<std::wstring>& args, ScheduleRequest& request,
                            std::wstring& error);

// 0 when it is done, 1 when Task Scheduler refused (the reason on `err`).
int RunSchedule(const ScheduleRequest& request, ConsoleStream& out, ConsoleStream& err);
