// Standard output or error as text. On a console the text goes out in wide
// characters, so names outside the code page show as they are; redirected
// to a file or a pipe it is written as UTF-8.
#pragma once

#include <windows.h>

#include <string>

class ConsoleStream {
public:
    // `which`: STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
    explicit ConsoleStream(DWORD which);

    bool IsConsole() const { return m_isConsole; }
    void Write(const std::wstring& text);
    // Our own texts, which are plain ASCII.
    void Write(const std::string& text);
    // A document that names its encoding as UTF-16 (a task's XML): redirected,
    // written as such, with a byte-order mark, as Windows' own tools write
    // and read it; on a console shown as text.
    void WriteUnicode(const std::wstring& text);

private:
    HANDLE m_handle;
    bool m_isConsole;
};
