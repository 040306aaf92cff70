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

// What tells an open entry from another: its attributes and its file id, the
// number a folder listing gives for it.
struct EntryIdentity {
    DWORD attributes;
    LONGLONG id;
};

// Reads them from the handle alone; GetFileInformationByHandle would also ask
// for the volume's serial number, a request to the mount manager under Wine.
// Answers the Win32 error, 0 when read.
DWORD QueryIdentity(HANDLE entry, EntryIdentity& identity);

// The path the platform keeps for an open file or folder, in its own form
// (under Wine "\??\C:\...", the name it resolved when the handle was opened),
// at any length: GetFinalPathNameByHandleW stops at MAX_PATH under Wine.
// `guess` is the length expected, which one request then reads. Answers the
// Win32 error, 0 when read.
DWORD OpenedPath(HANDLE file, size_t guess, std::wstring& path);

} // namespace platform
