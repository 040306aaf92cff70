#include "tests/gui/Desktop.h"

#include <shellapi.h>

#include <algorithm>

namespace gui {

namespace {

constexpr int TextSize = 512;
constexpr const char* DialogClass = "#32770";
constexpr const char* PopupMenuClass = "#32768";
// A horizontal base unit is 4 dialog units, a vertical one 8.
constexpr int DialogUnitsPerBaseX = 4;
constexpr int DialogUnitsPerBaseY = 8;

// Keeps the driver's own windows (the probe's reply window) answering while it
// waits.
void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct EnumState {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    if (ProcessOf(window) != state->processId)
        return TRUE;
    if (state->className && ClassName(window) != state->className)
        return TRUE;
    state->found.push_back(window);
    return TRUE;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD intervalMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, intervalMs, QS_ALLINPUT);
    }
}

std::string WindowText(HWND window) {
    char text[TextSize] = "";
    // WM_GETTEXT rather than GetWindowText: it reads a control's text in
    // another process too.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, ShortTimeout, &length);
    return text;
}

std::string ClassName(HWND window) {
    char name[TextSize] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className) {
    EnumState state{processId, className, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::vector<HWND> VisibleTopLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> DialogsOf(DWORD processId, HWND except) {
    std::vector<HWND> dialogs = TopLevelWindows(processId, DialogClass);
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [except](HWND w) { return w == except || !IsWindowVisible(w); }),
                  dialogs.end());
    return dialogs;
}

HWND PopupMenuOf(DWORD processId) {
    for (HWND menu : TopLevelWindows(processId, PopupMenuClass)) {
        if (IsWindowVisible(menu))
            return menu;
    }
    return nullptr;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

RECT DialogUnitsToPixels(const RECT& units, POINT baseUnits) {
    RECT pixels;
    pixels.left = MulDiv(units.left, baseUnits.x, DialogUnitsPerBaseX);
    pixels.top = MulDiv(units.top, baseUnits.y, DialogUnitsPerBaseY);
    pixels.right = pixels.left + MulDiv(units.right, baseUnits.x, DialogUnitsPerBaseX);
    pixels.bottom = pixels.top + MulDiv(units.bottom, baseUnits.y, DialogUnitsPerBaseY);
    return pixels;
}

RECT RectInClient(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string DescribeRect(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " - " +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

HWND FocusOfThread(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(threadId, &info))
        return nullptr;
    return info.hwndFocus;
}

bool TrayIconExists(HWND owner) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result) !=
           0;
}

void PressKey(HWND focus, WORD virtualKey) {
    UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
    LPARAM up = down | (1L << 30) | (1L << 31);
    PostMessageA(focus, WM_KEYDOWN, virtualKey, down);
    PostMessageA(focus, WM_KEYUP, virtualKey, up);
}

} // namespace gui
