// The registry as the tests seed and inspect it (HKEY_CURRENT_USER only).
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// Where the program keeps its settings: Software\Marlowick software\<app>\Settings.
constexpr const char* CompanyKey = "Software\\Marlowick software";
std::string SettingsKey(const std::string& applicationName);
constexpr const char* RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool KeyExists(const std::string& path);
bool CreateKey(const std::string& path);
void DeleteKeyTree(const std::string& path);
// The shortest leading part of `path` that names no key (all of the path at
// most); empty when the whole path exists. Deleting it later removes exactly
// the keys that creating `path` adds.
std::string FirstMissingKey(const std::string& path);

bool ValueExists(const std::string& path, const char* name);
std::optional<DWORD> ReadDword(const std::string& path, const char* name);
bool WriteDword(const std::string& path, const char* name, DWORD value);
bool WriteString(const std::string& path, const char* name, const std::string& text);
void DeleteValue(const std::string& path, const char* name);

// A value as stored: its type and its bytes.
struct RawValue {
    DWORD type = REG_NONE;
    std::string bytes;
};
std::optional<RawValue> ReadValue(const std::string& path, const char* name);

// The text form of the SID of the user who runs the driver ("S-1-5-21-...");
// empty when it cannot be read.
std::string CurrentUserSid();

// Every key and value below one key: "path\" for a key, "path\name" for a
// value, mapped to the value's type and bytes in hex.
using RegistrySnapshot = std::map<std::string, std::string>;
RegistrySnapshot TakeSnapshot(const std::string& path);

// One line per entry added, removed or changed from `before` to `after`.
std::vector<std::string> Differences(const RegistrySnapshot& before, const RegistrySnapshot& after);

} // namespace gui
