#include "tests/gui/TrayWatch.h"

#include "tests/gui/ProbeClient.h"
#include "tests/gui/ProbeProtocol.h"

#include <algorithm>
#include <cstring>

namespace gui {

TrayWatch::TrayWatch() {
    HWND tray = FindWindowA(probe::TrayWindowClass, nullptr);
    if (!tray)
        return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = probe::TrayWatchClass;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
    m_window = CreateWindowExA(0, probe::TrayWatchClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!m_window)
        return;
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The shell keeps watching after the hook is gone.
    ProbeClient shell;
    m_watching = shell.Attach(GetWindowThreadProcessId(tray, nullptr)) && shell.WatchTray(tray);
}

TrayWatch::~TrayWatch() {
    if (m_window)
        DestroyWindow(m_window);
}

std::vector<TrayRequest> TrayWatch::Requests(DWORD message, HWND owner) const {
    std::vector<TrayRequest> found;
    for (const TrayRequest& request : m_requests) {
        if (request.message == message && request.owner == owner)
            found.push_back(request);
    }
    return found;
}

LRESULT CALLBACK TrayWatch::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TrayWatch*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || !self)
        return DefWindowProcA(window, message, wParam, lParam);
    auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    probe::TrayRequestHead head{};
    if (copy->cbData < sizeof(head))
        return TRUE;
    std::memcpy(&head, copy->lpData, sizeof(head));
    TrayRequest request;
    request.message = static_cast<DWORD>(copy->dwData);
    request.owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(head.owner));
    request.id = head.id;
    request.flags = head.flags;
    request.callbackMessage = head.callbackMessage;
    // The tooltip follows as UTF-16; the program's tips are plain ASCII.
    const auto* tip =
        reinterpret_cast<const WCHAR*>(static_cast<const char*>(copy->lpData) + sizeof(head));
    size_t tipChars =
        std::min<size_t>(probe::TrayTipChars, (copy->cbData - sizeof(head)) / sizeof(WCHAR));
    for (size_t i = 0; i < tipChars && tip[i]; ++i)
        request.tip += tip[i] < 0x80 ? static_cast<char>(tip[i]) : '?';
    if (copy->cbData >= probe::TrayRequestForwardSize) {
        std::uint32_t size[2] = {};
        std::memcpy(size, static_cast<const char*>(copy->lpData) + probe::TrayIconSizeOffset, 8);
        request.iconWidth = size[0];
        request.iconHeight = size[1];
    }
    self->m_requests.push_back(request);
    return TRUE;
}

} // namespace gui
