// The changes a folder walk makes, one call per change. The walk decides
// what to change, in its order and by its rules (the kept "desktop.ini", the
// identity checks on links and hard links, the index-file wipe); a visitor
// either makes each change (FolderCleaning) or notes it (FolderPreview), so a
// preview is the clean's own walk with nothing changed. Both are implemented
// beside the walk in FolderWalk.cpp, whose checks they share.
#pragma once

#include "clean/CleanReport.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

// What became of a folder's entries, for the decision on the folder itself.
enum class FolderState { NotListed, Emptied, PartlyEmptied };

class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;

    // The access a file entry's checked handle is opened with: the visitor
    // that deletes deletes through that handle.
    virtual DWORD EntryAccess() const = 0;
    // Clears the read-only bit of `path`, through `file` when it is a handle.
    virtual void ClearReadOnly(const std::wstring& path, HANDLE file) = 0;
    // Zeros the index file `path` after its header; `resolved` is the path a
    // handle on the entry itself reports.
    virtual void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) = 0;
    // Deletes the file entry checked through `file`; true when it goes.
    virtual bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) = 0;
    // Removes a folder link through the handle on the link; true when it goes.
    virtual bool RemoveFolderLink(const std::wstring& path, HANDLE link) = 0;
    // Removes a folder once its entries were dealt with; true when it goes.
    virtual bool RemoveFolder(const std::wstring& path, FolderState contents) = 0;
    // An entry that stays by rule (`why`: a kept kind of CleanItemKind).
    virtual void Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) = 0;

    // A visitor of its own for a subfolder walked on another thread, or null
    // when the subfolder is to be walked in order on the walk's own thread
    // (always, for a visitor that changes anything).
    virtual std::unique_ptr<FolderVisitor> Fork() { return nullptr; }
    // Called on the other thread once a forked visitor's walk has ended.
    virtual void Finished() {}
    // Takes over what a forked visitor noted, once its walk has ended.
    virtual void Join(FolderVisitor&) {}
};

// Makes the changes, and notes in `report` (when given) what went and what
// could not, with the platform's reason.
class FolderCleaning : public FolderVisitor {
public:
    explicit FolderCleaning(CleanReport* report = nullptr) : m_report(report) {}

    DWORD EntryAccess() const override;
    void ClearReadOnly(const std::wstring& path, HANDLE file) override;
    void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) override;
    bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) override;
    bool RemoveFolderLink(const std::wstring& path, HANDLE link) override;
    bool RemoveFolder(const std::wstring& path, FolderState contents) override;
    void Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) override;

private:
    void Note(CleanItemKind kind, const std::wstring& path, ULONGLONG bytes, DWORD error);

    CleanReport* m_report;
};

// Changes nothing, not even a time or an attribute: notes what the clean
// would remove, zero and keep. Every entry is expected to go, so a folder
// goes when nothing below it is kept.
class FolderPreview : public FolderVisitor {
public:
    // Each file is opened for the walk's checks, and under Wine an open costs
    // a round trip to the server: subfolders are walked on one more thread
    // than the caller's, for the two processors this runs on. More threads
    // only queue at the one server.
    static constexpr int kExtraThreads = 1;

    explicit FolderPreview(CleanReport& report, int extraThreads = kExtraThreads);

    DWORD EntryAccess() const override;
    void ClearReadOnly(const std::wstring& path, HANDLE file) override;
    void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) override;
    bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) override;
    bool RemoveFolderLink(const std::wstring& path, HANDLE link) override;
    bool RemoveFolder(const std::wstring& path, FolderState contents) override;
    void Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) override;
    std::unique_ptr<FolderVisitor> Fork() override;
    void Finished() override;
    void Join(FolderVisitor& child) override;

private:
    // A forked visitor: notes into a report of its own.
    explicit FolderPreview(std::shared_ptr<std::atomic<int>> freeThreads);

    CleanReport m_ownReport;
    CleanReport& m_report;
    std::shared_ptr<std::atomic<int>> m_freeThreads;
};
