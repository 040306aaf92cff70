#include "platform/TextConversion.h"

#include <windows.h>

namespace {

// `text` of `size` bytes in `codePage`, widened.
std::wstring Widened(UINT codePage, const char* text, int size) {
    const int needed = MultiByteToWideChar(codePage, 0, text, size, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(needed, L'\0');
    MultiByteToWideChar(codePage, 0, text, size, &wide[0], needed);
    return wide;
}

std::string Narrowed(UINT codePage, const std::wstring& text) {
    const int size = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string narrow(size, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &narrow[0], size, nullptr,
                        nullptr);
    return narrow;
}

} // namespace

namespace platform {

std::wstring FromAnsi(const char* text) {
    if (text == nullptr)
        return std::wstring();
    std::wstring wide = Widened(CP_ACP, text, -1);
    if (!wide.empty())
        wide.pop_back(); // the terminator, counted with the -1 length
    return wide;
}

std::string ToAnsi(const std::wstring& text) {
    return Narrowed(CP_ACP, text);
}

std::string ToUtf8(const std::wstring& text) {
    return Narrowed(CP_UTF8, text);
}

std::wstring FromUtf8(const std::string& text) {
    return Widened(CP_UTF8, text.data(), int(text.size()));
}

} // namespace platform
