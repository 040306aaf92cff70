// What a folder walk met, handed on in the clean's order: to the visitor
// (Applier) or, for a walk that changes nothing, to a recording that other
// threads may fill (WalkRecording.h). Internal to the walk.
#pragma once

#include "clean/FolderVisitor.h"

#include <vector>

namespace walk {

// The walk's calls for one folder level: Enter, the entries' calls, Leave.
class WalkSink {
public:
    virtual ~WalkSink() = default;
    virtual void Enter() = 0;
    virtual void ClearReadOnly(const FolderEntry& entry, DWORD attributes) = 0;
    virtual void Wipe(const FolderEntry& entry) = 0;
    virtual void RemoveFile(const FolderEntry& entry) = 0;
    virtual void RemoveFolderLink(const FolderEntry& entry) = 0;
    virtual void Keep(const FolderEntry& entry, CleanItemKind why) = 0;
    virtual void Problem(const std::wstring& path, DWORD error) = 0;
    // Some entry of the folder is outside the walk: it stays, untouched and unnoted.
    virtual void Skip() = 0;
    // The folder's entries are done; `keep`: the folder stays by the walk's
    // rules (the top one, unless it goes too); `listed` false when it could
    // not be listed.
    virtual void Leave(const FolderEntry& folder, bool keep, bool listed) = 0;
};

// Hands each call to the visitor and keeps, for each folder level, whether
// everything in it went: that decides what the visitor is told of the folder.
class Applier : public WalkSink {
public:
    explicit Applier(FolderVisitor& visitor) : m_visitor(visitor) {}

    void Enter() override { m_allGone.push_back(true); }
    void ClearReadOnly(const FolderEntry& entry, DWORD attributes) override {
        m_visitor.ClearReadOnly(entry, attributes);
    }
    void Wipe(const FolderEntry& entry) override { m_visitor.WipeIndexFile(entry); }
    void RemoveFile(const FolderEntry& entry) override {
        Count(m_visitor.RemoveFile(entry) == CleanStatus::Gone);
    }
    void RemoveFolderLink(const FolderEntry& entry) override {
        Count(m_visitor.RemoveFolderLink(entry) == CleanStatus::Gone);
    }
    void Keep(const FolderEntry& entry, CleanItemKind why) override {
        m_visitor.Keep(entry, why);
        Count(false);
    }
    void Problem(const std::wstring& path, DWORD error) override {
        m_visitor.Problem(path, error);
        Count(false);
    }
    void Skip() override { Count(false); }
    void Leave(const FolderEntry& folder, bool keep, bool listed) override {
        const bool allGone = m_allGone.back();
        m_allGone.pop_back();
        if (keep) {
            Count(false);
            return;
        }
        const FolderState contents = !listed   ? FolderState::NotListed
                                     : allGone ? FolderState::Emptied
                                               : FolderState::PartlyEmptied;
        Count(m_visitor.RemoveFolder(folder, contents) == CleanStatus::Gone);
    }

private:
    void Count(bool gone) {
        if (!m_allGone.empty())
            m_allGone.back() = m_allGone.back() && gone;
    }

    FolderVisitor& m_visitor;
    std::vector<bool> m_allGone;
};

} // namespace walk
