// What Office remembers: the recent files and places of each program.
#include "clean/FolderWalk.h"
#include "clean/WidePath.h"
#include "moretraces/MoreTraces.h"
#include "moretraces/RegistryLists.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"

#include <knownfolders.h>

#include <cwchar>
#include <cwctype>
#include <functional>

namespace {

const wchar_t OfficeKey[] = L"Software\\Microsoft\\Office";
// Below Office\<version>\<program>: directly in older versions, below
// User MRU\<identity> (the account signed in) in newer ones.
const wchar_t* const RecentLists[] = {L"File MRU", L"Place MRU"};
const wchar_t UserLists[] = L"User MRU";
// The values of a list that name a recent item: "Item 1", "Item Metadata 1".
const wchar_t* const ItemPrefixes[] = {L"Item ", L"Item Metadata "};
const wchar_t RecentLinks[] = L"Microsoft\\Office\\Recent";

using KeyVisit = std::function<void(HKEY key, const std::wstring& path)>;
using NameFilter = bool (*)(const std::wstring& name);

// A version's key is named by its number ("16.0"); Office's other keys hold
// no programs.
bool IsVersion(const std::wstring& name) {
    return !name.empty() && iswdigit(name[0]);
}

bool IsRecentItem(const std::wstring& name) {
    for (const wchar_t* prefix : ItemPrefixes) {
        const size_t length = wcslen(prefix);
        if (name.size() > length &&
            CompareStringOrdinal(name.c_str(), int(length), prefix, int(length), TRUE) ==
                CSTR_EQUAL &&
            name.find_first_not_of(L"0123456789", length) == std::wstring::npos)
            return true;
    }
    return false;
}

std::wstring Below(const std::wstring& path, const std::wstring& name) {
    return path + L'\\' + name;
}

// Visits each subkey of `name` below `parent` (at `path`) that `wanted`
// names (null: all), each opened as itself. A key that cannot be read is
// named to `visitors`, when given; a missing one is nothing.
void ForEachSubkey(HKEY parent, const std::wstring& name, const std::wstring& path,
                   NameFilter wanted, const KeyVisit& visit, Visitors* visitors) {
    platform::UniqueHKey key;
    LONG status = OpenOwnKey(parent, name, KEY_READ, key);
    if (status == ERROR_SUCCESS) {
        for (const std::wstring& subkey : SubkeyNames(key.get(), status)) {
            if (wanted && !wanted(subkey))
                continue;
            platform::UniqueHKey below;
            const LONG opened = OpenOwnKey(key.get(), subkey, KEY_READ, below);
            if (opened == ERROR_SUCCESS)
                visit(below.get(), Below(path, subkey));
            else if (visitors)
                NoteUnreadList(Below(path, subkey), opened, *visitors);
        }
    }
    if (visitors)
        NoteUnreadList(path, status, *visitors);
}

// Visits the key of every program of every version.
void ForEachProgram(const KeyVisit& visit, Visitors* visitors) {
    ForEachSubkey(
        HKEY_CURRENT_USER, OfficeKey, OfficeKey, IsVersion,
        [&](HKEY version, const std::wstring& path) {
            ForEachSubkey(version, L"", path, nullptr, visit, visitors);
        },
        visitors);
}

void ClearRecentLists(HKEY parent, const std::wstring& path, Visitors& visitors) {
    for (const wchar_t* list : RecentLists)
        ClearValues(parent, list, Below(path, list), false, visitors, IsRecentItem);
}

void ClearProgram(HKEY program, const std::wstring& path, Visitors& visitors) {
    ClearRecentLists(program, path, visitors);
    ForEachSubkey(
        program, UserLists, Below(path, UserLists), nullptr,
        [&](HKEY user, const std::wstring& userPath) {
            ClearRecentLists(user, userPath, visitors);
        },
        &visitors);
}

bool HasRecentLists(HKEY program) {
    for (const wchar_t* list : {RecentLists[0], RecentLists[1], UserLists}) {
        platform::UniqueHKey key;
        if (OpenOwnKey(program, list, KEY_READ, key) == ERROR_SUCCESS)
            return true;
    }
    return false;
}

std::wstring RecentLinksFolder() {
    const std::wstring roaming = platform::KnownFolderPath(FOLDERID_RoamingAppData);
    return roaming.empty() ? roaming : WidePath::Join(roaming, RecentLinks);
}

} // namespace

// Other values of the lists ("Max Display") stay.
void CleanOfficeRecent(Visitors& visitors) {
    ForEachProgram(
        [&](HKEY program, const std::wstring& path) { ClearProgram(program, path, visitors); },
        &visitors);
    const std::wstring links = RecentLinksFolder();
    if (!links.empty())
        FolderWalk(visitors.folders).KeepDesktopIni().EmptyFolder(links);
}

bool OfficeFound() {
    const std::wstring links = RecentLinksFolder();
    if (!links.empty() && WidePath::Exists(links))
        return true;
    bool found = false;
    ForEachProgram(
        [&](HKEY program, const std::wstring&) { found = found || HasRecentLists(program); },
        nullptr);
    return found;
}
