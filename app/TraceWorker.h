// Runs a preview or a clean of chosen traces on a thread of its own, so that
// the window goes on answering meanwhile. The worker owns no window: it keeps
// what happened in a list that the window's thread takes, and posts a message
// to tell it there is something to take.
#pragma once

#include "catalogue/TraceRun.h"
#include "platform/Handles.h"

#include <atomic>
#include <memory>
#include <vector>

// One thing that happened in the run, in the order it happened.
struct TraceEvent {
    enum Kind { Started, Finished, Ended } kind;
    size_t trace;    // Started, Finished: the trace's index in the catalogue
    size_t position; // Started, Finished: 0 for the run's first trace
    size_t count;    // the traces the run has chosen
    // Finished: the trace's whole report, handed over once.
    std::unique_ptr<CleanReport> report;
    // Ended: whether the run went to its end (neither cancelled nor failed).
    bool completed = false;
};

class TraceWorker {
public:
    // PreviewTraces or CleanTraces.
    using RunFn = bool (*)(const TraceSet& selection, const TraceRunHooks& hooks,
                           const Catalogue& catalogue);

    // `window` gets `message` when events are waiting (once until they are
    // taken); null posts nothing, and the caller asks from time to time.
    TraceWorker(HWND window, UINT message);
    // Cancels the run and waits for its thread.
    ~TraceWorker();
    TraceWorker(const TraceWorker&) = delete;
    TraceWorker& operator=(const TraceWorker&) = delete;

    // Starts the run; false when no thread could be started.
    bool Start(RunFn run, const TraceSet& selection);
    // Asks the run to end before its next trace.
    void Cancel() { m_cancelled = true; }
    // The events since the last call.
    std::vector<TraceEvent> Take();
    // The items noted so far by the trace at work.
    size_t ItemsAtWork() const { return m_itemsAtWork; }
    // The thread, signalled when it has ended; null before Start.
    HANDLE Thread() const { return m_thread.get(); }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void Push(TraceEvent event);

    HWND m_window;
    UINT m_message;
    RunFn m_run = nullptr;
    TraceSet m_selection;
    std::atomic<bool> m_cancelled{false};
    std::atomic<size_t> m_itemsAtWork{0};
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::vector<TraceEvent> m_events;
    platform::UniqueHandle m_thread;
};
