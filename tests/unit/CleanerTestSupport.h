// Helpers shared by the cleaner tests: the sandbox guard, a count of the
// process's open handles, registry and file seeding, and links made from the
// Unix side (Wine cannot make them from Win32).
#pragma once

#include "platform/Handles.h"
#include "tests/unit/ResourceCensus.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sddl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace cleanertest {

using census::CountOwnHandles;
using census::CountProcessHeapBlocks;

// The cleaners delete the current user's real traces: never run them outside
// the throw-away sandbox of scripts/sandbox.sh.
inline bool InSandbox() {
    const char* box = std::getenv("QUENBY_SANDBOX");
    return box != nullptr && box[0] != '\0';
}

#define REQUIRE_SANDBOX()                                                                          \
    do {                                                                                           \
        if (!cleanertest::InSandbox())                                                             \
            FAIL() << "QUENBY_SANDBOX is not set: run through scripts/sandbox.sh";                 \
    } while (0)

// What ExpectNothingLeft compares. Some shell calls keep process-heap
// blocks of their own on every call (Wine's SHEmptyRecycleBinA does), so
// around them only handles can be compared.
enum class Check { HandlesAndHeap, HandlesOnly };

// Runs `operation` once to let the system load and cache what it keeps for
// good, seeds again with `seed`, then runs it again and expects the same
// handles (and process-heap blocks) in use before and after.
inline void ExpectNothingLeft(const char* what, const std::function<void()>& seed,
                              const std::function<void()>& operation,
                              Check check = Check::HandlesAndHeap) {
    seed();
    operation();
    seed();
    const int handles = CountOwnHandles();
    const int blocks = CountProcessHeapBlocks();
    operation();
    EXPECT_EQ(handles, CountOwnHandles()) << "handles left open by " << what;
    if (check == Check::HandlesAndHeap) {
        EXPECT_EQ(blocks, CountProcessHeapBlocks()) << "process-heap blocks left by " << what;
    }
}

// ---- registry ----

inline void CreateKey(const std::string& path) {
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), key.put())) << path;
}

inline void SetStringValue(const std::string& path, const std::string& name,
                           const std::string& data) {
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), key.put())) << path;
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1)));
}

inline bool KeyExists(const std::string& path) {
    platform::UniqueHKey key;
    return RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), key.put()) == ERROR_SUCCESS;
}

inline bool ValueExists(const std::string& path, const std::string& name) {
    platform::UniqueHKey key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), key.put()) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

// Sets the key's security descriptor from its SDDL text.
inline void SetSecurity(HKEY hive, const std::string& path, const std::string& sddl,
                        SECURITY_INFORMATION parts = DACL_SECURITY_INFORMATION) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    platform::UniqueHKey key;
    LONG status = RegOpenKeyExA(hive, path.c_str(), 0, WRITE_DAC | WRITE_OWNER, key.put());
    if (status == ERROR_SUCCESS)
        status = RegSetKeySecurity(key.get(), parts, descriptor);
    LocalFree(descriptor);
    ASSERT_EQ(ERROR_SUCCESS, status) << "setting " << sddl << " on " << path;
}

// ---- files ----

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end()); // for failure messages only
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    platform::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(bool(file)) << "cannot create " << Narrow(path);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
    ASSERT_EQ(bytes.size(), written);
}

inline std::string ReadBytes(const std::wstring& path) {
    platform::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return "<missing>";
    std::string bytes(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

// Bytes that are nowhere zero, so a wipe shows wherever it happened.
inline std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char('A' + i % 26);
    return bytes;
}

inline void MakeFolder(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << Narrow(path);
}

// Names of the entries of `folder`, without "." and "..".
inline std::vector<std::wstring> Entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find.get(), &entry));
    return names;
}

// Removes a test tree with the "W" calls. Links are not followed: on Wine
// they are removed from the Unix side by the test that made them.
inline void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& name : Entries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    }
}

// A fresh folder in the sandbox's temporary folder, removed afterwards.
class TestFolder {
public:
    explicit TestFolder(const wchar_t* name) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + name;
        RemoveTree(m_path);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TestFolder() {
        RemoveTree(m_path);
        RemoveDirectoryW(m_path.c_str());
    }
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// ---- Unix-side links ----

// The Unix path of a Windows path (kernel32's wine_get_unix_file_name).
inline std::string UnixPath(const std::wstring& path) {
    using UnixNameFn = char*(CDECL*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        return std::string();
    platform::UniqueHeapBlock name(unixName(path.c_str()));
    return name ? std::string(static_cast<char*>(name.get())) : std::string();
}

// The Windows path of a Unix path (kernel32's wine_get_dos_file_name).
inline std::wstring DosPath(const std::string& path) {
    using DosNameFn = wchar_t*(CDECL*)(const char*);
    auto dosName = reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
    platform::UniqueHeapBlock name(dosName ? dosName(path.c_str()) : nullptr);
    return name ? std::wstring(static_cast<wchar_t*>(name.get())) : std::wstring();
}

// Runs a Unix program. Wine starts it but gives no process handle to wait
// on, so callers poll for its effect.
inline bool RunUnix(std::string commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    platform::UniqueHandle processHandle(process.hProcess);
    platform::UniqueHandle threadHandle(process.hThread);
    return true;
}

inline bool WaitFor(const std::function<bool()>& done) {
    const int Attempts = 300;
    const DWORD Pause = 10;
    for (int i = 0; i < Attempts; ++i) {
        if (done())
            return true;
        Sleep(Pause);
    }
    return false;
}

inline bool IsListed(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    for (const std::wstring& name : Entries(path.substr(0, slash)))
        if (name == path.substr(slash + 1))
            return true;
    return false;
}

// Makes `link` a Unix symbolic link to the file or folder `target`; both must
// lie in the sandbox.
inline void MakeSymlink(const std::wstring& target, const std::wstring& link) {
    const std::string box = std::getenv("QUENBY_SANDBOX");
    const std::string unixTarget = UnixPath(target);
    const std::string unixLink = UnixPath(link);
    ASSERT_EQ(0u, unixTarget.find(box)) << unixTarget << " lies outside the sandbox " << box;
    ASSERT_EQ(0u, unixLink.find(box)) << unixLink << " lies outside the sandbox " << box;
    ASSERT_TRUE(RunUnix("/bin/ln -s " + unixTarget + " " + unixLink));
    ASSERT_TRUE(WaitFor([&] { return Exists(link); }))
        << "the link " << unixLink << " did not appear";
}

// Removes a Unix symbolic link made by MakeSymlink, on the Unix side.
inline void RemoveSymlink(const std::wstring& link) {
    const std::string box = std::getenv("QUENBY_SANDBOX");
    const std::string unixLink = UnixPath(link);
    if (unixLink.empty() || unixLink.find(box) != 0)
        return;
    RunUnix("/bin/rm -f " + unixLink);
    WaitFor([&] { return !IsListed(link); });
}

} // namespace cleanertest
