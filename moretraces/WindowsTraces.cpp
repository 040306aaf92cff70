// What Explorer remembers, its thumbnail cache, and the temporary files.
#include "clean/FolderWalk.h"
#include "clean/ProtectedFolders.h"
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

// Why emptying `folder`, which resolves to `final`, would reach far more than
// temporary files; empty when it would not.
std::wstring Refusal(const std::wstring& folder, const std::wstring& final) {
    const ProtectedReach reach = ProtectedFolders().Reached(folder, final);
    if (reach.root)
        return RootRefused;
    if (!reach.known.empty())
        return KnownFolderRefused + reach.known + KnownFolderRefusedEnd;
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
