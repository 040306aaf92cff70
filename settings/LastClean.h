// The report of the last quiet clean, the kind a scheduled task runs: JSON in
// %LOCALAPPDATA%\Quenby\last-clean.json, written by the console program and
// shown by the options dialog and "QuenbyCmd schedule show".
#pragma once

#include <windows.h>

#include <string>

std::wstring LastCleanPath();

// Puts `utf8` in the file's place in one step: it is written and flushed to a
// new file beside it, which then replaces the file. A reader sees the earlier
// report or this one, never a part. False when that fails (the earlier
// report, if any, stays).
bool ReplaceLastClean(const std::string& utf8);

enum class LastCleanState { None, Unreadable, AllGone, NothingChosen, NotAllGone };

struct LastCleanResult {
    LastCleanState state = LastCleanState::None;
    SYSTEMTIME finished = {}; // UTC
};

LastCleanResult ReadLastClean();

// "08/12/2026 07:30: everything chosen is gone." in the user's local time and
// formats; "not yet run." when there is no report.
std::wstring LastCleanText(const LastCleanResult& result);

// "2026-12-08T06:30:02Z": how the report writes a time.
std::string ReportTime(const SYSTEMTIME& utc);
