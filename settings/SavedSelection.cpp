#include "settings/SavedSelection.h"

#include "platform/Handles.h"
#include "platform/MultiString.h"
#include "settings/MoreTracesValue.h"

#include <cstring>
#include <string>

namespace {
const char SoftwareKey[] = "Software\\";
} // namespace

namespace {

// The window's settings key, opened for reading only: nothing is created.
bool OpenSettings(const char* applicationName, platform::UniqueHKey& key) {
    const std::string path =
        std::string(SoftwareKey) + kRegistryKey + '\\' + applicationName + '\\' + kSettingsSection;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// "MoreTraces" as stored; empty when it is missing or not a REG_SZ.
std::wstring MoreTracesValue(const char* applicationName) {
    platform::UniqueHKey key;
    if (!OpenSettings(applicationName, key))
        return std::wstring();
    const std::wstring name(kMoreTracesEntry, kMoreTracesEntry + strlen(kMoreTracesEntry));
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&text[0]),
                         &size) != ERROR_SUCCESS)
        return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

} // namespace

std::vector<std::wstring> ReadSavedMoreTraces(const char* applicationName) {
    return MoreTraceNamesOf(MoreTracesValue(applicationName));
}

CleanSelection ReadSavedSelection(const char* applicationName) {
    platform::UniqueHKey key;
    if (!OpenSettings(applicationName, key))
        return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.get(), kPlaceEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return value & kCleanSelectionBits;
}

std::vector<std::wstring> ReadSavedKeepSites(const char* applicationName) {
    platform::UniqueHKey key;
    if (!OpenSettings(applicationName, key))
        return {};
    const std::wstring name(kKeepSitesEntry, kKeepSitesEntry + strlen(kKeepSitesEntry));
    return platform::ReadMultiString(key.get(), name.c_str());
}
