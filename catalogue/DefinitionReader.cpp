#include "catalogue/DefinitionReader.h"

#include "clean/WidePath.h"
#include "clean/Wildcard.h"
#include "platform/Handles.h"
#include "platform/TextConversion.h"
#include "platform/UnicodeIniCopy.h"

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
const wchar_t LineBreak[] = L"\r\n";
const wchar_t VersionComment[] = L"Version:";
const char Utf8Mark[] = "\xEF\xBB\xBF";
const size_t Utf8MarkSize = 3;
const unsigned char Utf16Mark[] = {0xFF, 0xFE};
// Far beyond the few megabytes a file of definitions holds.
const LONGLONG LargestFile = 64LL * 1024 * 1024;
// What the profile calls answer when the buffer was too small.
const DWORD TruncatedMargin = 2;
// The text of a piece handed to the profile calls: a few million characters,
// the whole of today's file (1.8 million) in one call, which costs less than
// the temporary files and calls of many smaller pieces; a file larger still
// goes in more pieces rather than in one of any size.
const size_t PieceCharacters = 1 << 22;
// The one section of a piece, and the start of the lines that stand for the
// headers in it: a character of the private use area.
const wchar_t PieceName[] = L"\xE000";
const wchar_t HeaderMark[] = L"\xE000";

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
    for (const wchar_t c : text) {
        if (c != L'\t' && (c < L' ' || c == 0x7F))
            return true;
    }
    return false;
}

// A list of strings each ended by a null, the list by a second one, as the
// profile calls fill `buffer`; `call` answers the characters written. The
// strings point into `buffer`.
template <typename Call>
std::vector<std::wstring_view> NullSeparated(DWORD size, std::vector<wchar_t>& buffer, Call call) {
    DWORD written = 0;
    buffer.clear();
    do {
        size *= buffer.empty() ? 1 : 2;
        buffer.resize(size);
        written = call(buffer.data(), size);
    } while (written + TruncatedMargin >= size);
    std::vector<std::wstring_view> strings;
    for (const wchar_t* at = buffer.data(); at < buffer.data() + written && *at;) {
        const size_t length = wcslen(at);
        strings.emplace_back(at, length);
        at += length + 1;
    }
    return strings;
}

// The file's lines, to number what the profile calls answer and to cut the
// text where sections start.
class LineIndex {
public:
    explicit LineIndex(const std::wstring& text);

    // Trimmed.
    std::wstring_view At(size_t line) const { return m_lines[line - 1]; }
    // As written, without its line break.
    std::wstring_view Raw(size_t line) const { return m_raw[line - 1]; }
    // Whether the line holds a character no name or value may hold.
    bool Damaged(size_t line) const { return m_damaged[line - 1]; }
    size_t Count() const { return m_lines.size(); }
    // The lines of the sections' headers, in order.
    const std::vector<size_t>& Headers() const { return m_headers; }
    // The number of the line of the key `entry`, after `from` and before the
    // next header; `fallback` when none is. Keys are matched in order.
    size_t Key(std::wstring_view entry, size_t from, size_t fallback) const;
    static bool IsHeader(std::wstring_view line) {
        return !line.empty() && line[0] == SectionStart && line.find(SectionEnd) != line.npos;
    }
    // What stands between the brackets of a header, as written.
    static std::wstring NameOf(std::wstring_view header) {
        return std::wstring(header.substr(1, header.rfind(SectionEnd) - 1));
    }

private:
    std::vector<std::wstring_view> m_raw;
    std::vector<std::wstring_view> m_lines;
    std::vector<bool> m_damaged;
    std::vector<size_t> m_headers;
};

LineIndex::LineIndex(const std::wstring& text) {
    const size_t count = size_t(std::count(text.begin(), text.end(), L'\n')) + 1;
    m_raw.reserve(count);
    m_lines.reserve(count);
    for (size_t start = 0; start <= text.size();) {
        size_t stop = text.find(L'\n', start);
        if (stop == std::wstring::npos)
            stop = text.size();
        std::wstring_view line(text.data() + start, stop - start);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        m_raw.push_back(line);
        m_lines.push_back(Trimmed(line));
        m_damaged.push_back(HasControlCharacter(line));
        if (IsHeader(m_lines.back()))
            m_headers.push_back(m_lines.size());
        start = stop + 1;
    }
}

size_t LineIndex::Key(std::wstring_view entry, size_t from, size_t fallback) const {
    const size_t separator = entry.find(KeyValueSeparator);
    const std::wstring_view name = Trimmed(entry.substr(0, separator));
    for (size_t line = from + 1; line <= m_lines.size() && !IsHeader(At(line)); ++line) {
        const std::wstring_view text = At(line);
        const size_t at = text.find(KeyValueSeparator);
        if ((separator == std::wstring_view::npos) == (at == std::wstring_view::npos) &&
            Trimmed(text.substr(0, at)) == name)
            return line;
    }
    return fallback;
}

// A section names its first damaged line.
void Damage(RawSection& section, size_t line, const std::wstring& reason) {
    if (section.damaged.reason.empty() || line < section.damaged.line)
        section.damaged = {line, reason};
}

