// "QuenbyCmd close [--folder DIR]": before an installer replaces or removes
// the files of an install folder, every copy of the window program running
// from that folder is asked to end as its notification-area "Exit" ends it,
// and console programs of that folder (a clean from a scheduled task) are
// waited for. Nothing is ever terminated: what does not end in time is
// reported, and the installer decides.
#pragma once

#include "console/ConsoleStream.h"

#include <string>
#include <vector>

// Reads the arguments of "close" (args[0] is the command itself): only
// --folder DIR. False, with `error`, for anything else.
bool ParseCloseArguments(const std::vector<std::wstring>& args, std::wstring& folder,
                         std::wstring& error);

// Closes and waits for the copies running from `folder` (empty: the folder of
// this program). Answers 0 when nothing of ours runs from there any more, 1
// when something still does (each listed on `out`).
int RunClose(const std::wstring& folder, ConsoleStream& out);
