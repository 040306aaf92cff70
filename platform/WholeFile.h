// A small file of another program's read whole, while that program may
// still have it open.
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <string>

namespace platform {

// The file's bytes; empty when it is missing, larger than `limit` or cannot
// be read whole.
inline std::string ReadWholeFile(const std::wstring& path, LONGLONG limit) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > limit)
        return std::string();
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::string();
    return bytes;
}

} // namespace platform
