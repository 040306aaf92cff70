// The folders of the user's profile by their known-folder ids, in wide
// characters: a profile path outside the ANSI code page comes back whole; and
// the one path a folder resolves to, however it was written.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// SHGetKnownFolderPath(id), without a trailing backslash; empty when the
// platform does not tell.
std::wstring KnownFolderPath(const GUID& id);

// The path the platform resolves the existing `folder` to, as
// GetFinalPathNameByHandleW gives it for the open folder ("\\?\C:\...",
// "\\?\UNC\server\share\..."): links, junctions, short names and prefixes
// undone, so that two ways of writing one folder compare equal. A drive's root
// keeps its backslash. Answers the Win32 error, 0 when resolved.
DWORD FinalFolderPath(const std::wstring& folder, std::wstring& path);

} // namespace platform
