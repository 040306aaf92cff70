#include "tests/gui/Registry.h"

#include "platform/Handles.h"

#include <sddl.h>
#include <shlwapi.h>

#include <cstdio>

namespace gui {

namespace {

constexpr DWORD NameSize = 16384;
constexpr const char* SettingsSection = "Settings";

std::string Hex(const BYTE* data, DWORD size) {
    std::string text;
    char digits[3];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof(digits), "%02x", data[i]);
        text += digits;
    }
    return text;
}

void SnapshotValues(HKEY key, const std::string& path, RegistrySnapshot& snapshot) {
    std::vector<char> name(NameSize);
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = NameSize;
        DWORD type = 0;
        DWORD dataSize = 0;
        LONG status =
            RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            return;
        if (status != ERROR_SUCCESS)
            continue;
        data.assign(dataSize + 1, 0);
        nameLength = NameSize;
        RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        snapshot[path + "\\" + name.data()] =
            "type " + std::to_string(type) + " data " + Hex(data.data(), dataSize);
    }
}

void SnapshotKey(const std::string& path, RegistrySnapshot& snapshot) {
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    snapshot[path + "\\"] = "key";
    SnapshotValues(key.get(), path, snapshot);
    std::vector<char> name(NameSize);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = NameSize;
        LONG status = RegEnumKeyExA(key.get(), index, name.data(), &nameLength, nullptr, nullptr,
                                    nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return;
        if (status == ERROR_SUCCESS)
            SnapshotKey(path + "\\" + name.data(), snapshot);
    }
}

} // namespace

std::string SettingsKey(const std::string& applicationName) {
    return std::string(CompanyKey) + "\\" + applicationName + "\\" + SettingsSection;
}

bool KeyExists(const std::string& path) {
    platform::UniqueHKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool CreateKey(const std::string& path) {
    platform::UniqueHKey key;
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_WRITE, nullptr, key.put(), nullptr) == ERROR_SUCCESS;
}

void DeleteKeyTree(const std::string& path) {
    SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

std::string FirstMissingKey(const std::string& path) {
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        std::string part = path.substr(0, end);
        if (!KeyExists(part))
            return part;
        if (end == std::string::npos)
            return std::string();
    }
}

bool ValueExists(const std::string& path, const char* name) {
    return ReadValue(path, name).has_value();
}

std::optional<RawValue> ReadValue(const std::string& path, const char* name) {
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    value.type = type;
    value.bytes.assign(size, '\0');
    if (size && RegQueryValueExA(key.get(), name, nullptr, &type,
                                 reinterpret_cast<BYTE*>(&value.bytes[0]), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.resize(size);
    return value;
}

std::optional<DWORD> ReadDword(const std::string& path, const char* name) {
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

bool WriteDword(const std::string& path, const char* name, DWORD value) {
    platform::UniqueHKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

bool WriteString(const std::string& path, const char* name, const std::string& text) {
    platform::UniqueHKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

void DeleteValue(const std::string& path, const char* name) {
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueA(key.get(), name);
}

std::string CurrentUserSid() {
    platform::UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return std::string();
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (!size || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size))
        return std::string();
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        return std::string();
    std::string sid(text);
    LocalFree(text);
    return sid;
}

RegistrySnapshot TakeSnapshot(const std::string& path) {
    RegistrySnapshot snapshot;
    SnapshotKey(path, snapshot);
    return snapshot;
}

std::vector<std::string> Differences(const RegistrySnapshot& before,
                                     const RegistrySnapshot& after) {
    std::vector<std::string> lines;
    for (const auto& [name, value] : before) {
        auto found = after.find(name);
        if (found == after.end())
            lines.push_back("removed " + name);
        else if (found->second != value)
            lines.push_back("changed " + name + ": " + value + " -> " + found->second);
    }
    for (const auto& [name, value] : after) {
        if (!before.count(name))
            lines.push_back("added " + name + " = " + value);
    }
    return lines;
}

} // namespace gui
