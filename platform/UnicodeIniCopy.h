// An ini file as other programs write it, in UTF-8 without a byte-order mark
// (Firefox's profiles.ini), for the platform's profile calls: those read such
// a file in the ANSI code page, so a name outside it comes back garbled. They
// read a file that starts with the UTF-16 byte-order mark as Unicode, so the
// text is handed to them as such a copy, in the temporary folder.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

class UnicodeIniCopy {
public:
    explicit UnicodeIniCopy(const std::wstring& ini);
    // The copy is deleted.
    ~UnicodeIniCopy();
    UnicodeIniCopy(const UnicodeIniCopy&) = delete;
    UnicodeIniCopy& operator=(const UnicodeIniCopy&) = delete;

    // The file to hand to the GetPrivateProfile*W calls: the copy, or the ini
    // itself where they read it right as it is (plain ASCII, UTF-16, text that
    // is no UTF-8 and so in the code page) or no copy could be written.
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    std::wstring m_copy;
};

// Text of Quenby's own in a temporary file that the profile calls read as
// Unicode; the file is deleted with it.
class UnicodeIniText {
public:
    explicit UnicodeIniText(const std::wstring& text);
    ~UnicodeIniText();
    UnicodeIniText(const UnicodeIniText&) = delete;
    UnicodeIniText& operator=(const UnicodeIniText&) = delete;

    // Empty when the file could not be written: Error() says why.
    const std::wstring& Path() const { return m_path; }
    DWORD Error() const { return m_error; }

private:
    std::wstring m_path;
    DWORD m_error = ERROR_SUCCESS;
};

} // namespace platform
