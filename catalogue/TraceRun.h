// Runs chosen traces in the catalogue's order. The window's clean of its
// eight hands every trace the same silent visitors; a preview and a noted
// clean give each trace a report of its own and hand it to the caller as
// soon as that trace has finished.
#pragma once

#include "catalogue/TraceSet.h"
#include "clean/CleanReport.h"

#include <functional>

// One trace of a run: which, how far the run has got, and its report.
struct TraceRun {
    size_t trace;    // index into the catalogue's traces
    size_t position; // 0 for the first trace of the run
    size_t count;    // the traces the run has chosen
    CleanReport& report;
};

// Each may be null.
struct TraceRunHooks {
    // Before the trace runs, with its report still empty (a progress count
    // can follow it through CleanReport::OnAdd).
    std::function<void(TraceRun& run)> started;
    // Once the trace has run, with its whole report; called once per trace.
    std::function<void(TraceRun& run)> finished;
    // Asked before each trace: true ends the run there.
    std::function<bool()> cancelled;
};

// Runs the selected traces with the same visitors, noting nothing.
void RunTraces(const TraceSet& selection, Visitors& visitors,
               const Catalogue& catalogue = Catalogue::BuiltIn());

// What a clean of the selected traces would do: nothing changes. Answers
// false when `cancelled` ended the run before its last trace.
bool PreviewTraces(const TraceSet& selection, const TraceRunHooks& hooks,
                   const Catalogue& catalogue = Catalogue::BuiltIn());
// Cleans the selected traces, noting what went and what could not.
bool CleanTraces(const TraceSet& selection, const TraceRunHooks& hooks,
                 const Catalogue& catalogue = Catalogue::BuiltIn());

// The loop of both: `runOne` runs a trace with visitors that note into the
// report it is given.
using NotedRun = void (*)(const Trace& trace, CleanReport& report);
bool RunNoted(const TraceSet& selection, const TraceRunHooks& hooks, const Catalogue& catalogue,
              NotedRun runOne);
