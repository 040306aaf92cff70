// A call run on a thread of its own while the caller goes on with other work.
//
// A thread that cannot be made costs nothing but time: the work then runs
// on the caller's thread. What the work throws reaches the caller.
#pragma once

#include "platform/Handles.h"

#include <exception>
#include <functional>

namespace platform {

// Runs `work` on a thread from construction; Wait() (or the destructor)
// returns once it has run, Wait() with what it threw.
class Concurrent {
public:
    explicit Concurrent(std::function<void()> work);
    ~Concurrent();
    Concurrent(const Concurrent&) = delete;
    Concurrent& operator=(const Concurrent&) = delete;

    void Wait();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();

    std::function<void()> m_work;
    std::exception_ptr m_error;
    UniqueHandle m_thread;
    bool m_waited = false;
};

} // namespace platform
