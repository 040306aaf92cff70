#include "catalogue/TraceRun.h"

#include "clean/NotingVisitors.h"

void RunTraces(const TraceSet& selection, Visitors& visitors, const Catalogue& catalogue) {
    for (size_t trace = 0; trace < catalogue.Traces().size(); ++trace) {
        if (selection.Has(trace))
            catalogue.Traces()[trace].run(visitors);
    }
}

bool RunNoted(const TraceSet& selection, const TraceRunHooks& hooks, const Catalogue& catalogue,
              NotedRun runOne) {
    const std::vector<Trace>& traces = catalogue.Traces();
    size_t count = 0;
    for (size_t trace = 0; trace < traces.size(); ++trace)
        count += selection.Has(trace);
    size_t position = 0;
    for (size_t trace = 0; trace < traces.size(); ++trace) {
        if (!selection.Has(trace))
            continue;
        if (hooks.cancelled && hooks.cancelled())
            return false;
        CleanReport report;
        TraceRun run{trace, position++, count, report};
        if (hooks.started)
            hooks.started(run);
        runOne(traces[trace], report);
        if (hooks.finished)
            hooks.finished(run);
    }
    return true;
}

bool CleanTraces(const TraceSet& selection, const TraceRunHooks& hooks,
                 const Catalogue& catalogue) {
    return RunNoted(selection, hooks, catalogue, [](const Trace& trace, CleanReport& report) {
        NotedCleaningVisitors visitors(report);
        trace.run(visitors.Get());
    });
}
