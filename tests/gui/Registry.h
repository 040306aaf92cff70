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
void DeleteKeyTree(const std::string& path);
std::optional<DWORD> ReadDword(const std::string& path, const char* name);
bool WriteDword(const std::string& path, const char* name, DWORD value);

// Every key and value below one key: "path\" for a key, "path\name" for a
// value, mapped to the value's type and bytes in hex.
using RegistrySnapshot = std::map<std::string, std::string>;
RegistrySnapshot TakeSnapshot(const std::string& path);

// One line per entry added, removed or changed from `before` to `after`.
std::vector<std::string> Differences(const RegistrySnapshot& before, const RegistrySnapshot& after);

} // namespace gui
