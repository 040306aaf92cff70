// The registry lists of Explorer and Office: keys whose values are a
// program's recent items. Their values go, the keys stay with their access
// rights, and a registry link among them is left alone with what it points to.
#pragma once

#include "clean/Visitors.h"
#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

// The names of the key's values, or of its subkeys; the status that ended
// the listing is kept in `status` (ERROR_NO_MORE_ITEMS when it listed them all).
std::vector<std::wstring> ValueNames(HKEY key, LONG& status);
std::vector<std::wstring> SubkeyNames(HKEY key, LONG& status);

// Opens `name` below `parent` as itself, never through a registry link, for
// `access`; a link answers ERROR_FILE_NOT_FOUND, as no list is there.
LONG OpenOwnKey(HKEY parent, const std::wstring& name, REGSAM access, platform::UniqueHKey& key);

// A list the clean cannot open or read whole is named, with the platform's
// reason, in the preview as in the clean; a missing one is nothing to clear.
// `path` is below HKEY_CURRENT_USER.
void NoteUnreadList(const std::wstring& path, LONG status, Visitors& visitors);

// Which of a list's values go; null: all of them.
using ValueFilter = bool (*)(const std::wstring& name);

// Deletes the values of the list `name` below `parent` (at `path` below
// HKEY_CURRENT_USER), and with `withSubkeys` those of every key below it.
void ClearValues(HKEY parent, const std::wstring& name, const std::wstring& path, bool withSubkeys,
                 Visitors& visitors, ValueFilter goes = nullptr);
