#include "clean/EntryChecks.h"

#include "platform/RelativeFile.h"
#include "platform/Seams.h"

namespace walk {

namespace {

// A folder's path is read at this length first; a longer one is asked for again.
const size_t FolderPathGuess = MAX_PATH;
// Windows 10 1809 and later can delete a file without clearing its read-only bit.
const DWORD IgnoreReadOnlyBuild = 17763;

} // namespace

bool FileHandlesMayReachLinkTargets() {
    // Wine announces itself by this export of its ntdll. On Windows a handle
    // opened with FILE_FLAG_OPEN_REPARSE_POINT is the entry itself, and a
    // hard link's name is deleted without touching the other names.
    static const bool mayReach =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return mayReach;
}

DWORD ResolvedPath(HANDLE folder, std::wstring& resolved) {
    const DWORD error = platform::OpenedPath(folder, FolderPathGuess, resolved);
    if (error == ERROR_SUCCESS && resolved.back() == L'\\')
        resolved.pop_back();
    return error;
}

Identity Identify(HANDLE file, const std::wstring& expected, DWORD& error) {
    if (!FileHandlesMayReachLinkTargets())
        return Identity::Entry;
    std::wstring reported;
    error = platform::OpenedPath(file, expected.size(), reported);
    if (error != ERROR_SUCCESS)
        return Identity::Untold;
    const bool same = CompareStringOrdinal(reported.c_str(), int(reported.size()), expected.c_str(),
                                           int(expected.size()), TRUE) == CSTR_EQUAL;
    return same ? Identity::Entry : Identity::Elsewhere;
}

bool HoldsOwnData(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return true; // the open vouches for it where the platform tells nothing
    return !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && info.nNumberOfLinks <= 1;
}

bool HasOtherNames(HANDLE file) {
    FILE_STANDARD_INFO info;
    if (!platform::seam::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info))
        return true;
    return info.NumberOfLinks > 1;
}

// ntdll answers the version as it is, whatever compatibility the program is run in.
bool DeletionCanKeepReadOnly() {
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!NT_SUCCESS(platform::seam::RtlGetVersion(&version)))
        return false;
    return version.dwMajorVersion > 10 ||
           (version.dwMajorVersion == 10 && version.dwBuildNumber >= IgnoreReadOnlyBuild);
}

} // namespace walk
