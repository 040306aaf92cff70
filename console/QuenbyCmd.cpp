// QuenbyCmd: the console companion of the window. It lists the targets,
// previews what a clean would do without changing anything, and cleans from
// scripts and scheduled tasks, with the window's cleaners and order.
#include "console/CloseCommand.h"
#include "console/CommandLine.h"
#include "console/ConsoleStream.h"
#include "console/Progress.h"
#include "console/ReportJson.h"
#include "console/ReportText.h"
#include "console/TargetRun.h"
#include "settings/SavedSelection.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

const int ExitDone = 0;
const int ExitNotGone = 1;
const int ExitUsage = 2;

const char ProgramName[] = "QuenbyCmd";
const char FailedText[] = ": stopped: out of memory or threads\n";
const char HelpHint[] = "Try 'QuenbyCmd --help'.\n";
const char ConfirmText[] = "Are you sure to clean? [y/N] ";
const char* const YesAnswers[] = {"y", "yes"};
const int AnswerSize = 64;
const char DeclinedText[] = "Nothing was cleaned.\n";
const char NothingSelectedText[] = "No target is selected: nothing to do.\n";
const char FinishedText[] = "Clean finish: everything selected is gone.\n";
const char NotGoneText[] = "Clean finish: some items could not be removed (listed above).\n";
const char ListFormat[] = "%-14s %s\n";
const int ListLineSize = 128;

CleanSelection Selected(const Command& command) {
    if (command.all)
        return kCleanSelectionBits;
    if (command.named != 0)
        return command.named;
    return ReadSavedSelection();
}

bool IsSelected(CleanSelection selection, const TargetName& target) {
    return (selection & (1u << target.target)) != 0;
}

void ListTargets(ConsoleStream& out) {
    char line[ListLineSize];
    for (const TargetName& target : kTargetNames) {
        std::snprintf(line, sizeof line, ListFormat, target.name, target.label);
        out.Write(std::string(line));
    }
}

// A line from standard input: an answer other than yes, or none at all (no
// input, as in a scheduled task), means no.
bool Confirmed(ConsoleStream& out) {
    out.Write(std::string(ConfirmText));
    char answer[AnswerSize] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    std::string word(answer);
    word.erase(word.find_last_not_of(" \t\r\n") + 1);
    for (const char* yes : YesAnswers) {
        if (lstrcmpiA(word.c_str(), yes) == 0)
            return true;
    }
    return false;
}

// Runs the preview or the clean of one target with its progress count.
TargetSummary Run(const TargetName& target, bool clean, Progress& progress) {
    CleanReport report;
    report.OnAdd([&progress](size_t count) { progress.Update(count); });
    progress.Start(target.name);
    if (clean)
        RunClean(target.target, report);
    else
        RunPreview(target.target, report);
    progress.Finish();
    return Summarise(report);
}

int Preview(const Command& command, ConsoleStream& out, Progress& progress) {
    const CleanSelection selection = Selected(command);
    std::vector<TargetResult> results;
    for (const TargetName& target : kTargetNames) {
        if (!IsSelected(selection, target))
            continue;
        results.push_back({&target, Run(target, false, progress)});
        if (!command.json)
            out.Write(TargetText(target, results.back().summary, ReportMode::Preview));
    }
    if (command.json)
        out.Write(PreviewJson(results));
    else if (results.empty())
        out.Write(std::string(NothingSelectedText));
    return ExitDone;
}

int Clean(const Command& command, ConsoleStream& out, Progress& progress) {
    const CleanSelection selection = Selected(command);
    if (selection == 0) {
        out.Write(std::string(NothingSelectedText));
        return ExitDone;
    }
    if (!command.yes && !Confirmed(out)) {
        out.Write(std::string(DeclinedText));
        return ExitNotGone;
    }
    const ReportMode mode = command.quiet ? ReportMode::QuietClean : ReportMode::Clean;
    bool allGone = true;
    for (const TargetName& target : kTargetNames) {
        if (!IsSelected(selection, target))
            continue;
        const TargetSummary summary = Run(target, true, progress);
        allGone &= summary.problems.empty();
        out.Write(TargetText(target, summary, mode));
    }
    if (!command.quiet || !allGone)
        out.Write(std::string(allGone ? FinishedText : NotGoneText));
    return allGone ? ExitDone : ExitNotGone;
}

int RunCommand(int argc, char** argv, ConsoleStream& out, ConsoleStream& err) {
    Command command;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), command, error)) {
        err.Write(std::string(ProgramName) + ": " + error + "\n" + HelpHint);
        return ExitUsage;
    }
    Progress progress(err, !command.quiet);
    switch (command.verb) {
    case Verb::List:
        ListTargets(out);
        return ExitDone;
    case Verb::Preview:
        return Preview(command, out, progress);
    case Verb::Clean:
        return Clean(command, out, progress);
    case Verb::Close:
        return RunClose(command.folder, out);
    default:
        out.Write(std::string(kUsageText));
        return ExitDone;
    }
}

} // namespace

int main(int argc, char** argv) {
    ConsoleStream out(STD_OUTPUT_HANDLE);
    ConsoleStream err(STD_ERROR_HANDLE);
    try {
        return RunCommand(argc, argv, out, err);
    } catch (const std::exception&) {
        err.Write(std::string(ProgramName) + FailedText);
        return ExitNotGone;
    }
}
