#include "catalogue/DefinitionReader.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "platform/UnicodeIniCopy.h"
#include "platform/TextConversion.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

const wchar_t CommentStart = L';';
const wchar_t SectionStart = L'[';
const wchar_t SectionEnd = L']';
const wchar_t KeyValueSeparator = L'=';
const wchar_t Blanks[] = L" \t";
const wchar_t VersionComment[] = L"Version:";
const char Utf8Mark[] = "\xEF\xBB\xBF";
const size_t Utf8MarkSize = 3;
const unsigned char Utf16Mark[] = {0xFF, 0xFE};
// Far beyond the few megabytes a file of definitions holds.
const LONGLONG LargestFile = 64LL * 1024 * 1024;
// The first buffers the profile calls fill; they double until all fits.
const DWORD NamesBufferSize = 1 << 17;
const DWORD SectionBufferSize = 1 << 12;
// What the profile calls answer when the buffer was too small.
const DWORD TruncatedMargin = 2;

const wchar_t DamagedHeader[] = L"a section's name without its closing ']'";
const wchar_t NotAKey[] = L"a line that is no key=value";
const wchar_t ControlCharacter[] = L"a control character in the line";
const wchar_t StrayLine[] = L"a line outside any entry";
const wchar_t DuplicateName[] = L"an entry of this name comes first, at line ";

std::wstring_view Trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::wstring_view::npos)
        return std::wstring_view();
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

// A character no path, name or value may hold: a path cut short at a null
// would no longer be the path that was checked.
bool HasControlCharacter(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](wchar_t c) { return c != L'\t' && (c < L' ' || c == 0x7F); });
}

