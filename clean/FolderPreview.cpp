// The folder preview, in a file of its own: the window's program notes its
// cleans but never previews, and links only what it uses.
#include "clean/FolderNotes.h"

#include "clean/WidePath.h"

CleanStatus FolderPreview::Note(CleanItemKind kind, const FolderEntry& entry) {
    m_report.Add({kind, WidePath::Shown(entry.path), entry.bytes});
    return CleanStatus::Gone;
}

CleanStatus FolderPreview::WipeIndexFile(const FolderEntry& entry) {
    return Note(CleanItemKind::IndexFile, entry);
}

CleanStatus FolderPreview::RemoveFile(const FolderEntry& entry) {
    return Note(CleanItemKind::File, entry);
}

CleanStatus FolderPreview::RemoveFolderLink(const FolderEntry& entry) {
    return Note(CleanItemKind::FolderLink, {entry.path, entry.handle, 0, 0});
}

CleanStatus FolderPreview::RemoveFolder(const FolderEntry& entry, FolderState contents) {
    if (contents != FolderState::Emptied)
        return CleanStatus::Kept;
    return Note(CleanItemKind::Folder, entry);
}

void FolderPreview::Keep(const FolderEntry& entry, CleanItemKind why) {
    CleanItem item = {why, WidePath::Shown(entry.path), entry.bytes};
    m_report.Add(std::move(item));
}

void FolderPreview::Problem(const std::wstring& path, DWORD error) {
    m_report.Add({CleanItemKind::Problem, WidePath::Shown(path), 0, 1, error});
}
