// The shutdown or log-off query as Windows sends it to a program's window.
//
// The program may show message boxes before it answers, and the test has to
// answer those while the query waits, so the query is sent from a thread of
// its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace gui {

class SessionQuery {
public:
    // Sends WM_QUERYENDSESSION (lParam ENDSESSION_LOGOFF when `logOff`).
    SessionQuery(HWND window, bool logOff);
    ~SessionQuery();

    SessionQuery(const SessionQuery&) = delete;
    SessionQuery& operator=(const SessionQuery&) = delete;

    // Waits for the program's answer; false when it did not answer in time.
    bool WaitForAnswer(DWORD timeoutMs);
    // TRUE when the session may end; valid once answered.
    LRESULT Answer() const { return m_answer; }

private:
    std::thread m_sender;
    std::atomic<bool> m_answered{false};
    LRESULT m_answer = 0;
};

} // namespace gui
