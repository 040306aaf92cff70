// The probe DLL: a WH_CALLWNDPROC hook that the driver sets on the thread of
// the program under test (or of the shell's tray window). Wine loads this DLL
// into that process when the hook first runs there and unloads it after each
// call, so the hook itself keeps no state: on the registered request message
// it reads what was asked from inside the process and sends the answer to the
// driver's reply window.
#include "tests/gui/ProbeProtocol.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int MenuTextSize = 256;
constexpr UINT AnswerTimeout = 5000;
constexpr UINT ForwardTimeout = 1000;
// Where the tray window's own procedure is kept while the probe watches it.
constexpr const char* TrayProcProperty = "Quenby.GuiProbe.TrayProc";

void SendAnswer(HWND replyWindow, HWND from, probe::RequestKind kind, const void* data,
                size_t size) {
    COPYDATASTRUCT copy{};
    copy.dwData = kind;
    copy.cbData = static_cast<DWORD>(size);
    copy.lpData = const_cast<void*>(data);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, AnswerTimeout, &ignored);
}

void DescribeMenu(HMENU menu, int depth, std::string& out) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[MenuTextSize] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        const char* kind = info.hSubMenu                  ? "popup"
                           : (info.fType & MFT_SEPARATOR) ? "separator"
                                                          : "item";
        UINT id = info.hSubMenu ? 0 : info.wID;
        out += std::to_string(depth) + probe::MenuFieldSeparator + std::to_string(id) +
               probe::MenuFieldSeparator + kind + probe::MenuFieldSeparator + text + "\n";
        if (info.hSubMenu)
            DescribeMenu(info.hSubMenu, depth + 1, out);
    }
}

void AnswerMenu(HWND replyWindow, HWND window, probe::RequestKind kind, HMENU menu) {
    std::string text;
    if (menu)
        DescribeMenu(menu, 0, text);
    SendAnswer(replyWindow, window, kind, text.c_str(), text.size());
}

void AnswerBaseUnits(HWND replyWindow, HWND window) {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(window, &units);
    LONG answer[2] = {units.right, units.bottom};
    SendAnswer(replyWindow, window, probe::DialogBaseUnits, answer, sizeof(answer));
}

void AnswerIcon(HWND replyWindow, HWND window, probe::RequestKind kind) {
    LRESULT handle = 0;
    if (kind == probe::DragIcon)
        handle = SendMessageA(window, WM_QUERYDRAGICON, 0, 0);
    else if (kind == probe::StaticIcon)
        handle = SendMessageA(window, STM_GETICON, 0, 0);
    else
        handle =
            SendMessageA(window, WM_GETICON, kind == probe::BigIcon ? ICON_BIG : ICON_SMALL, 0);
    auto data = probe::SerializeIconImage(probe::ReadIconImage(reinterpret_cast<HICON>(handle)));
    SendAnswer(replyWindow, window, kind, data.data(), data.size() * sizeof(data[0]));
}

void AnswerManifest(HWND replyWindow, HWND window) {
    const WCHAR* settings[][2] = {
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"},
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"},
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"longPathAware"}};
    std::string text;
    for (const auto& [space, name] : settings) {
        WCHAR value[MenuTextSize] = L"";
        QueryActCtxSettingsW(0, nullptr, space, name, value, MenuTextSize, nullptr);
        char narrow[MenuTextSize] = "";
        WideCharToMultiByte(CP_UTF8, 0, value, -1, narrow, MenuTextSize, nullptr, nullptr);
        text += std::string(name, name + lstrlenW(name)) + "=" + narrow + "\n";
    }
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    QueryActCtxW(0, nullptr, nullptr, RunlevelInformationInActivationContext, &level, sizeof(level),
                 nullptr);
    text += "runLevel=" + std::to_string(level.RunLevel) +
            "\nuiAccess=" + std::to_string(level.UiAccess) + "\n";
    SendAnswer(replyWindow, window, probe::ManifestSettings, text.c_str(), text.size());
}

std::string Utf8(const wchar_t* text) {
    char narrow[MenuTextSize * 4] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

// The middle of the item's state image, found by asking the tree what lies
// left of the item's text.
POINT StateImagePoint(HWND tree, HTREEITEM item) {
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof(item));
    if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)))
        return {-1, -1};
    const LONG y = (rect.top + rect.bottom) / 2;
    LONG right = -1, left = -1;
    for (LONG x = rect.left - 1; x >= 0; --x) {
        TVHITTESTINFO hit{};
        hit.pt = {x, y};
        TreeView_HitTest(tree, &hit);
        const bool onImage = hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON);
        if (onImage && right < 0)
            right = x;
        if (onImage)
            left = x;
        if (!onImage && right >= 0)
            break;
    }
    return right < 0 ? POINT{-1, -1} : POINT{(left + right) / 2, y};
}

