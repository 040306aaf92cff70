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

std::string SettingsPath(const char* applicationName) {
    return std::string(SoftwareKey) + kRegistryKey + '\\' + applicationName + '\\' +
           kSettingsSection;
}

// The window's settings key, opened for reading only: nothing is created.
bool OpenSettings(const char* applicationName, platform::UniqueHKey& key) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath(applicationName).c_str(), 0, KEY_READ,
                         key.put()) == ERROR_SUCCESS;
}

} // namespace

std::wstring ReadSavedText(const char* valueName, const char* applicationName) {
    platform::UniqueHKey key;
    if (!OpenSettings(applicationName, key))
        return std::wstring();
    const std::wstring name(valueName, valueName + strlen(valueName));
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

std::vector<std::wstring> ReadSavedMoreTraces(const char* applicationName) {
    return MoreTraceNamesOf(ReadSavedText(kMoreTracesEntry, applicationName));
}

bool WriteSavedText(const char* valueName, const std::wstring& text, const char* applicationName) {
    platform::UniqueHKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingsPath(applicationName).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring name(valueName, valueName + strlen(valueName));
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
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
