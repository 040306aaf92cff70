#include "settings/SavedSelection.h"

#include "platform/Handles.h"

#include <string>

namespace {
const char SoftwareKey[] = "Software\\";
} // namespace

CleanSelection ReadSavedSelection(const char* applicationName) {
    const std::string path =
        std::string(SoftwareKey) + kRegistryKey + '\\' + applicationName + '\\' + kSettingsSection;
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
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
