// What Explorer remembers, and the temporary files.
#include "clean/FolderWalk.h"
#include "clean/ProtectedFolders.h"
#include "clean/RegistryNotes.h"
#include "moretraces/MoreTraces.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"
#include "platform/RegistryNames.h"

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
// The one value of a registry link: the path of the key it stands for.
const wchar_t LinkValue[] = L"SymbolicLinkValue";

const wchar_t LowIntegrityFolder[] = L"Low";
const wchar_t RootRefused[] = L"the temporary folder is the root of a drive or a share, so nothing "
                              L"in it was touched";
const wchar_t KnownFolderRefused[] =
    L"the temporary folder is, or holds, a folder of the system or the profile (";
const wchar_t KnownFolderRefusedEnd[] = L"), so nothing in it was touched";
// A list the clean cannot open or read whole is named, with the platform's
// reason, in the preview as in the clean; a missing one is nothing to clear.
void NoteUnreadList(const std::wstring& path, LONG status, Visitors& visitors) {
    if (status != ERROR_SUCCESS && status != ERROR_NO_MORE_ITEMS && status != ERROR_FILE_NOT_FOUND)
        visitors.notes.Problem(registrynotes::Shown(HKEY_CURRENT_USER, path), DWORD(status),
                               std::wstring());
}

// A registry link's values are its target's, which is no list of Explorer's.
bool IsLink(HKEY key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, LinkValue, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// The values go, the key stays with its access rights; the names are read
// first, since a listing by index moves on as values go. Each key is opened
// as itself (REG_OPTION_OPEN_LINK), so a link is left alone, never followed.
void ClearValues(HKEY parent, const std::wstring& name, const std::wstring& path, bool withSubkeys,
                 Visitors& visitors) {
    platform::UniqueHKey key;
    LONG status = RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK,
                                KEY_READ | KEY_SET_VALUE, key.put());
    NoteUnreadList(path, status, visitors);
    if (status != ERROR_SUCCESS || IsLink(key.get()))
        return;
    for (const std::wstring& value : platform::ValueNames(key.get(), status))
        visitors.registry.DeleteValueW(HKEY_CURRENT_USER, key.get(), path, value);
    NoteUnreadList(path, status, visitors);
    if (!withSubkeys)
        return;
    for (const std::wstring& subkey : platform::SubkeyNames(key.get(), status))
        ClearValues(key.get(), subkey, path + L'\\' + subkey, true, visitors);
    NoteUnreadList(path, status, visitors);
}

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
