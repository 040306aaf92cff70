// The names below an open registry key, read whole before any of them is
// touched: a listing by index moves on as entries go.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

// The names of the key's values (RegEnumValueW); the status that ended the
// listing is kept in `status` (ERROR_NO_MORE_ITEMS when it listed them all).
std::vector<std::wstring> ValueNames(HKEY key, LONG& status);
// The names of its subkeys (RegEnumKeyExW), in the same way.
std::vector<std::wstring> SubkeyNames(HKEY key, LONG& status);

} // namespace platform
