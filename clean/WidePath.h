// Wide-character paths for the folder walk. Names outside the ANSI code page
// and paths of MAX_PATH characters or more cannot pass through the "A" file
// calls, so the walk composes its paths here and hands them to the "W" calls.
#pragma once

#include <string>

namespace WidePath {

// The prefixes of the extended form, and the start of a network path.
constexpr wchar_t kExtendedPrefix[] = L"\\\\?\\";
constexpr wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kUncStart[] = L"\\\\";

// folder, a backslash, name.
std::wstring Join(const std::wstring& folder, const std::wstring& name);

// The form of `path` to hand to a file call: unchanged when short, else the
// full path with the "\\?\" prefix that lifts the MAX_PATH limit.
std::wstring ForApi(const std::wstring& path);

// `path` as a person reads it: without the "\\?\" prefix of ForApi. Only the
// noting visitors use it, so it lives in a file of its own (WidePathShown.cpp),
// linked only where they are.
std::wstring Shown(const std::wstring& path);

bool StartsWith(const std::wstring& text, const wchar_t* start);

// Whether something, a folder, or a file that is no folder is at `path`.
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
bool IsFile(const std::wstring& path);

// Whether a file name equals `fixed`, ignoring case as the file system does.
bool NameIs(const wchar_t* name, const wchar_t* fixed);

} // namespace WidePath
