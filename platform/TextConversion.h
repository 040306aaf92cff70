// Text between the platform's wide characters and the byte encodings other
// parts speak: the ANSI code page of the "A" calls, and UTF-8 (SQLite, JSON,
// redirected output).
#pragma once

#include <string>

namespace platform {

// `text` converted from the ANSI code page; empty for null or unconvertible text.
std::wstring FromAnsi(const char* text);
// `text` in the ANSI code page; a character outside it becomes the default one.
std::string ToAnsi(const std::wstring& text);

// `text` in UTF-8 and back.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

} // namespace platform
