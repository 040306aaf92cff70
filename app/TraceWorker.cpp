#include "app/TraceWorker.h"

#include <objbase.h>

namespace {

// The shell's calls of some cleaners want COM on their thread.
class ComForThread {
public:
    ComForThread() : m_hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComForThread() {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    ComForThread(const ComForThread&) = delete;
    ComForThread& operator=(const ComForThread&) = delete;

private:
    HRESULT m_hr;
};

// SRWLOCK held for a scope.
class Exclusive {
public:
    explicit Exclusive(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ~Exclusive() { ReleaseSRWLockExclusive(&m_lock); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

private:
    SRWLOCK& m_lock;
};

} // namespace

TraceWorker::TraceWorker(HWND window, UINT message) : m_window(window), m_message(message) {}

TraceWorker::~TraceWorker() {
    Cancel();
    if (m_thread)
        WaitForSingleObject(m_thread.get(), INFINITE);
}

bool TraceWorker::Start(RunFn run, const TraceSet& selection) {
    if (m_thread)
        return false;
    m_run = run;
    m_selection = selection;
    m_thread.reset(CreateThread(nullptr, 0, &TraceWorker::ThreadMain, this, CREATE_SUSPENDED,
                                nullptr));
    if (!m_thread)
        return false;
    // Where the processors are busy, the window's thread comes first.
    SetThreadPriority(m_thread.get(), THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(m_thread.get());
    return true;
}

DWORD WINAPI TraceWorker::ThreadMain(void* self) {
    static_cast<TraceWorker*>(self)->Run();
    return 0;
}

void TraceWorker::Run() {
    bool completed = false;
    try {
        ComForThread com;
        TraceRunHooks hooks;
        hooks.started = [this](TraceRun& run) {
            m_itemsAtWork = 0;
            run.report.OnAdd([this](size_t items) { m_itemsAtWork = items; });
            Push({TraceEvent::Started, run.trace, run.position, run.count, nullptr});
        };
        hooks.finished = [this](TraceRun& run) {
            run.report.OnAdd(nullptr);
            Push({TraceEvent::Finished, run.trace, run.position, run.count,
                  std::make_unique<CleanReport>(std::move(run.report))});
        };
        hooks.cancelled = [this] { return m_cancelled.load(); };
        completed = m_run(m_selection, hooks, Catalogue::BuiltIn());
    } catch (...) {
        // Out of memory: the run ends here, and says so.
    }
    try {
        TraceEvent ended{TraceEvent::Ended, 0, 0, 0, nullptr};
        ended.completed = completed;
        Push(std::move(ended));
    } catch (...) {
        // The window still sees the thread end.
    }
}

void TraceWorker::Push(TraceEvent event) {
    bool first = false;
    {
        Exclusive hold(m_lock);
        first = m_events.empty();
        m_events.push_back(std::move(event));
    }
    if (first && m_window)
        PostMessageA(m_window, m_message, 0, 0);
}

std::vector<TraceEvent> TraceWorker::Take() {
    std::vector<TraceEvent> events;
    Exclusive hold(m_lock);
    events.swap(m_events);
    return events;
}
