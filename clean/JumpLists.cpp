// The recent-documents clean's pass over the jump lists, before the folder
// walk: it decides which lists the walk must leave to the jump-list visitor.
#include "clean/JumpListVisitor.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <cwchar>

namespace {

const wchar_t ListPattern[] = L"\\*.automaticDestinations-ms";
const wchar_t ListSuffix[] = L".automaticDestinations-ms";

bool IsList(const WIN32_FIND_DATAW& found) {
    const size_t name = wcslen(found.cFileName);
    const size_t suffix = wcslen(ListSuffix);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name > suffix &&
           WidePath::NameIs(found.cFileName + name - suffix, ListSuffix);
}

std::vector<std::wstring> ListNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    platform::UniqueFind find(FindFirstFileExW(WidePath::ForApi(folder + ListPattern).c_str(),
                                               FindExInfoBasic, &found, FindExSearchNameMatch,
                                               nullptr, 0));
    if (!find)
        return names;
    do {
        if (IsList(found))
            names.push_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

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
    for (const std::wstring& name : ListNames(folder)) {
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
