#include "clean/WalkRecording.h"

#include "clean/Walker.h"

#include <new>

namespace walk {

// The walk of a subfolder on a thread of its own, into a recording of its
// own that the walk it was forked from hands over in its place.
struct ForkedWalk {
    ForkedWalk(Frame folder, const Rules& rules, ForkSlots& slots)
        : folder(std::move(folder)), rules(rules), slots(slots) {}
    ~ForkedWalk() {
        if (thread)
            WaitForSingleObject(thread.get(), INFINITE);
    }

    Frame folder;
    const Rules& rules;
    ForkSlots& slots;
    Recording recording;
    bool outOfMemory = false;
    platform::UniqueHandle thread;
};

DWORD WINAPI WalkForked(LPVOID context) {
    auto* fork = static_cast<ForkedWalk*>(context);
    // No exception may leave a thread; it is raised again where the
    // recording is handed over.
    try {
        Walker(fork->rules, fork->recording, &fork->recording, &fork->slots)
            .Walk(std::move(fork->folder), false);
    } catch (const std::bad_alloc&) {
        fork->outOfMemory = true;
    }
    fork->slots.Give();
    return 0;
}

Recording::Recording() = default;
Recording::~Recording() = default;

void Recording::Fork(std::unique_ptr<ForkedWalk> walk) {
    Add(Call::Fork, std::wstring()).fork = m_forks.size();
    m_forks.push_back(std::move(walk));
}

void Recording::Replay(WalkSink& sink) {
    for (const Recorded& call : m_calls) {
        const FolderEntry entry = {call.path, INVALID_HANDLE_VALUE, call.bytes, 0};
        switch (call.call) {
        case Call::Enter:
            sink.Enter();
            break;
        case Call::Wipe:
            sink.Wipe(entry);
            break;
        case Call::RemoveFile:
            sink.RemoveFile(entry);
            break;
        case Call::RemoveFolderLink:
            sink.RemoveFolderLink(entry);
            break;
        case Call::Keep:
            sink.Keep(entry, call.kind);
            break;
        case Call::Problem:
            sink.Problem(call.path, call.error);
            break;
        case Call::Skip:
            sink.Skip();
            break;
        case Call::Leave:
            sink.Leave(entry, call.keep, call.listed);
            break;
        case Call::Fork: {
            ForkedWalk& fork = *m_forks[call.fork];
            WaitForSingleObject(fork.thread.get(), INFINITE);
            if (fork.outOfMemory)
                throw std::bad_alloc();
            fork.recording.Replay(sink);
            break;
        }
        }
    }
}

// Hands the walk of an opened subfolder to another thread when one is free;
// only a walk that changes nothing is recorded, and so may fork.
bool Walker::Fork(Frame& child) {
    if (!m_recording || !m_slots->Take())
        return false;
    std::unique_ptr<ForkedWalk> fork(new ForkedWalk(std::move(child), m_rules, *m_slots));
    fork->thread.reset(CreateThread(nullptr, 0, WalkForked, fork.get(), 0, nullptr));
    if (!fork->thread) {
        m_slots->Give();
        child = std::move(fork->folder);
        return false;
    }
    m_recording->Fork(std::move(fork));
    return true;
}

} // namespace walk