// One line of the section as the profile call gave it: "name=value", or a
// line without '=' that the platform kept as it is.
void AddKey(RawSection& section, std::wstring_view entry, size_t line) {
    const size_t separator = entry.find(KeyValueSeparator);
    if (HasControlCharacter(entry))
        return Damage(section, line, ControlCharacter);
    const std::wstring_view name = Trimmed(entry.substr(0, separator));
    if (separator == std::wstring_view::npos || name.empty())
        return Damage(section, line, entry[0] == SectionStart ? DamagedHeader : NotAKey);
    section.keys.push_back({name, Trimmed(entry.substr(separator + 1)), line});
}

// The line that stands for the header at `line` in a piece: a key without
// '=', which the platform answers as it is.
std::wstring Marker(size_t line) {
    return HeaderMark + std::to_wstring(line);
}

// The profile calls answer one section a call, and each call looks at the
// whole file again: thousands of sections took seconds. So the file is
// handed to them in pieces of a few million characters, cut only where a
// section starts, each piece one section whose headers have become marker lines: one
// call reads a piece, and the platform still parses every key, value and
// comment in it. A line with a control character is kept from the platform,
// which may take a carriage return in it for the end of a line.
class PieceReader {
public:
    static const size_t None = size_t(-1);
    PieceReader(const LineIndex& lines, RawDefinitions& raw) : m_lines(lines), m_raw(raw) {}
    // How many sections from Headers()[first] the next piece holds.
    size_t Sections(size_t first) const;
    // The sections whose headers are Headers()[first, last); false, with the
    // platform's error, when the piece could not be written.
    bool Read(size_t first, size_t last, DWORD& error);

private:
    // The line after the section of Headers()[header].
    size_t EndOf(size_t header) const {
        return header + 1 < m_lines.Headers().size() ? m_lines.Headers()[header + 1]
                                                     : m_lines.Count() + 1;
    }
    std::wstring Text(size_t first, size_t last) const;
    void Start(size_t header);

    const LineIndex& m_lines;
    RawDefinitions& m_raw;
    // Folded name -> the line of the first section of that name: a second
    // one is refused, since the profile calls answer only the first one's
    // keys in a file.
    std::unordered_map<std::wstring, size_t> m_first;
    // The section the next keys belong to; none before the first, nor for a
    // second one of a name.
    size_t m_current = None;
    size_t m_cursor = 0;
};

size_t PieceReader::Sections(size_t first) const {
    const std::vector<size_t>& headers = m_lines.Headers();
    const std::wstring_view start = m_lines.Raw(headers[first]);
    size_t last = first + 1;
    while (last < headers.size() &&
           size_t(m_lines.Raw(headers[last]).data() - start.data()) < PieceCharacters)
        ++last;
    return last - first;
}

std::wstring PieceReader::Text(size_t first, size_t last) const {
    std::wstring text = SectionStart + std::wstring(PieceName) + SectionEnd + LineBreak;
    for (size_t line = m_lines.Headers()[first]; line < EndOf(last - 1); ++line) {
        if (LineIndex::IsHeader(m_lines.At(line)))
            text += Marker(line);
        else if (!m_lines.Damaged(line))
            text += m_lines.Raw(line);
        text += LineBreak;
    }
    return text;
}

void PieceReader::Start(size_t header) {
    const size_t line = m_lines.Headers()[header];
    RawSection section;
    section.name = LineIndex::NameOf(m_lines.At(line));
    section.line = line;
    section.keys.reserve(EndOf(header) - line - 1);
    m_cursor = line;
    const auto seen = m_first.emplace(wildcard::Folded(std::wstring(Trimmed(section.name))), line);
    if (!seen.second)
        Damage(section, line, DuplicateName + std::to_wstring(seen.first->second));
    if (HasControlCharacter(section.name))
        Damage(section, line, ControlCharacter);
    for (size_t below = line + 1; below < EndOf(header); ++below) {
        if (m_lines.Damaged(below)) {
            Damage(section, below, ControlCharacter);
            break;
        }
    }
    m_raw.sections.push_back(std::move(section));
    m_current = seen.second ? m_raw.sections.size() - 1 : None;
}

bool PieceReader::Read(size_t first, size_t last, DWORD& error) {
    const std::wstring text = Text(first, last);
    const platform::UnicodeIniText piece(text);
    if (piece.Path().empty()) {
        error = piece.Error();
        return false;
    }
    const DWORD size = DWORD(text.size()) + TruncatedMargin + 1;
    size_t next = first;
    std::wstring marker = Marker(m_lines.Headers()[next]);
    m_current = None;
    m_raw.answers.emplace_back();
    std::vector<wchar_t>& answer = m_raw.answers.back();
    const std::vector<std::wstring_view> entries =
        NullSeparated(size, answer, [&](wchar_t* to, DWORD n) {
            return GetPrivateProfileSectionW(PieceName, to, n, piece.Path().c_str());
        });
    for (const std::wstring_view entry : entries) {
        if (next < last && entry == marker) {
            Start(next++);
            marker = next < last ? Marker(m_lines.Headers()[next]) : std::wstring();
            continue;
        }
        if (m_current == None)
            continue;
        m_cursor = m_lines.Key(entry, m_cursor, m_cursor);
        AddKey(m_raw.sections[m_current], entry, m_cursor);
    }
    // A header the platform did not answer still names its section.
    while (next < last)
        Start(next++);
    return true;
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
    PieceReader reader(lines, raw);
    for (size_t first = 0, size = 0; first < lines.Headers().size(); first += size) {
        size = reader.Sections(first);
        if (!reader.Read(first, first + size, error))
            return false;
    }
    error = ERROR_SUCCESS;
    return true;
}
