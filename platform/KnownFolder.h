// The folders of the user's profile by their known-folder ids, in wide
// characters: a profile path outside the ANSI code page comes back whole.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// SHGetKnownFolderPath(id), without a trailing backslash; empty when the
// platform does not tell.
std::wstring KnownFolderPath(const GUID& id);

} // namespace platform
