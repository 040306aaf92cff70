#include "platform/UnicodeIniCopy.h"

#include "platform/Handles.h"
#include "platform/WholeFile.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

// An ini file holds a few lines; a larger file is read where it is.
const LONGLONG LargestIni = 1 << 20;
const char Utf8Mark[] = "\xEF\xBB\xBF";
const wchar_t Utf16Mark = 0xFEFF;
const wchar_t CopyPrefix[] = L"ini";

// The text with the UTF-16 byte-order mark in front, when `bytes` are UTF-8
// the platform would misread: with the UTF-8 mark, or with a character beyond
// ASCII. Empty otherwise.
std::wstring Utf16Text(std::string bytes) {
    const bool marked = bytes.compare(0, strlen(Utf8Mark), Utf8Mark) == 0;
    if (marked)
        bytes.erase(0, strlen(Utf8Mark));
    else if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                         int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring text(size_t(size) + 1, Utf16Mark);
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), &text[1],
                        size);
    return text;
}

// Writes `text`, after the byte-order mark unless it holds it already
// (`marked`), to a new temporary file: its name in `path`, left there even
// when the writing failed, so that it is deleted; the platform's error, 0
// when all was written.
DWORD WriteTemporary(const std::wstring& text, bool marked, std::wstring& path) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, CopyPrefix, 0, name))
        return GetLastError();
    path = name;
    UniqueFile file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file)
        return GetLastError();
    for (const std::wstring_view part :
         {std::wstring_view(&Utf16Mark, marked ? 0 : 1), std::wstring_view(text)}) {
        const DWORD bytes = DWORD(part.size() * sizeof(wchar_t));
        DWORD written = 0;
        if (!WriteFile(file.get(), part.data(), bytes, &written, nullptr))
            return GetLastError();
        if (written != bytes)
            return ERROR_HANDLE_DISK_FULL;
    }
    return ERROR_SUCCESS;
}

} // namespace

UnicodeIniCopy::UnicodeIniCopy(const std::wstring& ini) : m_path(ini) {
    const std::wstring text = Utf16Text(ReadWholeFile(ini, LargestIni));
    if (!text.empty() && WriteTemporary(text, true, m_copy) == ERROR_SUCCESS)
        m_path = m_copy;
}

UnicodeIniCopy::~UnicodeIniCopy() {
    if (!m_copy.empty())
        DeleteFileW(m_copy.c_str());
}

UnicodeIniText::UnicodeIniText(const std::wstring& text) {
    std::wstring path;
    m_error = WriteTemporary(text, false, path);
    if (m_error == ERROR_SUCCESS)
        m_path = path;
    else if (!path.empty())
        DeleteFileW(path.c_str());
}

UnicodeIniText::~UnicodeIniText() {
    if (!m_path.empty())
        DeleteFileW(m_path.c_str());
}

} // namespace platform
