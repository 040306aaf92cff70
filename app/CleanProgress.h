// The window's clean of its chosen more traces, on a worker thread: the
// window's thread goes on with its messages (the main window paints, the
// notification icon answers) while the main window is disabled, and when the
// run takes longer than a moment a small window names the trace at work. A
// quit request that comes meanwhile waits for the end of the clean.
#pragma once

#include "app/TraceWorker.h"

#include <string>

class CleanProgress {
public:
    explicit CleanProgress(HWND owner) : m_owner(owner) {}

    // Cleans `selection` and answers the not-gone lines, as CleanMoreTraces.
    std::string Run(const TraceSet& selection);
    // Waits, without answering messages, until the clean has ended.
    void WaitForEnd();

private:
    void Pump();
    void Note(TraceEvent& event);
    void ShowProgress();

    HWND m_owner;
    TraceWorker* m_worker = nullptr;
    HWND m_window = nullptr;
    std::wstring m_lines;
    bool m_quit = false;
    WPARAM m_quitCode = 0;
    size_t m_atWork = 0;
    size_t m_position = 0;
    size_t m_count = 0;
};
