// The folder visitors that note: the console program's clean, which makes
// the walk's changes and notes what went and what could not, and its
// preview, which only notes. Apart from the window's program, which links
// neither, nor the preview's threads.
#pragma once

#include "clean/CleanReport.h"
#include "clean/FolderVisitor.h"

#include <atomic>
#include <memory>
#include <vector>

// Makes the changes as FolderCleaning does and notes in `report` what went
// and what could not, with the platform's reason.
class NotedFolderCleaning : public FolderCleaning {
public:
    explicit NotedFolderCleaning(CleanReport& report) : m_report(report) {}

    void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) override;
    bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) override;
    bool RemoveFolderLink(const std::wstring& path, HANDLE link) override;
    bool RemoveFolder(const std::wstring& path, FolderState contents) override;
    void Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) override;

private:
    void Note(CleanItemKind kind, const std::wstring& path, ULONGLONG bytes, DWORD error);

    CleanReport& m_report;
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
    ~FolderPreview() override;

    DWORD EntryAccess() const override;
    void ClearReadOnly(const std::wstring& path, HANDLE file) override;
    void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) override;
    bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) override;
    bool RemoveFolderLink(const std::wstring& path, HANDLE link) override;
    bool RemoveFolder(const std::wstring& path, FolderState contents) override;
    void Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) override;
    bool CanFork() const override { return true; }
    bool Fork(const FolderWalk& walk, const std::wstring& folder,
              const std::wstring& resolvedFolder, const WIN32_FIND_DATAW& entry) override;
    size_t Forked() const override { return m_forks.size(); }
    bool Join(size_t from) override;

private:
    struct ForkedWalk;

    // A forked visitor: notes into a report of its own.
    explicit FolderPreview(std::shared_ptr<std::atomic<int>> freeThreads);

    CleanReport m_ownReport;
    CleanReport& m_report;
    std::shared_ptr<std::atomic<int>> m_freeThreads;
    std::vector<std::unique_ptr<ForkedWalk>> m_forks;
};
