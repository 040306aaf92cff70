#include "clean/JumpListVisitor.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <aclapi.h>

namespace {

// The list's access rights (its DACL) as the file's security descriptor holds
// them.
DWORD ReadRights(const std::wstring& path, platform::UniqueLocal& rights) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor);
    rights.reset(descriptor);
    return error;
}

// The rename that puts a file in another's place keeps the other's rights on
// Windows, but not under Wine, which gives it those of its folder: the new
// file gets them, as they are, before it moves. (SetNamedSecurityInfoW would
// merge in what the folder passes on, which Wine does not mark as inherited.)
DWORD GiveRights(const std::wstring& path, const platform::UniqueLocal& rights) {
    return SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, rights.get()) ? ERROR_SUCCESS
                                                                                   : GetLastError();
}

// The storage calls' own codes below 0x100 are the platform's.
DWORD ErrorOf(HRESULT result) {
    const bool platformCode =
        HRESULT_FACILITY(result) == FACILITY_WIN32 ||
        (HRESULT_FACILITY(result) == FACILITY_STORAGE && HRESULT_CODE(result) < 0x100);
    return platformCode ? DWORD(HRESULT_CODE(result)) : DWORD(result);
}

// Without a backup file, a replacement that could not be renamed has left
// the list's name free (ERROR_UNABLE_TO_MOVE_REPLACEMENT): it moves there.
DWORD PutInPlace(const std::wstring& path, const std::wstring& replacement) {
    if (ReplaceFileW(path.c_str(), replacement.c_str(), nullptr, 0, nullptr, nullptr))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        MoveFileExW(replacement.c_str(), path.c_str(), 0))
        return ERROR_SUCCESS;
    return error;
}

} // namespace

CleanStatus JumpListCleaning::KeepPinned(JumpList& list) {
    const DWORD error = ReplaceWithPinned(list);
    return StatusOf(CleanItemKind::JumpList, error);
}

// The list is read, and the new file written, while nobody else may write
// the list; it is let go of before its replacement takes its place. A list
// of pins alone stays as it is.
DWORD JumpListCleaning::ReplaceWithPinned(JumpList& list) {
    if (!list.HoldsMoreThanPins()) {
        list.Close();
        return ERROR_SUCCESS;
    }
    const std::wstring path = WidePath::ForApi(list.Path());
    const std::wstring replacement = JumpList::ReplacementOf(path);
    platform::UniqueLocal rights;
    DWORD error = ReadRights(path, rights);
    if (error == ERROR_SUCCESS)
        error = ErrorOf(list.WritePinned(replacement));
    list.Close();
    if (error == ERROR_SUCCESS)
        error = GiveRights(replacement, rights);
    if (error == ERROR_SUCCESS)
        error = PutInPlace(path, replacement);
    // Where the list itself is gone, its replacement holds the pins: it stays.
    if (error != ERROR_SUCCESS && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileW(replacement.c_str());
    return error;
}
