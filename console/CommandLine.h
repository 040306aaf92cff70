// The console program's command line: a command, then target names or
// switches. Parsing only reads; nothing is looked up or changed.
#pragma once

#include "catalogue/TraceSet.h"
#include "console/ScheduleCommand.h"

#include <string>
#include <vector>

enum class Verb { Help, List, Preview, Clean, Close, Schedule, Definitions };

struct Command {
    Verb verb = Verb::Help;
    // The targets named on the command line.
    TraceSet named;
    bool saved = false;
    // --all: the window's eight (preview, clean); every program (list).
    bool all = false;
    bool json = false;
    bool yes = false;
    bool quiet = false;
    // --keep-site SITE, each time given: sites kept for this run besides
    // those saved in the window.
    std::vector<std::wstring> keepSites;
    // close: the install folder (empty: the console program's own).
    std::wstring folder;
    ScheduleRequest schedule;
};

// Parses the arguments after the program's name. On bad input answers false
// and says why in `error`; the command is then not to be run.
bool ParseCommandLine(const std::vector<std::wstring>& args, Command& command, std::wstring& error);

// The text of --help.
std::wstring UsageText();

// "realplayer, mediaplayer, ...": every valid name, for messages; the entries
// of the cleaning definitions are named by their common start alone.
std::wstring TargetNameList();
