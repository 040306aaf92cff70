// The changes made to jump lists. The cleaner reads each list and decides;
// a visitor either writes a list again with its pinned entries alone
// (JumpListCleaning) or notes what would go and what stays (JumpListPreview
// in JumpListNotes.h). A list that cannot be read is never changed: the
// visitor is only told of it, to say so.
#pragma once

#include "clean/CleanReport.h"
#include "clean/JumpList.h"

#include <windows.h>

#include <string>
#include <vector>

class JumpListVisitor {
public:
    virtual ~JumpListVisitor() = default;

    // Replaces the list, read whole and holding pins, with a new file of its
    // pinned entries alone that keeps the file's access rights; a list that
    // holds nothing else stays as it is. The list is closed when this returns.
    virtual CleanStatus KeepPinned(JumpList& list) = 0;
    // A list that stays exactly as it is, since it cannot be read: `error`
    // and, where the platform's text would say less, `reason` say why.
    virtual void LeaveUnreadable(const std::wstring& path, DWORD error,
                                 const std::wstring& reason) = 0;
};

// Makes the changes and notes nothing.
class JumpListCleaning : public JumpListVisitor {
public:
    CleanStatus KeepPinned(JumpList& list) override;
    void LeaveUnreadable(const std::wstring&, DWORD, const std::wstring&) override {}

protected:
    // Writes the new file beside the list and puts it in the list's place.
    // Answers the platform's error, 0 when the list was replaced or held
    // nothing to drop.
    static DWORD ReplaceWithPinned(JumpList& list);
};

// Goes through the automatic-destinations jump lists in `folder`: each that
// holds pins goes to the visitor to keep them alone, and each that cannot be
// read is named to it. Answers the names in the folder that a walk of it must
// leave alone.
std::vector<std::wstring> KeepPinnedJumpLists(const std::wstring& folder, JumpListVisitor& visitor);
