#include "console/CommandLine.h"

#include "console/CloseCommand.h"
#include "moretraces/KeptSites.h"
#include "platform/TextConversion.h"

namespace {

const wchar_t SwitchStart = L'-';
const wchar_t HelpSwitch[] = L"--help";
const wchar_t ShortHelpSwitch[] = L"-h";
const wchar_t SavedSwitch[] = L"--saved";
const wchar_t AllSwitch[] = L"--all";
const wchar_t JsonSwitch[] = L"--json";
const wchar_t YesSwitch[] = L"--yes";
const wchar_t QuietSwitch[] = L"--quiet";
const wchar_t KeepSiteSwitch[] = L"--keep-site";
const wchar_t NameSeparator[] = L", ";
const size_t UsageWidth = 76;

struct VerbName {
    const wchar_t* name;
    Verb verb;
};
const VerbName kVerbs[] = {
    {L"help", Verb::Help},   {HelpSwitch, Verb::Help},      {ShortHelpSwitch, Verb::Help},
    {L"list", Verb::List},   {L"preview", Verb::Preview},   {L"clean", Verb::Clean},
    {L"close", Verb::Close}, {L"schedule", Verb::Schedule}, {L"definitions", Verb::Definitions},
};
// The entries of the cleaning definitions, which may be thousands, stand in
// the lists of names as one; the file is not read for them.
const wchar_t DefinitionNames[] = L"winapp2:NAME";

std::vector<std::wstring> ListedNames() {
    std::vector<std::wstring> names;
    const Catalogue builtIn = Catalogue::BuiltInTraces();
    for (const Trace& trace : builtIn.Traces())
        names.push_back(trace.name);
    names.push_back(DefinitionNames);
    return names;
}

bool FindVerb(const std::wstring& word, Verb& verb) {
    for (const VerbName& entry : kVerbs) {
        if (word == entry.name) {
            verb = entry.verb;
            return true;
        }
    }
    return false;
}

// One switch or target name; false (with `error`) for anything else.
bool TakeArgument(const std::wstring& arg, Command& command, std::wstring& error) {
    bool* flags[] = {&command.saved, &command.all, &command.json, &command.yes, &command.quiet};
    const wchar_t* names[] = {SavedSwitch, AllSwitch, JsonSwitch, YesSwitch, QuietSwitch};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (arg == names[i]) {
            *flags[i] = true;
            return true;
        }
    }
    if (arg[0] == SwitchStart) {
        error = L"unknown switch '" + arg + L"'";
        return false;
    }
    const size_t trace = Catalogue::BuiltIn().IndexOf(arg);
    if (trace == Catalogue::npos) {
        error = L"unknown target '" + arg + L"'; the targets are: " + TargetNameList();
        return false;
    }
    command.named.Add(trace);
    return true;
}

// --keep-site and the site after it, at args[i]; `i` then points at the site.
bool TakeKeepSite(const std::vector<std::wstring>& args, size_t& i, Command& command,
                  std::wstring& error) {
    if (++i >= args.size()) {
        error = std::wstring(KeepSiteSwitch) + L" needs a site, as in " + KeepSiteSwitch +
                L" example.com";
        return false;
    }
    if (sites::KeptSiteOf(args[i]).empty()) {
        error = L"'" + args[i] +
                L"' names no site to keep (a host name or an address; not a "
                L"public suffix such as co.uk)";
        return false;
    }
    command.keepSites.push_back(args[i]);
    return true;
}

// What each command accepts, checked once all arguments are read.
bool CheckCombination(const Command& command, std::wstring& error) {
    const int choices = !command.named.IsEmpty() + command.saved + command.all;
    if (command.verb == Verb::Definitions && (choices != 0 || command.json || command.yes ||
                                              command.quiet || !command.keepSites.empty()))
        error = L"definitions takes no targets and no switch";
    else if (command.verb == Verb::List && (choices != command.all || command.json || command.yes ||
                                            command.quiet || !command.keepSites.empty()))
        error = L"list takes no targets, and no switch but --all";
    else if (choices > 1)
        error = L"give target names, --saved or --all: only one of them";
    else if (command.verb == Verb::Preview && command.yes)
        error = L"--yes is for clean: a preview changes nothing";
    else if (command.verb == Verb::Clean && command.json)
        error = L"--json is for preview";
    else if (command.verb == Verb::Clean && choices == 0)
        error = L"no target given: name targets, or use --saved or --all";
    return error.empty();
}

} // namespace

