#include "tests/gui/SessionQuery.h"

#include "tests/gui/Desktop.h"

namespace gui {

namespace {

// Windows itself waits this long for a program before it offers to end it.
constexpr UINT QueryTimeout = 60000;

} // namespace

SessionQuery::SessionQuery(HWND window, bool logOff) {
    LPARAM reason = logOff ? ENDSESSION_LOGOFF : 0;
    m_sender = std::thread([this, window, reason] {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, reason, SMTO_NORMAL, QueryTimeout,
                                &answer)) {
            m_answer = static_cast<LRESULT>(answer);
            m_answered = true;
        }
    });
}

SessionQuery::~SessionQuery() {
    if (m_sender.joinable())
        m_sender.join();
}

bool SessionQuery::WaitForAnswer(DWORD timeoutMs) {
    return WaitUntil([this] { return m_answered.load(); }, timeoutMs);
}

} // namespace gui
