// What the folder walk asks of an open entry before it changes anything: whether
// the handle reached the entry itself or a link's target (the check that only
// Wine needs), and whether the file has other names that share its data and
// attributes. Internal to the walk.
#pragma once

#include <windows.h>

#include <string>

namespace walk {

// What a handle opened by an entry's name turned out to be: the entry itself,
// another file (a link the platform resolved), or what cannot be told.
enum class Identity { Entry, Elsewhere, Untold };

// Whether the files of a walk need the check that their handle reached the
// entry itself: only where the platform shows a link as a plain file and
// resolves every open of it. Decided once per process.
bool FileHandlesMayReachLinkTargets();

// The path the platform keeps for an open folder, without a trailing
// backslash. Answers the Win32 error, 0 when read.
DWORD ResolvedPath(HANDLE folder, std::wstring& resolved);

// Under Wine every open of a Unix symbolic link to a file reaches the target,
// FILE_OPEN_REPARSE_POINT included, and the link lists as a plain file: only
// the path Wine keeps for the handle (the target's) tells it from the entry.
// `expected` is the entry's path below its folder's path, as read by
// ResolvedPath; Untold sets `error`.
Identity Identify(HANDLE file, const std::wstring& expected, DWORD& error);

// Only the entry's own data is zeroed: a file with other names (hard links)
// may be someone else's data, and so is the target of a link.
bool HoldsOwnData(HANDLE file);

// Whether the open file has names besides this one, which share its
// attributes. Where the platform does not say, it is taken to have them.
bool HasOtherNames(HANDLE file);

// Whether a file's deletion can leave its read-only bit alone
// (FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE).
bool DeletionCanKeepReadOnly();

} // namespace walk
