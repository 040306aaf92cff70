#include "platform/RegistryNames.h"

namespace platform {

namespace {

// The longest key name is 255 characters; a value name may have 16383.
const DWORD KeyNameSize = 256;
const DWORD ValueNameSize = 16384;

} // namespace

std::vector<std::wstring> ValueNames(HKEY key, LONG& status) {
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(ValueNameSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = ValueNameSize;
        status =
            RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return names;
        names.emplace_back(name.data(), length);
    }
}

std::vector<std::wstring> SubkeyNames(HKEY key, LONG& status) {
    std::vector<std::wstring> names;
    wchar_t name[KeyNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = KeyNameSize;
        status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, length);
    }
}

} // namespace platform
