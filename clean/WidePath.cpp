#include "clean/WidePath.h"

#include <windows.h>

namespace {

using WidePath::kExtendedPrefix;
using WidePath::kExtendedUncPrefix;
using WidePath::kUncStart;
using WidePath::StartsWith;
const size_t UncStartLength = 2;

// The absolute, normalised form of `path`: the "\\?\" form is passed to the
// file system unparsed, so it must hold no relative parts, no forward
// slashes and no doubled separators.
std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

} // namespace

namespace WidePath {

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return folder + L'\\' + name;
}

std::wstring ForApi(const std::wstring& path) {
    if (path.size() < MAX_PATH || StartsWith(path, kExtendedPrefix))
        return path;
    const std::wstring full = FullPath(path);
    if (StartsWith(full, kUncStart))
        return kExtendedUncPrefix + full.substr(UncStartLength);
    return kExtendedPrefix + full;
}

bool StartsWith(const std::wstring& text, const wchar_t* start) {
    return text.compare(0, wcslen(start), start) == 0;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(ForApi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(ForApi(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(ForApi(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool NameIs(const wchar_t* name, const wchar_t* fixed) {
    return CompareStringOrdinal(name, -1, fixed, -1, TRUE) == CSTR_EQUAL;
}

} // namespace WidePath
