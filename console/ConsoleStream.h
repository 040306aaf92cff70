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

private:
    HANDLE m_handle;
    bool m_isConsole;
};
