// Who may change a file or folder: whether anyone but the administrators and
// the system could have written what the program is about to trust.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Whether only administrators (the group), the system and the installer
// service can change `path`: its owner is one of them (an owner may always
// rewrite the access list), and no entry of its access list grants anyone
// else the right to write, append, delete, add or remove entries, or change
// the access rights or the owner. False too when its security cannot be read.
bool OnlyAdministratorsCanChange(const std::wstring& path);

// The registry path the platform keeps for an open key ("\REGISTRY\USER\..."),
// links on the way to it resolved; empty when it cannot tell.
std::wstring RegistryKeyName(HKEY key);

// "\REGISTRY\USER\<SID>" for the user this process runs as; empty when it
// cannot tell.
std::wstring CurrentUserHiveName();

} // namespace platform