std::wstring Folded(std::wstring text) {
    if (!text.empty())
        CharUpperBuffW(&text[0], DWORD(text.size()));
    return text;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// A list of strings each ended by a null, the list by a second one, as the
// profile calls fill it; `call` answers the characters written.
template <typename Call> std::vector<std::wstring> NullSeparated(DWORD size, Call call) {
    std::vector<wchar_t> buffer;
    DWORD written = 0;
    do {
        size *= buffer.empty() ? 1 : 2;
        buffer.assign(size, L'\0');
        written = call(buffer.data(), size);
    } while (written + TruncatedMargin >= size);
    std::vector<std::wstring> strings;
    for (const wchar_t* at = buffer.data(); at < buffer.data() + written && *at;
         at += wcslen(at) + 1)
        strings.emplace_back(at);
    return strings;
}

// The file's lines, trimmed, to number what the profile calls answer. They
// are matched in order: a section's header after the one before it, a key
// after the key before it and before the next header.
class LineIndex {
public:
    explicit LineIndex(const std::wstring& text);

    std::wstring_view At(size_t line) const { return m_lines[line - 1]; }
    size_t Count() const { return m_lines.size(); }
    // The number of the line of the section `name`, after `from`; 0: none.
    size_t Header(const std::wstring& name, size_t from) const;
    // The number of the line of the key `entry`, after `from` and before the
    // next header; `fallback` when none is.
    size_t Key(const std::wstring& entry, size_t from, size_t fallback) const;
    static bool IsHeader(std::wstring_view line) {
        return !line.empty() && line[0] == SectionStart && line.find(SectionEnd) != line.npos;
    }

private:
    std::vector<std::wstring_view> m_lines;
};

LineIndex::LineIndex(const std::wstring& text) {
    for (size_t start = 0; start <= text.size();) {
        size_t stop = text.find(L'\n', start);
        if (stop == std::wstring::npos)
            stop = text.size();
        std::wstring_view line(text.data() + start, stop - start);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        m_lines.push_back(Trimmed(line));
        start = stop + 1;
    }
}

size_t LineIndex::Header(const std::wstring& name, size_t from) const {
    for (size_t line = from + 1; line <= m_lines.size(); ++line) {
        const std::wstring_view text = At(line);
        if (IsHeader(text) &&
            SameName(Trimmed(text.substr(1, text.rfind(SectionEnd) - 1)), Trimmed(name)))
            return line;
    }
    return 0;
}

size_t LineIndex::Key(const std::wstring& entry, size_t from, size_t fallback) const {
    const size_t separator = entry.find(KeyValueSeparator);
    const std::wstring_view name = Trimmed(std::wstring_view(entry).substr(0, separator));
    for (size_t line = from + 1; line <= m_lines.size() && !IsHeader(At(line)); ++line) {
        const std::wstring_view text = At(line);
        const size_t at = text.find(KeyValueSeparator);
        if ((separator == std::wstring::npos) == (at == std::wstring_view::npos) &&
            Trimmed(text.substr(0, at)) == name)
            return line;
    }
    return fallback;
}

void Damage(RawSection& section, size_t line, const wchar_t* reason) {
    if (section.damaged.reason.empty())
        section.damaged = {line, reason};
}

// One line of the section as the profile call gave it: "name=value", or a
// line without '=' that the platform kept as it is.
void AddKey(RawSection& section, const std::wstring& entry, size_t line) {
    const size_t separator = entry.find(KeyValueSeparator);
    if (HasControlCharacter(entry))
        return Damage(section, line, ControlCharacter);
    if (separator == std::wstring::npos || Trimmed(entry.substr(0, separator)).empty())
        return Damage(section, line, entry[0] == SectionStart ? DamagedHeader : NotAKey);
    section.keys.push_back({std::wstring(Trimmed(std::wstring_view(entry).substr(0, separator))),
                            std::wstring(Trimmed(std::wstring_view(entry).substr(separator + 1))),
                            line});
}

RawSection ReadSection(const std::wstring& path, const std::wstring& name, size_t line,
                       const LineIndex& lines) {
    RawSection section;
    section.name = name;
    section.line = line;
    size_t cursor = line;
    for (const std::wstring& entry : NullSeparated(SectionBufferSize, [&](wchar_t*to, DWORD n) {
             return GetPrivateProfileSectionW(name.c_str(), to, n, path.c_str());
         })) {
        cursor = lines.Key(entry, cursor, cursor);
        AddKey(section, entry, cursor ? cursor : line);
    }
    if (HasControlCharacter(name))
        Damage(section, line, ControlCharacter);
    return section;
}

// "; Version: 260730" and the lines that are not comments, before the first section.
void ReadHead(const LineIndex& lines, RawDefinitions& raw) {
    const size_t length = wcslen(VersionComment);
    for (size_t line = 1; line <= lines.Count() && !LineIndex::IsHeader(lines.At(line)); ++line) {
        const std::wstring_view text = lines.At(line);
        if (text.empty())
            continue;
        if (text[0] != CommentStart) {
            raw.strayLines.push_back({line, StrayLine});
            continue;
        }
        const std::wstring_view comment = Trimmed(text.substr(1));
        if (raw.version.empty() && comment.compare(0, length, VersionComment) == 0)
            raw.version = Trimmed(comment.substr(length));
    }
}

std::wstring Utf16Text(const std::string& bytes) {
    std::wstring text((bytes.size() - sizeof Utf16Mark) / sizeof(wchar_t), L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data() + sizeof Utf16Mark, text.size() * sizeof(wchar_t));
    return text;
}

// The file's text, to number its lines: UTF-16 when it starts with its
// byte-order mark, else UTF-8 (with or without its mark).
bool ReadText(const std::wstring& path, std::wstring& text, DWORD& error) {
    platform::UniqueFile file(CreateFileW(WidePath::ForApi(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        error = GetLastError();
        return false;
    }
    if (size.QuadPart > LargestFile) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty()) {
        const BOOL ok = ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr);
        error = !ok ? GetLastError() : read != bytes.size() ? ERROR_HANDLE_EOF : ERROR_SUCCESS;
        if (error != ERROR_SUCCESS)
            return false;
    }
    if (bytes.size() >= sizeof Utf16Mark && memcmp(bytes.data(), Utf16Mark, sizeof Utf16Mark) == 0)
        text = Utf16Text(bytes);
    else
        text = platform::FromUtf8(
            bytes.compare(0, Utf8MarkSize, Utf8Mark) == 0 ? bytes.substr(Utf8MarkSize) : bytes);
    error = ERROR_SUCCESS;
    return true;
}

} // namespace

bool ReadDefinitions(const std::wstring& path, RawDefinitions& raw, DWORD& error) {
    std::wstring text;
    if (!ReadText(path, text, error))
        return false;
    const LineIndex lines(text);
    ReadHead(lines, raw);
    // The profile calls read UTF-8 in the code page: they get a UTF-16 copy.
    const platform::UnicodeIniCopy copy(path);
    const std::wstring& unicode = copy.Path();
    // Folded name -> the line of the first section of that name: the profile
    // calls answer only the first one's keys, so a second one has none.
    std::unordered_map<std::wstring, size_t> first;
    size_t cursor = 0;
    for (const std::wstring& name : NullSeparated(NamesBufferSize, [&](wchar_t*to, DWORD n) {
             return GetPrivateProfileSectionNamesW(to, n, unicode.c_str());
         })) {
        const size_t line = lines.Header(name, cursor);
        cursor = line ? line : cursor;
        const auto seen = first.emplace(Folded(std::wstring(Trimmed(name))), cursor);
        if (seen.second) {
            raw.sections.push_back(ReadSection(unicode, name, cursor, lines));
            continue;
        }
        RawSection again;
        again.name = name;
        again.line = cursor;
        again.damaged = {cursor, DuplicateName + std::to_wstring(seen.first->second)};
        raw.sections.push_back(std::move(again));
    }
    return true;
}
