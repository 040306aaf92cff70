#include "clean/JumpListNotes.h"

#include "clean/WidePath.h"

void NoteJumpListEntries(CleanReport& report, const JumpList& list) {
    const std::wstring path = WidePath::Shown(list.Path());
    for (const JumpListEntry& entry : list.Entries()) {
        CleanItem item = {entry.pinned ? CleanItemKind::PinnedEntry : CleanItemKind::JumpListEntry,
                          path};
        item.detail = entry.target;
        report.Add(std::move(item));
    }
}

void NoteJumpListLeft(CleanReport& report, const std::wstring& path, DWORD error,
                      const std::wstring& reason) {
    CleanItem item = {CleanItemKind::JumpList, WidePath::Shown(path), 0, 1, error};
    item.detail = reason;
    report.Add(std::move(item));
}

// A list that could not be written again stays whole; the platform says why.
CleanStatus NotedJumpListCleaning::KeepPinned(JumpList& list) {
    const std::wstring path = list.Path();
    const DWORD error = ReplaceWithPinned(list);
    if (error != ERROR_SUCCESS) {
        NoteJumpListLeft(m_report, path, error, std::wstring());
        return StatusOf(CleanItemKind::JumpList, error);
    }
    NoteJumpListEntries(m_report, list);
    return CleanStatus::Gone;
}

void NotedJumpListCleaning::LeaveUnreadable(const std::wstring& path, DWORD error,
                                            const std::wstring& reason) {
    NoteJumpListLeft(m_report, path, error, reason);
}
