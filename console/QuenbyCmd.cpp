// QuenbyCmd: the console companion of the window. It lists the targets,
// previews what a clean would do without changing anything, and cleans from
// scripts and scheduled tasks, with the window's cleaners and order.
#include "catalogue/TraceRun.h"
#include "console/CloseCommand.h"
#include "console/CommandLine.h"
#include "console/ConsoleStream.h"
#include "console/DefinitionsCommand.h"
#include "console/Progress.h"
#include "console/ReportJson.h"
#include "console/ReportText.h"
#include "console/ScheduleCommand.h"
#include "settings/LastClean.h"
#include "moretraces/KeptSites.h"
#include "settings/SavedSelection.h"
#include "platform/TextConversion.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
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
// Blanks between the longest name and its label.
const size_t NameGap = 2;
const wchar_t ProgramHeading[] = L":\n";
const wchar_t NotFoundMark[] = L" (not found)";
const wchar_t UnknownQuote[] = L"'";
const wchar_t UnknownSeparator[] = L", ";
const wchar_t KeptSitesText[] = L"Sites kept signed in (their cookies stay): ";

// The selection saved in the window: the eight's bits, and the more traces
// by name. A name that is no more trace is left out and goes to `leftOut`; it
// is no usage error, since the user did not type it here.
TraceSet SavedTargets(std::vector<std::wstring>& leftOut) {
    TraceSet saved = TraceSet::FromPlace(ReadSavedSelection());
    saved.Add(MoreTracesNamed(ReadSavedMoreTraces(), leftOut));
    return saved;
}

// Says once which saved names were left out.
void SayLeftOut(const std::vector<std::wstring>& leftOut, ConsoleStream& err) {
    if (leftOut.empty())
        return;
    std::wstring names;
    for (const std::wstring& name : leftOut)
        names += (names.empty() ? L"" : UnknownSeparator) + (UnknownQuote + name + UnknownQuote);
    err.Write(platform::FromAnsi(ProgramName) +
              L": the saved selection names no such more traces, left out: " + names + L"\n");
}

// The sites kept in the window, and those the command line adds for this
// run, are kept; a preview's text names them first.
void KeepSites(const Command& command, ConsoleStream& out) {
    std::vector<std::wstring> entries = ReadSavedKeepSites();
    entries.insert(entries.end(), command.keepSites.begin(), command.keepSites.end());
    sites::SetKept(entries);
    if (command.verb != Verb::Preview || command.json || sites::Kept().empty())
        return;
    std::wstring names;
    for (const std::string& site : sites::Kept())
        names += (names.empty() ? L"" : UnknownSeparator) + platform::FromUtf8(site);
    out.Write(KeptSitesText + names + L"\n");
}

TraceSet Selected(const Command& command, std::vector<std::wstring>& leftOut) {
    if (command.all)
        return TraceSet::FromPlace(kCleanSelectionBits);
    if (!command.named.IsEmpty())
        return command.named;
    return SavedTargets(leftOut);
}

// Where the labels start: after the longest name of all, so that `list` and
// `list --all` line up alike.
size_t NameColumn() {
    size_t widest = 0;
    for (const Trace& trace : Catalogue::BuiltIn().Traces())
        widest = std::max(widest, trace.name.size());
    return widest + NameGap;
}

void ListTrace(const Trace& trace, ConsoleStream& out, const wchar_t* mark = L"") {
    static const size_t column = NameColumn();
    std::wstring name = trace.name;
    name.resize(column, L' ');
    out.Write(name + trace.label + mark + L"\n");
}

