#include "clean/FolderNotes.h"

#include "clean/IndexWipe.h"
#include "clean/WidePath.h"

CleanStatus NotedFolderCleaning::Note(CleanItemKind kind, const FolderEntry& entry,
                                      CleanStatus status, DWORD error) {
    CleanItem item = {kind, WidePath::Shown(entry.path), entry.bytes, 1, error};
    item.status = status;
    m_report.Add(std::move(item));
    return status;
}

// The bytes noted are those the wipe zeroed; a short or failed write is
// noted with its reason.
CleanStatus NotedFolderCleaning::WipeIndexFile(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return Note(CleanItemKind::IndexFile, entry,
                    StatusOf(CleanItemKind::IndexFile, entry.error), entry.error);
    const WipeResult wiped = ZeroAfterHeader(entry.handle, entry.bytes);
    const FolderEntry zeroed = {entry.path, entry.handle, wiped.zeroed, 0};
    return Note(CleanItemKind::IndexFile, zeroed, StatusOf(CleanItemKind::IndexFile, wiped.error),
                wiped.error);
}

CleanStatus NotedFolderCleaning::RemoveFile(const FolderEntry& entry) {
    const CleanStatus status = FolderCleaning::RemoveFile(entry);
    return Note(CleanItemKind::File, entry, status,
                status == CleanStatus::Gone ? 0
                : entry.error               ? entry.error
                                            : GetLastError());
}

CleanStatus NotedFolderCleaning::RemoveFolderLink(const FolderEntry& entry) {
    const CleanStatus status = FolderCleaning::RemoveFolderLink(entry);
    return Note(CleanItemKind::FolderLink, entry, status,
                status == CleanStatus::Gone ? 0
                : entry.error               ? entry.error
                                            : GetLastError());
}

// A folder that keeps something by rule, or whose failed entries were noted,
// stays without a note of its own.
CleanStatus NotedFolderCleaning::RemoveFolder(const FolderEntry& entry, FolderState contents) {
    const CleanStatus status = FolderCleaning::RemoveFolder(entry, contents);
    const DWORD error = status == CleanStatus::Gone ? 0
                        : entry.error               ? entry.error
                                                    : GetLastError();
    if (status == CleanStatus::Gone || contents != FolderState::PartlyEmptied)
        Note(CleanItemKind::Folder, entry, status, error);
    return status;
}

void NotedFolderCleaning::Keep(const FolderEntry& entry, CleanItemKind why) {
    Note(why, entry, CleanStatus::Kept, 0);
}

void NotedFolderCleaning::Problem(const std::wstring& path, DWORD error) {
    m_report.Add({CleanItemKind::Problem, WidePath::Shown(path), 0, 1, error});
}
