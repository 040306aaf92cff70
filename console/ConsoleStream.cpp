#include "console/ConsoleStream.h"

#include "platform/TextConversion.h"

ConsoleStream::ConsoleStream(DWORD which) : m_handle(GetStdHandle(which)) {
    DWORD mode = 0;
    m_isConsole = GetConsoleMode(m_handle, &mode) != FALSE;
}

void ConsoleStream::Write(const std::wstring& text) {
    if (text.empty() || m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (m_isConsole) {
        WriteConsoleW(m_handle, text.data(), DWORD(text.size()), &written, nullptr);
        return;
    }
    const std::string utf8 = platform::ToUtf8(text);
    WriteFile(m_handle, utf8.data(), DWORD(utf8.size()), &written, nullptr);
}

void ConsoleStream::Write(const std::string& text) {
    Write(platform::FromAnsi(text.c_str()));
}

void ConsoleStream::WriteUnicode(const std::wstring& text) {
    if (m_isConsole || m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE) {
        Write(text);
        return;
    }
    const std::wstring marked = L"\xFEFF" + text;
    DWORD written = 0;
    WriteFile(m_handle, marked.data(), DWORD(marked.size() * sizeof(wchar_t)), &written, nullptr);
}
