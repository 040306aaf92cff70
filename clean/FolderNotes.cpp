#include "clean/FolderNotes.h"

#include "clean/FolderWalk.h"
#include "clean/WidePath.h"

#include <future>
#include <system_error>

// ---- the noting clean ----

void NotedFolderCleaning::Note(CleanItemKind kind, const std::wstring& path, ULONGLONG bytes,
                               DWORD error) {
    m_report.Add({kind, WidePath::Shown(path), bytes, 1, error});
}

void NotedFolderCleaning::WipeIndexFile(const std::wstring& path, const std::wstring& resolved) {
    const DWORD zeroed = FolderWalk::WipeEntry(path, resolved);
    if (zeroed != 0)
        Note(CleanItemKind::IndexFile, path, zeroed, 0);
}

bool NotedFolderCleaning::RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) {
    const bool gone = FolderCleaning::RemoveFile(path, file, bytes);
    Note(CleanItemKind::File, path, bytes, gone ? 0 : GetLastError());
    return gone;
}

bool NotedFolderCleaning::RemoveFolderLink(const std::wstring& path, HANDLE link) {
    const bool gone = FolderCleaning::RemoveFolderLink(path, link);
    Note(CleanItemKind::FolderLink, path, 0, gone ? 0 : GetLastError());
    return gone;
}

// A folder that keeps something by rule, or whose failed entries were noted,
// stays without a note of its own.
bool NotedFolderCleaning::RemoveFolder(const std::wstring& path, FolderState contents) {
    const bool gone = FolderCleaning::RemoveFolder(path, contents);
    if (gone || contents != FolderState::PartlyEmptied)
        Note(CleanItemKind::Folder, path, 0, gone ? 0 : GetLastError());
    return gone;
}

void NotedFolderCleaning::Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) {
    Note(why, path, bytes, 0);
}

// ---- the preview ----

struct FolderPreview::ForkedWalk {
    std::unique_ptr<FolderPreview> visitor;
    std::future<bool> gone;
};

FolderPreview::FolderPreview(CleanReport& report, int extraThreads)
    : m_report(report), m_freeThreads(std::make_shared<std::atomic<int>>(extraThreads)) {}

FolderPreview::FolderPreview(std::shared_ptr<std::atomic<int>> freeThreads)
    : m_report(m_ownReport), m_freeThreads(std::move(freeThreads)) {}

// Waits for whatever is still walking with a visitor of this one.
FolderPreview::~FolderPreview() = default;

// The forked walk gives its thread back as soon as it ends, so that a walk
// still going on here can fork again.
// The forked walk works on copies: the listing's buffer moves on.
bool FolderPreview::Fork(const FolderWalk& walk, const std::wstring& folder,
                         const std::wstring& resolvedFolder, const WIN32_FIND_DATAW& entry) {
    if (m_freeThreads->fetch_sub(1) <= 0) {
        m_freeThreads->fetch_add(1);
        return false;
    }
    std::unique_ptr<ForkedWalk> fork(new ForkedWalk);
    fork->visitor.reset(new FolderPreview(m_freeThreads));
    FolderPreview& child = *fork->visitor;
    try {
        fork->gone = std::async(std::launch::async, [walk, folder, resolvedFolder, entry, &child] {
            const bool gone = walk.WalkSubfolder(child, folder, resolvedFolder, entry);
            child.m_freeThreads->fetch_add(1);
            return gone;
        });
    } catch (const std::system_error&) {
        m_freeThreads->fetch_add(1);
        return false;
    }
    m_forks.push_back(std::move(fork));
    return true;
}

bool FolderPreview::Join(size_t from) {
    bool allGone = true;
    for (size_t i = from; i < m_forks.size(); ++i) {
        allGone &= m_forks[i]->gone.get();
        for (const CleanItem& item : m_forks[i]->visitor->m_report.Items())
            m_report.Add(item);
    }
    m_forks.resize(from);
    return allGone;
}

// Attribute reads are all the checks need; such a handle cannot write.
DWORD FolderPreview::EntryAccess() const {
    return FILE_READ_ATTRIBUTES;
}

void FolderPreview::ClearReadOnly(const std::wstring&, HANDLE) {}

void FolderPreview::WipeIndexFile(const std::wstring& path, const std::wstring& resolved) {
    const DWORD bytes = FolderWalk::BytesToWipe(path, resolved);
    if (bytes != 0)
        m_report.Add({CleanItemKind::IndexFile, WidePath::Shown(path), bytes});
}

bool FolderPreview::RemoveFile(const std::wstring& path, HANDLE, ULONGLONG bytes) {
    m_report.Add({CleanItemKind::File, WidePath::Shown(path), bytes});
    return true;
}

bool FolderPreview::RemoveFolderLink(const std::wstring& path, HANDLE) {
    m_report.Add({CleanItemKind::FolderLink, WidePath::Shown(path)});
    return true;
}

bool FolderPreview::RemoveFolder(const std::wstring& path, FolderState contents) {
    if (contents != FolderState::Emptied)
        return false;
    m_report.Add({CleanItemKind::Folder, WidePath::Shown(path)});
    return true;
}

void FolderPreview::Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) {
    m_report.Add({why, WidePath::Shown(path), bytes});
}