const char UsageBeforeTargets[] =
    "Usage: QuenbyCmd COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  list [--all]                the targets: short name and label; the window's\n"
    "                              eight, then the programs found on this PC with\n"
    "                              theirs (--all: every program, found or not)\n"
    "  preview [TARGETS... | --saved | --all] [--json] [--quiet]\n"
    "          [--keep-site SITE]...\n"
    "                              what a clean of those targets would do; changes\n"
    "                              nothing (without targets: the saved selection)\n"
    "  clean (TARGETS... | --saved | --all) [--yes] [--quiet]\n"
    "        [--keep-site SITE]...\n"
    "                              cleans them in the window's order, after asking\n"
    "                              \"Are you sure to clean?\" unless --yes is given\n"
    "  definitions                 which winapp2.ini Quenby reads, its version,\n"
    "                              entries and rules, how many are found on this\n"
    "                              PC, and what Quenby refused and why, by line\n"
    "  close [--folder DIR]        asks Quenby running from DIR (default: the\n"
    "                              folder of QuenbyCmd) to end as its tray menu's\n"
    "                              \"Exit\" does, and waits for QuenbyCmd running\n"
    "                              there; ends nothing by force (for installers)\n"
    "  schedule (daily HH:MM | weekly DAY HH:MM | logon) [--xml]\n"
    "                              a clean of the saved selection on that schedule,\n"
    "                              as a Task Scheduler task of yours (--xml: print\n"
    "                              the task, register nothing)\n"
    "  schedule off | show         remove it; show it and how its last run ended\n"
    "  schedule remove [--folder DIR]\n"
    "                              every user's scheduled clean that runs QuenbyCmd\n"
    "                              from DIR (for uninstallers)\n"
    "  --help                      this text\n"
    "\n"
    "Targets (QuenbyCmd list shows their labels; winapp2:NAME is the entry NAME\n"
    "of winapp2.ini, without its trailing \" *\"):\n";
const char UsageAfterTargets[] =
    "\n"
    "  --saved   the selection saved in the window (\"Save check as default\",\n"
    "            \"More traces...\")\n"
    "  --all     every target of the window's check boxes (list: every program)\n"
    "  --json    the preview in JSON (see README)\n"
    "  --quiet   no progress count; a clean writes nothing to the console (only\n"
    "            the question, without --yes): its report goes to\n"
    "            %LOCALAPPDATA%\\Quenby\\last-clean.json\n"
    "  --keep-site SITE\n"
    "            keep SITE signed in for this run: its cookies stay, besides those\n"
    "            of the sites kept in the window (\"Sites to keep...\"); SITE is a\n"
    "            host name or address (mail.example.co.uk keeps example.co.uk)\n"
    "\n"
    "Exit status: 0 everything selected is gone (or the command succeeded),\n"
    "1 something could not be removed or the question was not answered yes,\n"
    "2 bad input (nothing was cleaned). close: 0 nothing runs from the folder,\n"
    "1 something still runs after 10 seconds (listed). schedule: 0 done, 1 Task\n"
    "Scheduler refused (the reason is given).\n";

// Each target by its name, the window's eight first.
std::wstring TargetNameList() {
    std::wstring list;
    for (const std::wstring& name : ListedNames())
        list += (list.empty() ? L"" : NameSeparator) + name;
    return list;
}

// The names, wrapped at the width of the rest of the text.
std::wstring UsageText() {
    std::wstring lines, line;
    for (const std::wstring& name : ListedNames()) {
        if (!line.empty() && line.size() + name.size() + 2 > UsageWidth) {
            lines += L"  " + line + L"\n";
            line.clear();
        }
        line += (line.empty() ? L"" : L" ") + name;
    }
    return platform::FromAnsi(UsageBeforeTargets) + lines + L"  " + line + L"\n" +
           platform::FromAnsi(UsageAfterTargets);
}

bool ParseCommandLine(const std::vector<std::wstring>& args, Command& command,
                      std::wstring& error) {
    command = Command();
    if (args.empty()) {
        error = L"no command given";
        return false;
    }
    if (!FindVerb(args[0], command.verb)) {
        error = L"unknown command '" + args[0] + L"'";
        return false;
    }
    if (command.verb == Verb::Help)
        return true;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == HelpSwitch || args[i] == ShortHelpSwitch) {
            command.verb = Verb::Help;
            return true;
        }
        if (command.verb == Verb::Close || command.verb == Verb::Schedule)
            continue; // their own arguments, read below
        if (args[i] == KeepSiteSwitch) {
            if (!TakeKeepSite(args, i, command, error))
                return false;
            continue;
        }
        if (!TakeArgument(args[i], command, error))
            return false;
    }
    if (command.verb == Verb::Close)
        return ParseCloseArguments(args, command.folder, error);
    if (command.verb == Verb::Schedule)
        return ParseScheduleArguments(args, command.schedule, error);
    return CheckCombination(command, error);
}
