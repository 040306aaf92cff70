#include "settings/AutoRun.h"

#include "platform/Handles.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The value always spans at least this many bytes: the quoted path, its
// terminator and zeros up to the end.
constexpr DWORD kRunValueSize = 128;
// Longest module path the platform can report.
constexpr DWORD kLongestModulePath = 32768;
constexpr char kQuote = '"';

// The program's own module path with its terminator, in a zero-filled buffer
// of at least kRunValueSize bytes. A path that does not fit the 128 bytes gets
// a larger buffer rather than being cut: a cut path would start the wrong file.
std::vector<char> ModulePathBuffer() {
    std::vector<char> buffer(kRunValueSize, '\0');
    while (true) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0)
            return std::vector<char>(kRunValueSize, '\0');
        if (length < size)
            return buffer;
        if (size >= kLongestModulePath)
            return std::vector<char>(kRunValueSize, '\0');
        buffer.assign(size * 2, '\0');
    }
}

// The entry's data: the path in double quotes, its terminator and zeros up to
// at least kRunValueSize bytes. Windows starts the entry as a command line,
// where an unquoted path with spaces is tried piece by piece: for
// "C:\Program Files\..." a C:\Program.exe would start instead.
std::vector<char> QuotedRunValue(const std::vector<char>& path) {
    const size_t length = std::strlen(path.data());
    std::vector<char> value(std::max<size_t>(kRunValueSize, length + 3), '\0');
    value[0] = kQuote;
    std::memcpy(&value[1], path.data(), length);
    value[length + 1] = kQuote;
    return value;
}

void WriteRunValue(HKEY runKey, const char* valueName, const std::vector<char>& path) {
    // The whole buffer: the quoted path, its terminator and the zeros after it.
    std::vector<char> value = QuotedRunValue(path);
    RegSetValueExA(runKey, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                   static_cast<DWORD>(value.size()));
}

// The text of a REG_SZ value up to its terminator; empty when the value is
// missing, of another type, or changes while it is read.
std::string StoredText(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
        return {};
    return data.data();
}

// What both operations start from: the open "Run" key, the module path and
// the value name within it (the text after the path's last backslash).
struct RunEntry {
    platform::UniqueHKey runKey;
    std::vector<char> path;
    const char* valueName = nullptr;
};

// 0 when `entry` is ready, else the operations' result: -1 when the "Run"
// key cannot be opened (it is never created), -2 when the path holds no
// backslash.
int OpenRunEntry(RunEntry& entry) {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ | KEY_WRITE, entry.runKey.put()) !=
        ERROR_SUCCESS)
        return -1;
    entry.path = ModulePathBuffer();
    const char* lastBackslash = std::strrchr(entry.path.data(), '\\');
    if (!lastBackslash)
        return -2;
    entry.valueName = lastBackslash + 1;
    return 0;
}

} // namespace

int SetAutoRun(int enable) {
    RunEntry entry;
    if (int failure = OpenRunEntry(entry))
        return failure;
    if (enable)
        WriteRunValue(entry.runKey.get(), entry.valueName, entry.path);
    else
        RegDeleteValueA(entry.runKey.get(), entry.valueName);
    return 0;
}

int RequoteAutoRun() {
    RunEntry entry;
    if (int failure = OpenRunEntry(entry))
        return failure;
    if (lstrcmpiA(StoredText(entry.runKey.get(), entry.valueName).c_str(), entry.path.data()) == 0)
        WriteRunValue(entry.runKey.get(), entry.valueName, entry.path);
    return 0;
}
