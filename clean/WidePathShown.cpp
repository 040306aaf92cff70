#include "clean/WidePath.h"

#include <cwchar>

namespace WidePath {

std::wstring Shown(const std::wstring& path) {
    if (StartsWith(path, kExtendedUncPrefix))
        return kUncStart + path.substr(wcslen(kExtendedUncPrefix));
    if (StartsWith(path, kExtendedPrefix))
        return path.substr(wcslen(kExtendedPrefix));
    return path;
}

} // namespace WidePath
