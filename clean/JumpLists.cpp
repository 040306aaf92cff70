// The recent-documents clean's pass over the jump lists, before the folder
// walk: it decides which lists the walk must leave to the jump-list visitor.
#include "clean/JumpListVisitor.h"

#include "clean/FolderWalk.h"
#include "clean/WidePath.h"

namespace {

const wchar_t ListSuffix[] = L".automaticDestinations-ms";

} // namespace

// A list without pins is left to the walk, which deletes it whole. A link in
// the folder's place is the walk's to remove, and what it points to is not
// this clean's.
std::vector<std::wstring> KeepPinnedJumpLists(const std::wstring& folder,
                                              JumpListVisitor& visitor) {
    std::vector<std::wstring> kept;
    const DWORD attributes = GetFileAttributesW(WidePath::ForApi(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return kept;
    for (const std::wstring& name : FolderWalk::FileNames(folder, L"", ListSuffix)) {
        const std::wstring path = WidePath::Join(folder, name);
        JumpList list;
        std::wstring reason;
        const DWORD error = list.Read(path, reason);
        if (error == ERROR_FILE_NOT_FOUND || (error == ERROR_SUCCESS && !list.HasPins()))
            continue;
        if (error != ERROR_SUCCESS)
            visitor.LeaveUnreadable(path, error, reason);
        else
            visitor.KeepPinned(list);
        kept.push_back(name);
        kept.push_back(JumpList::ReplacementOf(name));
    }
    return kept;
}
