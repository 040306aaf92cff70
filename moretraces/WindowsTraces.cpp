// What Explorer remembers, and the temporary files.
#include "clean/FolderWalk.h"
#include "clean/RegistryNotes.h"
#include "clean/WidePath.h"
#include "moretraces/MoreTraces.h"
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
const DWORD KeyNameSize = 256;
const DWORD ValueNameSize = 16384;
// The one value of a registry link: the path of the key it stands for.
const wchar_t LinkValue[] = L"SymbolicLinkValue";

const wchar_t LowIntegrityFolder[] = L"Low";
const wchar_t NotATemporaryFolder[] =
    L"the temporary folder is set to a drive's root or a folder of the system or the profile, "
    L"so nothing in it was touched";

// The names of the key's values; the status that ended the listing is kept
// in `status` (ERROR_NO_MORE_ITEMS when it listed them all).
std::vector<std::wstring> ValueNames(HKEY key, LONG& status) {
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(ValueNameSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = ValueNameSize;
        status =
            RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return names;
        names.emplace_back(name.data(), length);
    }
}

std::vector<std::wstring> SubkeyNames(HKEY key, LONG& status) {
    std::vector<std::wstring> names;
    wchar_t name[KeyNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = KeyNameSize;
        status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, length);
    }
}

// A list the clean cannot open or read whole is named, with the platform's
// reason, in the preview as in the clean; a missing one is nothing to clear.
void NoteUnreadList(const std::wstring& path, LONG status, Visitors& visitors) {
    if (status != ERROR_SUCCESS && status != ERROR_NO_MORE_ITEMS && status != ERROR_FILE_NOT_FOUND)
        visitors.databases.Problem(registrynotes::Shown(HKEY_CURRENT_USER, path), DWORD(status),
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
    for (const std::wstring& value : ValueNames(key.get(), status))
        visitors.registry.DeleteValueW(HKEY_CURRENT_USER, key.get(), path, value);
    NoteUnreadList(path, status, visitors);
    if (!withSubkeys)
        return;
    for (const std::wstring& subkey : SubkeyNames(key.get(), status))
        ClearValues(key.get(), subkey, path + L'\\' + subkey, true, visitors);
    NoteUnreadList(path, status, visitors);
}

// The user's temporary folder, without its trailing backslash.
std::wstring TemporaryFolder() {
    const DWORD needed = GetTempPathW(0, nullptr);
    std::wstring path(needed, L'\0');
    const DWORD length = needed ? GetTempPathW(needed, &path[0]) : 0;
    path.resize(length < needed ? length : 0);
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

// A %TEMP% set to a drive's root, the profile or a system folder would
// empty far more than temporary files: such a folder is refused.
bool IsSafeTemporaryFolder(const std::wstring& folder) {
    if (folder.size() <= 2 || folder.find(L'\\') == std::wstring::npos)
        return false;
    for (const GUID* id : {&FOLDERID_Profile, &FOLDERID_Windows, &FOLDERID_System,
                           &FOLDERID_ProgramFiles, &FOLDERID_Desktop, &FOLDERID_Documents,
                           &FOLDERID_LocalAppData, &FOLDERID_RoamingAppData}) {
        const std::wstring known = platform::KnownFolderPath(*id);
        if (!known.empty() && WidePath::NameIs(folder.c_str(), known.c_str()))
            return false;
    }
    return true;
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
// browser's sandbox): not this user's own files to clean.
void CleanTemporaryFiles(Visitors& visitors) {
    const std::wstring folder = TemporaryFolder();
    if (folder.empty())
        return;
    if (!IsSafeTemporaryFolder(folder)) {
        visitors.databases.Problem(folder, ERROR_BAD_PATHNAME, NotATemporaryFolder);
        return;
    }
    FolderWalk(true, false, visitors.folders).Except({LowIntegrityFolder}).EmptyFolder(folder);
}