void DescribeTree(HWND tree, HTREEITEM item, int depth, std::string& out) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[MenuTextSize] = L"";
        TVITEMW data{};
        data.mask = TVIF_TEXT | TVIF_STATE;
        data.hItem = item;
        data.stateMask = TVIS_STATEIMAGEMASK;
        data.pszText = text;
        data.cchTextMax = MenuTextSize;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        const POINT image = StateImagePoint(tree, item);
        const char tab = probe::TreeFieldSeparator;
        out += std::to_string(depth) + tab + std::to_string(reinterpret_cast<UINT_PTR>(item)) +
               tab + std::to_string((data.state & TVIS_STATEIMAGEMASK) >> 12) + tab +
               std::to_string(image.x) + "," + std::to_string(image.y) + tab + Utf8(text) + "\n";
        DescribeTree(tree, TreeView_GetChild(tree, item), depth + 1, out);
    }
}

void AnswerTree(HWND replyWindow, HWND tree) {
    std::string text;
    DescribeTree(tree, TreeView_GetRoot(tree), 0, text);
    SendAnswer(replyWindow, tree, probe::TreeItems, text.c_str(), text.size());
}

void AnswerListRows(HWND replyWindow, HWND list) {
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    const int rows = ListView_GetItemCount(list);
    std::string text;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            wchar_t cell[MenuTextSize] = L"";
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = cell;
            item.cchTextMax = MenuTextSize;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            text += (column ? "\t" : "") + Utf8(cell);
        }
        text += "\n";
    }
    SendAnswer(replyWindow, list, probe::ListRows, text.c_str(), text.size());
}

// Copies a request that a program made of the notification area to the
// driver's watch window, when one exists.
void ForwardTrayRequest(HWND trayWindow, const COPYDATASTRUCT* request) {
    HWND watch = FindWindowA(probe::TrayWatchClass, nullptr);
    if (!watch || !request || request->cbData < sizeof(probe::TrayRequestHead))
        return;
    COPYDATASTRUCT copy = *request;
    copy.cbData = std::min<DWORD>(request->cbData, probe::TrayRequestForwardSize);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(watch, WM_COPYDATA, reinterpret_cast<WPARAM>(trayWindow),
                        reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, ForwardTimeout,
                        &ignored);
}

// The tray window's procedure while watched: forwards every request, then
// lets the shell handle it as before. (A hook cannot do this: Wine 8 hands
// WH_CALLWNDPROC hooks a blank COPYDATASTRUCT for a message from another
// process; the window procedure gets the real one.)
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto shellProc = reinterpret_cast<WNDPROC>(GetPropA(window, TrayProcProperty));
    if (message == WM_COPYDATA)
        ForwardTrayRequest(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return CallWindowProcW(shellProc, window, message, wParam, lParam);
}

void WatchTrayWindow(HWND replyWindow, HWND trayWindow) {
    if (!GetPropA(trayWindow, TrayProcProperty)) {
        // The new procedure outlives this hook call: keep the DLL loaded in
        // the shell for the rest of its life.
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCSTR>(&TrayWindowProc), &self);
        LONG_PTR shellProc = GetWindowLongPtrW(trayWindow, GWLP_WNDPROC);
        SetPropA(trayWindow, TrayProcProperty, reinterpret_cast<HANDLE>(shellProc));
        SetWindowLongPtrW(trayWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrayWindowProc));
    }
    SendAnswer(replyWindow, trayWindow, probe::WatchTray, nullptr, 0);
}

void Answer(HWND replyWindow, HWND window, probe::RequestKind kind) {
    switch (kind) {
    case probe::MenuBar:
        AnswerMenu(replyWindow, window, kind, GetMenu(window));
        break;
    case probe::SystemMenu:
        AnswerMenu(replyWindow, window, kind, GetSystemMenu(window, FALSE));
        break;
    case probe::PopupMenu:
        AnswerMenu(replyWindow, window, kind,
                   reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)));
        break;
    case probe::DialogBaseUnits:
        AnswerBaseUnits(replyWindow, window);
        break;
    case probe::BigIcon:
    case probe::SmallIcon:
    case probe::DragIcon:
    case probe::StaticIcon:
        AnswerIcon(replyWindow, window, kind);
        break;
    case probe::WatchTray:
        WatchTrayWindow(replyWindow, window);
        break;
    case probe::ManifestSettings:
        AnswerManifest(replyWindow, window);
        break;
    case probe::TreeItems:
        AnswerTree(replyWindow, window);
        break;
    case probe::ListRows:
        AnswerListRows(replyWindow, window);
        break;
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    const UINT requestMessage = RegisterWindowMessageA(probe::RequestMessageName);
    auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call && call->message == requestMessage)
        Answer(reinterpret_cast<HWND>(call->lParam), call->hwnd,
               static_cast<probe::RequestKind>(call->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
