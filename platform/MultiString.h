// A list of texts in one registry value (REG_MULTI_SZ): each text ends with
// a null, and one more null ends the list. Empty texts cannot be stored.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace platform {

// The texts of the value `name` under `key`; none when it is missing or of
// another type. A list that lacks its final nulls (another program wrote
// it) is read to its end.
inline std::vector<std::wstring> ReadMultiString(HKEY key, const wchar_t* name) {
    std::vector<std::wstring> texts;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return texts;
    std::wstring raw(size / sizeof(wchar_t) + 2, L'\0');
    size = DWORD(raw.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&raw[0]), &size) !=
            ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return texts;
    raw.resize(size / sizeof(wchar_t));
    for (size_t start = 0; start < raw.size();) {
        const size_t end = std::min(raw.find(L'\0', start), raw.size());
        if (end > start)
            texts.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return texts;
}

// Stores `texts` (empty ones left out) as the value `name` under `key`.
inline bool WriteMultiString(HKEY key, const wchar_t* name,
                             const std::vector<std::wstring>& texts) {
    std::wstring raw;
    for (const std::wstring& text : texts) {
        if (!text.empty())
            raw += text + L'\0';
    }
    raw += L'\0';
    return RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(raw.data()),
                          DWORD(raw.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace platform
