#include "settings/AutoRun.h"

#include "platform/Handles.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The value always spans at least this many bytes: the path, its terminator
// and zeros up to the end.
constexpr DWORD kRunValueSize = 128;
// Longest module path the platform can report.
constexpr DWORD kLongestModulePath = 32768;

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

} // namespace

int SetAutoRun(int enable) {
    platform::UniqueHKey runKey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ | KEY_WRITE, runKey.put()) !=
        ERROR_SUCCESS)
        return -1;

    std::vector<char> path = ModulePathBuffer();
    const char* lastBackslash = std::strrchr(path.data(), '\\');
    if (!lastBackslash)
        return -2;
    const char* valueName = lastBackslash + 1;

    if (enable) {
        // The whole buffer: the path, its terminator and the zeros after it.
        RegSetValueExA(runKey.get(), valueName, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(path.data()),
                       static_cast<DWORD>(path.size()));
    } else {
        RegDeleteValueA(runKey.get(), valueName);
    }
    return 0;
}
