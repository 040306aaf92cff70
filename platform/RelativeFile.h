// Opening an entry relative to the folder it was listed in. A path is looked
// up afresh at every open, so a folder renamed or swapped for a link between
// a listing and an open would send a path-based open elsewhere; an open
// relative to the folder's own handle reaches an entry of that very folder.
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <string>

namespace platform {

// Opens the existing entry `name` of the folder open as `folder`
// (NtCreateFile with the folder as root directory). `options` are the
// NtCreateFile create options to add (FILE_DIRECTORY_FILE,
// FILE_OPEN_REPARSE_POINT...); the handle is always synchronous, so the
// ordinary file calls work on it. Answers the Win32 error, 0 when opened.
DWORD OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                   ULONG options, UniqueFile& file);

} // namespace platform
