// What Explorer remembers, its thumbnail cache, and the temporary files.
#include "clean/FolderWalk.h"
#include "clean/WidePath.h"
#include "moretraces/MoreTraces.h"
#include "moretraces/RegistryLists.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"

#include <shlobj.h>

#include <knownfolders.h>
#include <vector>

namespace {

const wchar_t ExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
struct ExplorerList {
    const wchar_t* key;
    bool withSubkeys;
};
// The Run box, the address bar, the search box, the open/save dialogs and
// the documents Explorer lists as recent.
const ExplorerList ExplorerLists[] = {
    {L"RunMRU", false},
    {L"TypedPaths", false},
    {L"WordWheelQuery", false},
    {L"ComDlg32\\OpenSavePidlMRU", true},
    {L"ComDlg32\\LastVisitedPidlMRU", true},
    {L"RecentDocs", true},
};
// Explorer's caches of thumbnails (thumbcache_*.db) beside those of icons,
// which stay.
const wchar_t ExplorerCaches[] = L"Microsoft\\Windows\\Explorer";
const wchar_t ThumbnailPrefix[] = L"thumbcache_";
const wchar_t ThumbnailSuffix[] = L".db";
const wchar_t LowIntegrityFolder[] = L"Low";
const wchar_t RootRefused[] = L"the temporary folder is the root of a drive or a share, so nothing "
                              L"in it was touched";
const wchar_t KnownFolderRefused[] =
    L"the temporary folder is, or holds, a folder of the system or the profile (";
const wchar_t KnownFolderRefusedEnd[] = L"), so nothing in it was touched";
// What emptying %TEMP% must never reach: these folders, or any folder above one.
const GUID* const ProtectedFolders[] = {
    &FOLDERID_Profile,        &FOLDERID_UserProfiles,    &FOLDERID_Public,
    &FOLDERID_ProgramData,    &FOLDERID_Windows,         &FOLDERID_System,
    &FOLDERID_ProgramFiles,   &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64,
    &FOLDERID_Desktop,        &FOLDERID_Documents,       &FOLDERID_Downloads,
    &FOLDERID_Pictures,       &FOLDERID_Music,           &FOLDERID_Videos,
    &FOLDERID_RoamingAppData, &FOLDERID_LocalAppData,    &FOLDERID_LocalAppDataLow,
    &FOLDERID_SkyDrive,
};

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The user's temporary folder as GetTempPathW gives it, with its trailing
// backslash: a drive's root without it ("C:") names the current folder on C.
std::wstring TemporaryFolder() {
    const DWORD needed = GetTempPathW(0, nullptr);
    std::wstring path(needed, L'\0');
    const DWORD length = needed ? GetTempPathW(needed, &path[0]) : 0;
    path.resize(length < needed ? length : 0);
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Whether `folder` is `known` or lies above it; both resolved, no trailing backslash.
bool IsOrHolds(const std::wstring& folder, const std::wstring& known) {
    return SamePath(folder, known) ||
           (known.size() > folder.size() && known[folder.size()] == L'\\' &&
            SamePath(folder, known.substr(0, folder.size())));
}

// "\\server\share" or "\\?\UNC\server\share", without a trailing backslash:
// a share's root, which no volume call may know of.
bool IsShareRoot(const std::wstring& path) {
    size_t server = 0;
    if (WidePath::StartsWith(path, WidePath::kExtendedUncPrefix))
        server = wcslen(WidePath::kExtendedUncPrefix);
    else if (!WidePath::StartsWith(path, WidePath::kExtendedPrefix) &&
             WidePath::StartsWith(path, WidePath::kUncStart))
        server = wcslen(WidePath::kUncStart);
    const size_t share = server ? path.find(L'\\', server) : std::wstring::npos;
    return share != std::wstring::npos && path.find(L'\\', share + 1) == std::wstring::npos;
}

// Whether `path` is the root of its volume or of a share.
bool IsRoot(const std::wstring& path) {
    const std::wstring trimmed = WithoutTrailingBackslash(path);
    std::wstring volume(path.size() + 2, L'\0');
    return IsShareRoot(trimmed) ||
           (GetVolumePathNameW(path.c_str(), &volume[0], DWORD(volume.size())) &&
            SamePath(trimmed, WithoutTrailingBackslash(volume.c_str())));
}

// Why emptying `folder`, which resolves to `final`, would reach far more than
// temporary files; empty when it would not. The folder is compared as the
// platform resolves it, so no link, short name or prefix hides what it is. A
// known folder that is missing here cannot be reached through it.
std::wstring Refusal(const std::wstring& folder, const std::wstring& final) {
    if (IsRoot(folder) || IsRoot(final))
        return RootRefused;
    for (const GUID* id : ProtectedFolders) {
        const std::wstring known = platform::KnownFolderPath(*id);
        std::wstring knownFinal;
        if (known.empty() || platform::FinalFolderPath(known, knownFinal) != ERROR_SUCCESS)
            continue;
        if (IsOrHolds(WithoutTrailingBackslash(final), WithoutTrailingBackslash(knownFinal)))
            return KnownFolderRefused + known + KnownFolderRefusedEnd;
    }
    return std::wstring();
}

} // namespace

void CleanExplorerLists(Visitors& visitors) {
    for (const ExplorerList& list : ExplorerLists) {
        const std::wstring path = std::wstring(ExplorerKey) + L'\\' + list.key;
        ClearValues(HKEY_CURRENT_USER, path, path, list.withSubkeys, visitors);
    }
    visitors.shell.ClearRecentDocuments();
}

// "Low" is the temporary folder of programs that run at low integrity (a
// browser's sandbox): not this user's own files to clean. A %TEMP% that does
// not exist holds nothing to clean.
void CleanTemporaryFiles(Visitors& visitors) {
    const std::wstring folder = TemporaryFolder();
    std::wstring final;
    const DWORD error =
        folder.empty() ? ERROR_PATH_NOT_FOUND : platform::FinalFolderPath(folder, final);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return;
    if (error != ERROR_SUCCESS) {
        visitors.notes.Problem(folder, error, std::wstring());
        return;
    }
    const std::wstring refusal = Refusal(folder, final);
    if (!refusal.empty()) {
        visitors.notes.Problem(folder, ERROR_BAD_PATHNAME, refusal);
        return;
    }
    FolderWalk(visitors.folders)
        .Except({LowIntegrityFolder})
        .EmptyFolder(WithoutTrailingBackslash(folder));
}

// Explorer holds the caches it uses open: they stay in use, and it makes the
// others again as it shows pictures. It is never ended for them.
void CleanThumbnails(Visitors& visitors) {
    const std::wstring local = platform::KnownFolderPath(FOLDERID_LocalAppData);
    if (local.empty())
        return;
    const std::wstring folder = WidePath::Join(local, ExplorerCaches);
    const std::vector<std::wstring> names =
        FolderWalk::FileNames(folder, ThumbnailPrefix, ThumbnailSuffix);
    if (!names.empty())
        FolderWalk(visitors.folders).Only(names).EmptyFolder(folder);
}
