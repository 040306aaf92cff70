// The preview's run, in a file of its own: the window's program cleans but
// never previews, and links only what it uses.
#include "catalogue/TraceRun.h"

#include "clean/NotingVisitors.h"

bool PreviewTraces(const TraceSet& selection, const TraceRunHooks& hooks,
                   const Catalogue& catalogue) {
    return RunNoted(selection, hooks, catalogue, [](const Trace& trace, CleanReport& report) {
        PreviewVisitors visitors(report);
        trace.run(visitors.Get());
    });
}
