// The preview's walk on several threads: what a walk that changes nothing
// met, recorded, with the walks of subfolders that other threads make in its
// place, and handed over later in the clean's order. Internal to the walk.
#pragma once

#include "clean/WalkSink.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace walk {

// Threads free to walk subfolders of a walk that changes nothing.
class ForkSlots {
public:
    explicit ForkSlots(int threads) : m_free(threads) {}
    bool Take() {
        if (m_free.fetch_sub(1) > 0)
            return true;
        m_free.fetch_add(1);
        return false;
    }
    void Give() { m_free.fetch_add(1); }

private:
    std::atomic<int> m_free;
};

struct ForkedWalk;

// The calls of a walk that changes nothing, kept to be handed over later,
// with the walks of subfolders that other threads make in their place.
class Recording : public WalkSink {
public:
    Recording();
    // Waits for the walks still going on for it.
    ~Recording() override;

    void Enter() override { Add(Call::Enter, std::wstring()); }
    void ClearReadOnly(const FolderEntry&, DWORD) override {}
    void Wipe(const FolderEntry& entry) override { Add(Call::Wipe, entry.path, entry.bytes); }
    void RemoveFile(const FolderEntry& entry) override {
        Add(Call::RemoveFile, entry.path, entry.bytes);
    }
    void RemoveFolderLink(const FolderEntry& entry) override {
        Add(Call::RemoveFolderLink, entry.path);
    }
    void Keep(const FolderEntry& entry, CleanItemKind why) override {
        Add(Call::Keep, entry.path, entry.bytes).kind = why;
    }
    void Problem(const std::wstring& path, DWORD error) override {
        Add(Call::Problem, path).error = error;
    }
    void Skip() override { Add(Call::Skip, std::wstring()); }
    void Leave(const FolderEntry& folder, bool keep, bool listed) override {
        Recorded& call = Add(Call::Leave, folder.path);
        call.keep = keep;
        call.listed = listed;
    }
    // Where a walk another thread makes belongs among the calls.
    void Fork(std::unique_ptr<ForkedWalk> walk);

    // Hands every call to `sink` in the walk's order, waiting for each
    // forked walk where it belongs.
    void Replay(WalkSink& sink);

private:
    enum class Call { Enter, Wipe, RemoveFile, RemoveFolderLink, Keep, Problem, Skip, Leave, Fork };
    struct Recorded {
        Call call;
        std::wstring path;
        ULONGLONG bytes = 0;
        DWORD error = 0;
        CleanItemKind kind = CleanItemKind::File;
        bool keep = false;
        bool listed = true;
        size_t fork = 0;
    };

    Recorded& Add(Call call, const std::wstring& path, ULONGLONG bytes = 0) {
        m_calls.push_back({call, path, bytes});
        return m_calls.back();
    }

    std::vector<Recorded> m_calls;
    std::vector<std::unique_ptr<ForkedWalk>> m_forks;
};

} // namespace walk
