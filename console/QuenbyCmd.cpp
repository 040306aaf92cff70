// QuenbyCmd: the console companion of the window. It lists the targets,
// previews what a clean would do without changing anything, and cleans from
// scripts and scheduled tasks, with the window's cleaners and order.
#include "clean/NotingVisitors.h"
#include "clean/WidePath.h"
#include "console/CloseCommand.h"
#include "console/CommandLine.h"
#include "console/ConsoleStream.h"
#include "console/Progress.h"
#include "console/ReportJson.h"
#include "console/ReportText.h"
#include "settings/SavedSelection.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
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
const size_t NameColumn = 16;
const char MoreTracesHeading[] = "\nMore traces (browsers, Explorer, temporary files):\n";

// The selection saved in the window: the eight's bits, and the more traces
// by name. A name that is no more trace is left out and said once; it is no
// usage error, since the user did not type it here.
TargetSet SavedTargets(ConsoleStream& err) {
    TargetSet saved = TargetSet::FromPlace(ReadSavedSelection());
    std::wstring ignored;
    saved.Add(MoreTracesNamed(ReadSavedMoreTraces(), kMoreTracesSeparator, ignored));
    if (!ignored.empty())
        err.Write(WidePath::FromAnsi(ProgramName) +
                  L": the saved selection names no such more "
                  L"traces, left out: " +
                  ignored + L"\n");
    return saved;
}

TargetSet Selected(const Command& command, ConsoleStream& err) {
    if (command.all)
        return TargetSet::FromPlace(kCleanSelectionBits);
    if (!command.named.IsEmpty())
        return command.named;
    return SavedTargets(err);
}

// The window's eight, then the more traces under their own heading.
void ListTargets(ConsoleStream& out) {
    for (size_t i = 0; i < kTargetCount; ++i) {
        if (i > 0 && IsBoxTarget(kTargets[i - 1]) && !IsBoxTarget(kTargets[i]))
            out.Write(std::string(MoreTracesHeading));
        std::wstring name = WidePath::FromAnsi(kTargets[i].name);
        name.resize(std::max(name.size() + 1, NameColumn), L' ');
        out.Write(name + TargetLabel(kTargets[i]) + L"\n");
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

// Runs the selected targets' preview or clean, each noted in a report of its
// own with its progress count, and hands over each target's summary as it
// ends.
class TargetRuns {
public:
    TargetRuns(bool clean, Progress& progress, std::function<void(const TargetResult&)> done)
        : m_clean(clean), m_progress(progress), m_done(std::move(done)) {}

    void Run(const TargetSet& selection) {
        RunTargets(selection, [this](const Target& target) -> Visitors& { return Start(target); });
        Finish();
    }

private:
    Visitors& Start(const Target& target) {
        Finish();
        m_target = &target;
        m_report.reset(new CleanReport);
        m_report->OnAdd([this](size_t count) { m_progress.Update(count); });
        m_progress.Start(target.name);
        if (m_clean) {
            m_cleaning.reset(new NotedCleaningVisitors(*m_report));
            return m_cleaning->Get();
        }
        m_preview.reset(new PreviewVisitors(*m_report));
        return m_preview->Get();
    }

    void Finish() {
        if (!m_target)
            return;
        m_progress.Finish();
        m_done({m_target, Summarise(*m_report, m_target->inUseIsNormal)});
        m_target = nullptr;
    }

    bool m_clean;
    Progress& m_progress;
    std::function<void(const TargetResult&)> m_done;
    const Target* m_target = nullptr;
    std::unique_ptr<CleanReport> m_report;
    std::unique_ptr<NotedCleaningVisitors> m_cleaning;
    std::unique_ptr<PreviewVisitors> m_preview;
};

int Preview(const Command& command, ConsoleStream& out, ConsoleStream& err, Progress& progress) {
    const TargetSet selection = Selected(command, err);
    std::vector<TargetResult> results;
    TargetRuns(false, progress, [&](const TargetResult& result) {
        if (command.json)
            results.push_back(result);
        else
            out.Write(TargetText(*result.target, result.summary, ReportMode::Preview));
    }).Run(selection);
    if (command.json)
        out.Write(PreviewJson(results));
    else if (selection.IsEmpty())
        out.Write(std::string(NothingSelectedText));
    return ExitDone;
}

int Clean(const Command& command, ConsoleStream& out, ConsoleStream& err, Progress& progress) {
    const TargetSet selection = Selected(command, err);
    if (selection.IsEmpty()) {
        out.Write(std::string(NothingSelectedText));
        return ExitDone;
    }
    if (!command.yes && !Confirmed(out)) {
        out.Write(std::string(DeclinedText));
        return ExitNotGone;
    }
    const ReportMode mode = command.quiet ? ReportMode::QuietClean : ReportMode::Clean;
    bool allGone = true;
    TargetRuns(true, progress, [&](const TargetResult& result) {
        allGone &= !result.summary.Failed();
        out.Write(TargetText(*result.target, result.summary, mode));
    }).Run(selection);
    if (!command.quiet || !allGone)
        out.Write(std::string(allGone ? FinishedText : NotGoneText));
    return allGone ? ExitDone : ExitNotGone;
}

int RunCommand(int argc, wchar_t** argv, ConsoleStream& out, ConsoleStream& err) {
    Command command;
    std::wstring error;
    if (!ParseCommandLine(std::vector<std::wstring>(argv + 1, argv + argc), command, error)) {
        err.Write(WidePath::FromAnsi(ProgramName) + L": " + error + L"\n" +
                  WidePath::FromAnsi(HelpHint));
        return ExitUsage;
    }
    Progress progress(err, !command.quiet);
    switch (command.verb) {
    case Verb::List:
        ListTargets(out);
        return ExitDone;
    case Verb::Preview:
        return Preview(command, out, err, progress);
    case Verb::Clean:
        return Clean(command, out, err, progress);
    case Verb::Close:
        return RunClose(command.folder, out);
    default:
        out.Write(UsageText());
        return ExitDone;
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    ConsoleStream out(STD_OUTPUT_HANDLE);
    ConsoleStream err(STD_ERROR_HANDLE);
    try {
        return RunCommand(argc, argv, out, err);
    } catch (const std::exception&) {
        err.Write(std::string(ProgramName) + FailedText);
        return ExitNotGone;
    }
}
