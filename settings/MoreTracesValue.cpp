#include "settings/MoreTracesValue.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

const wchar_t Separator = L',';
const wchar_t Escape = L'%';
const wchar_t Blank = L' ';
const wchar_t HexDigits[] = L"0123456789ABCDEF";
const size_t EscapeSize = 3;
const int HexBase = 16;
// Only characters below this are ever escaped, so only they are decoded.
const int EscapedBelow = 0x80;

bool NeedsEscape(const std::wstring& name, size_t i) {
    const wchar_t c = name[i];
    return c == Separator || c == Escape || (c == Blank && (i == 0 || i + 1 == name.size()));
}

std::wstring Encoded(const std::wstring& name) {
    std::wstring out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (!NeedsEscape(name, i)) {
            out += name[i];
            continue;
        }
        out += Escape;
        out += HexDigits[name[i] / HexBase];
        out += HexDigits[name[i] % HexBase];
    }
    return out;
}

int HexValue(wchar_t c) {
    const wchar_t* digit = c ? wcschr(HexDigits, towupper(c)) : nullptr;
    return digit ? int(digit - HexDigits) : -1;
}

// A percent sign that starts no escape stays as it is.
std::wstring Decoded(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = i + EscapeSize <= text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        const int code = high * HexBase + low;
        if (text[i] != Escape || low < 0 || code >= EscapedBelow) {
            out += text[i];
            continue;
        }
        out += wchar_t(code);
        i += EscapeSize - 1;
    }
    return out;
}

} // namespace

std::vector<std::wstring> MoreTraceNamesOf(const std::wstring& value) {
    std::vector<std::wstring> names;
    for (size_t start = 0; start <= value.size();) {
        const size_t end = std::min(value.find(Separator, start), value.size());
        std::wstring name = value.substr(start, end - start);
        name.erase(0, name.find_first_not_of(Blank));
        name.erase(name.find_last_not_of(Blank) + 1);
        if (!name.empty())
            names.push_back(Decoded(name));
        start = end + 1;
    }
    return names;
}

std::wstring MoreTracesValueOf(const std::vector<std::wstring>& names) {
    std::wstring value;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            value += Separator;
        value += Encoded(names[i]);
    }
    return value;
}
