// The jump-list preview, in a file of its own: the window's program notes its
// cleans but never previews, and links only what it uses.
#include "clean/JumpListNotes.h"

CleanStatus JumpListPreview::KeepPinned(JumpList& list) {
    NoteJumpListEntries(m_report, list);
    list.Close();
    return CleanStatus::Gone;
}

void JumpListPreview::LeaveUnreadable(const std::wstring& path, DWORD error,
                                      const std::wstring& reason) {
    NoteJumpListLeft(m_report, path, error, reason);
}
