#include "console/CommandLine.h"

#include "console/CloseCommand.h"
#include "console/TargetNames.h"

namespace {

const char SwitchStart = '-';
const char HelpSwitch[] = "--help";
const char ShortHelpSwitch[] = "-h";
const char SavedSwitch[] = "--saved";
const char AllSwitch[] = "--all";
const char JsonSwitch[] = "--json";
const char YesSwitch[] = "--yes";
const char QuietSwitch[] = "--quiet";

struct VerbName {
    const char* name;
    Verb verb;
};
const VerbName kVerbs[] = {
    {"help", Verb::Help},   {HelpSwitch, Verb::Help},   {ShortHelpSwitch, Verb::Help},
    {"list", Verb::List},   {"preview", Verb::Preview}, {"clean", Verb::Clean},
    {"close", Verb::Close},
};

bool FindVerb(const std::string& word, Verb& verb) {
    for (const VerbName& entry : kVerbs) {
        if (word == entry.name) {
            verb = entry.verb;
            return true;
        }
    }
    return false;
}

// One switch or target name; false (with `error`) for anything else.
bool TakeArgument(const std::string& arg, Command& command, std::string& error) {
    bool* flags[] = {&command.saved, &command.all, &command.json, &command.yes, &command.quiet};
    const char* names[] = {SavedSwitch, AllSwitch, JsonSwitch, YesSwitch, QuietSwitch};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (arg == names[i]) {
            *flags[i] = true;
            return true;
        }
    }
    if (arg[0] == SwitchStart) {
        error = "unknown switch '" + arg + "'";
        return false;
    }
    CleanTarget target;
    if (!FindTarget(arg, target)) {
        error = "unknown target '" + arg + "'; the targets are: " + TargetNameList();
        return false;
    }
    command.named |= 1u << target;
    return true;
}

// What each command accepts, checked once all arguments are read.
bool CheckCombination(const Command& command, std::string& error) {
    const int choices = (command.named != 0) + command.saved + command.all;
    if (command.verb == Verb::List &&
        (choices != 0 || command.json || command.yes || command.quiet))
        error = "list takes no targets or switches";
    else if (choices > 1)
        error = "give target names, --saved or --all: only one of them";
    else if (command.verb == Verb::Preview && command.yes)
        error = "--yes is for clean: a preview changes nothing";
    else if (command.verb == Verb::Clean && command.json)
        error = "--json is for preview";
    else if (command.verb == Verb::Clean && choices == 0)
        error = "no target given: name targets, or use --saved or --all";
    return error.empty();
}

} // namespace

const char kUsageText[] =
    "Usage: QuenbyCmd COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  list                        the targets: short name and the window's label\n"
    "  preview [TARGETS... | --saved | --all] [--json] [--quiet]\n"
    "                              what a clean of those targets would do; changes\n"
    "                              nothing (without targets: the saved selection)\n"
    "  clean (TARGETS... | --saved | --all) [--yes] [--quiet]\n"
    "                              cleans them in the window's order, after asking\n"
    "                              \"Are you sure to clean?\" unless --yes is given\n"
    "  close [--folder DIR]        asks Quenby running from DIR (default: the\n"
    "                              folder of QuenbyCmd) to end as its tray menu's\n"
    "                              \"Exit\" does, and waits for QuenbyCmd running\n"
    "                              there; ends nothing by force (for installers)\n"
    "  --help                      this text\n"
    "\n"
    "  --saved   the selection saved in the window (\"Save check as default\")\n"
    "  --all     all eight targets\n"
    "  --json    the preview in JSON (see README)\n"
    "  --quiet   no progress count; a clean lists only what could not go\n"
    "\n"
    "Exit status: 0 everything selected is gone (or the command succeeded),\n"
    "1 something could not be removed or the question was not answered yes,\n"
    "2 bad input (nothing was cleaned). close: 0 nothing runs from the folder,\n"
    "1 something still runs after 10 seconds (listed).\n";

bool ParseCommandLine(const std::vector<std::string>& args, Command& command, std::string& error) {
    command = Command();
    if (args.empty()) {
        error = "no command given";
        return false;
    }
    if (!FindVerb(args[0], command.verb)) {
        error = "unknown command '" + args[0] + "'";
        return false;
    }
    if (command.verb == Verb::Help)
        return true;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == HelpSwitch || args[i] == ShortHelpSwitch) {
            command.verb = Verb::Help;
            return true;
        }
        if (command.verb == Verb::Close)
            continue; // its own arguments, read below
        if (!TakeArgument(args[i], command, error))
            return false;
    }
    if (command.verb == Verb::Close)
        return ParseCloseArguments(args, command.folder, error);
    return CheckCombination(command, error);
}
