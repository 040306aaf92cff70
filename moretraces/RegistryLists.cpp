#include "moretraces/RegistryLists.h"

#include "clean/RegistryNotes.h"
#include "platform/Handles.h"

namespace {

const DWORD KeyNameSize = 256;
const DWORD ValueNameSize = 16384;
// The one value of a registry link: the path of the key it stands for.
const wchar_t LinkValue[] = L"SymbolicLinkValue";

// A registry link's values are its target's, which is no list of ours.
bool IsLink(HKEY key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, LinkValue, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

} // namespace

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

LONG OpenOwnKey(HKEY parent, const std::wstring& name, REGSAM access, platform::UniqueHKey& key) {
    const LONG status =
        RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access, key.put());
    if (status == ERROR_SUCCESS && IsLink(key.get())) {
        key.reset();
        return ERROR_FILE_NOT_FOUND;
    }
    return status;
}

void NoteUnreadList(const std::wstring& path, LONG status, Visitors& visitors) {
    if (status != ERROR_SUCCESS && status != ERROR_NO_MORE_ITEMS && status != ERROR_FILE_NOT_FOUND)
        visitors.notes.Problem(registrynotes::Shown(HKEY_CURRENT_USER, path), DWORD(status),
                               std::wstring());
}

// The names are read first, since a listing by index moves on as values go.
void ClearValues(HKEY parent, const std::wstring& name, const std::wstring& path, bool withSubkeys,
                 Visitors& visitors, ValueFilter goes) {
    platform::UniqueHKey key;
    LONG status = OpenOwnKey(parent, name, KEY_READ | KEY_SET_VALUE, key);
    NoteUnreadList(path, status, visitors);
    if (status != ERROR_SUCCESS)
        return;
    for (const std::wstring& value : ValueNames(key.get(), status)) {
        if (!goes || goes(value))
            visitors.registry.DeleteValueW(HKEY_CURRENT_USER, key.get(), path, value);
    }
    NoteUnreadList(path, status, visitors);
    if (!withSubkeys)
        return;
    for (const std::wstring& subkey : SubkeyNames(key.get(), status))
        ClearValues(key.get(), subkey, path + L'\\' + subkey, true, visitors, goes);
    NoteUnreadList(path, status, visitors);
}