// The window's eight, then each program found on this PC with its traces
// found under its name; `all`: every program and trace, those not found
// marked so.
void ListTargets(bool all, ConsoleStream& out) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    for (size_t trace = 0; trace < catalogue.Traces().size(); ++trace) {
        if (catalogue.IsWindowTrace(trace))
            ListTrace(catalogue.Traces()[trace], out);
    }
    for (const Program& program : catalogue.Programs()) {
        const bool found = Catalogue::Found(program);
        if (!found && !all)
            continue;
        out.Write(L"\n" + program.name + (found ? L"" : NotFoundMark) + ProgramHeading);
        // A trace of a program found may say itself that it is not (Office's lists).
        for (size_t trace : program.traces) {
            const bool traceFound = !found || catalogue.Found(trace);
            if (traceFound || all)
                ListTrace(catalogue.Traces()[trace], out, traceFound ? L"" : NotFoundMark);
        }
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

// The hooks of a run that shows each target's progress count and hands its
// summary to `done` as it ends.
TraceRunHooks Reporting(Progress& progress, const std::function<void(const TargetResult&)>& done) {
    TraceRunHooks hooks;
    hooks.started = [&progress](TraceRun& run) {
        run.report.OnAdd([&progress](size_t count) { progress.Update(count); });
        progress.Start(Catalogue::BuiltIn().Traces()[run.trace].name);
    };
    hooks.finished = [&progress, done](TraceRun& run) {
        progress.Finish();
        const Trace& trace = Catalogue::BuiltIn().Traces()[run.trace];
        done({run.trace, Summarise(run.report, trace.inUseIsNormal)});
    };
    return hooks;
}

const Trace& TraceOf(const TargetResult& result) {
    return Catalogue::BuiltIn().Traces()[result.trace];
}

int Preview(const Command& command, ConsoleStream& out, ConsoleStream& err, Progress& progress) {
    std::vector<std::wstring> leftOut;
    const TraceSet selection = Selected(command, leftOut);
    SayLeftOut(leftOut, err);
    KeepSites(command, out);
    std::vector<TargetResult> results;
    PreviewTraces(selection, Reporting(progress, [&](const TargetResult& result) {
                      if (command.json)
                          results.push_back(result);
                      else
                          out.Write(
                              TargetText(TraceOf(result), result.summary, ReportMode::Preview));
                  }));
    if (command.json)
        out.Write(PreviewJson(sites::Kept(), results));
    else if (selection.IsEmpty())
        out.Write(std::string(NothingSelectedText));
    return ExitDone;
}

// A quiet clean, as a scheduled task runs it, says nothing on the console:
// its report goes to last-clean.json, and its status says whether that
// report could be written.
int ReportQuietly(const SYSTEMTIME& started, bool allGone, const std::vector<std::wstring>& leftOut,
                  const std::vector<TargetResult>& results) {
    CleanReportHeader header{ReportTime(started), "", allGone, leftOut, sites::Kept()};
    SYSTEMTIME finished;
    GetSystemTime(&finished);
    header.finished = ReportTime(finished);
    const bool kept = ReplaceLastClean(platform::ToUtf8(CleanJson(header, results)));
    return allGone && kept ? ExitDone : ExitNotGone;
}

int Clean(const Command& command, ConsoleStream& out, ConsoleStream& err, Progress& progress) {
    SYSTEMTIME started;
    GetSystemTime(&started);
    std::vector<std::wstring> leftOut;
    const TraceSet selection = Selected(command, leftOut);
    if (!command.quiet)
        SayLeftOut(leftOut, err);
    KeepSites(command, out);
    if (selection.IsEmpty()) {
        if (command.quiet)
            return ReportQuietly(started, true, leftOut, {});
        out.Write(std::string(NothingSelectedText));
        return ExitDone;
    }
    if (!command.yes && !Confirmed(out)) {
        out.Write(std::string(DeclinedText));
        return ExitNotGone;
    }
    bool allGone = true;
    std::vector<TargetResult> results;
    CleanTraces(selection, Reporting(progress, [&](const TargetResult& result) {
                    allGone &= !result.summary.Failed();
                    if (command.quiet)
                        results.push_back(result);
                    else
                        out.Write(TargetText(TraceOf(result), result.summary, ReportMode::Clean));
                }));
    if (command.quiet)
        return ReportQuietly(started, allGone, leftOut, results);
    out.Write(std::string(allGone ? FinishedText : NotGoneText));
    return allGone ? ExitDone : ExitNotGone;
}

int RunCommand(int argc, wchar_t** argv, ConsoleStream& out, ConsoleStream& err) {
    Command command;
    std::wstring error;
    if (!ParseCommandLine(std::vector<std::wstring>(argv + 1, argv + argc), command, error)) {
        err.Write(platform::FromAnsi(ProgramName) + L": " + error + L"\n" +
                  platform::FromAnsi(HelpHint));
        return ExitUsage;
    }
    Progress progress(err, !command.quiet);
    switch (command.verb) {
    case Verb::List:
        ListTargets(command.all, out);
        return ExitDone;
    case Verb::Preview:
        return Preview(command, out, err, progress);
    case Verb::Clean:
        return Clean(command, out, err, progress);
    case Verb::Close:
        return RunClose(command.folder, out);
    case Verb::Schedule:
        return RunSchedule(command.schedule, out, err);
    case Verb::Definitions:
        return RunDefinitions(out);
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
