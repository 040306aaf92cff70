#include "platform/Concurrent.h"

#include <utility>

namespace platform {

Concurrent::Concurrent(std::function<void()> work) : m_work(std::move(work)) {
    m_thread.reset(CreateThread(nullptr, 0, &Concurrent::ThreadMain, this, 0, nullptr));
}

// What the work throws without a Wait() is dropped: a destructor cannot pass it on.
Concurrent::~Concurrent() {
    if (m_thread)
        WaitForSingleObject(m_thread.get(), INFINITE);
    else if (!m_waited)
        Run();
}

DWORD WINAPI Concurrent::ThreadMain(void* self) {
    static_cast<Concurrent*>(self)->Run();
    return 0;
}

void Concurrent::Run() {
    try {
        m_work();
    } catch (...) {
        m_error = std::current_exception();
    }
}

void Concurrent::Wait() {
    if (m_waited)
        return;
    m_waited = true;
    if (m_thread)
        WaitForSingleObject(m_thread.get(), INFINITE);
    else
        Run();
    if (m_error)
        std::rethrow_exception(m_error);
}

} // namespace platform
