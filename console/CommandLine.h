// The console program's command line: a command, then target names or
// switches. Parsing only reads; nothing is looked up or changed.
#pragma once

#include "settings/SavedSelection.h"

#include <string>
#include <vector>

enum class Verb { Help, List, Preview, Clean, Close };

struct Command {
    Verb verb = Verb::Help;
    // Bit i: target i named on the command line.
    CleanSelection named = 0;
    bool saved = false;
    bool all = false;
    bool json = false;
    bool yes = false;
    bool quiet = false;
    // close: the install folder (empty: the console program's own).
    std::string folder;
};

// Parses the arguments after the program's name. On bad input answers false
// and says why in `error`; the command is then not to be run.
bool ParseCommandLine(const std::vector<std::string>& args, Command& command, std::string& error);

// The text of --help.
extern const char kUsageText[];
