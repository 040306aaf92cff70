// What the driver and its probe DLL say to each other.
//
// Wine keeps menus and icons private to a process (GetMenuStringA on another
// process's menu fails, GetSystemMenu of its window answers NULL, and
// WM_GETICON, WM_QUERYDRAGICON or WM_GETFONT sent from another process answer
// 0), so the driver reads them from inside the program under test: it hooks the
// program's user-interface thread with WH_CALLWNDPROC and the probe DLL, then
// sends one of the program's windows the registered request message. The hook
// runs in the program's thread, reads what was asked and sends the answer back
// to the driver's reply window with WM_COPYDATA before the request returns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace probe {

// RegisterWindowMessageA name of the request: wParam is a RequestKind,
// lParam the driver's reply window.
constexpr const char* RequestMessageName = "Quenby.GuiProbe.Request";

// Exported name of the hook procedure in the probe DLL.
constexpr const char* HookProcName = "ProbeCallWndProc";

// What the hook reads from the window that receives the request. The answer
// travels as WM_COPYDATA with dwData = the kind.
enum RequestKind : unsigned {
    // The window's menu bar, with every popup below it (text lines).
    MenuBar = 1,
    // The window's system menu, GetSystemMenu(hwnd, FALSE) (text lines).
    SystemMenu = 2,
    // The menu shown by a popup-menu window of class #32768 (text lines).
    PopupMenu = 3,
    // The dialog's base units: MapDialogRect of {0, 0, 4, 8} (two LONGs).
    DialogBaseUnits = 4,
    // The window's large icon, WM_GETICON ICON_BIG (IconImage).
    BigIcon = 5,
    // The window's small icon, WM_GETICON ICON_SMALL (IconImage).
    SmallIcon = 6,
    // The icon the window gives for dragging, WM_QUERYDRAGICON (IconImage).
    DragIcon = 7,
    // Sent to the shell's tray window: from now on, copy every request that
    // reaches it to the window of class TrayWatchClass (empty answer).
    WatchTray = 8,
    // The icon an icon static control shows, STM_GETICON (IconImage): a
    // message box's icon.
    StaticIcon = 9,
    // The program's own manifest as Windows applied it (QueryActCtxSettingsW,
    // QueryActCtxW), one "name=value" line each: dpiAware, dpiAwareness,
    // longPathAware, runLevel (1 is asInvoker), uiAccess.
    ManifestSettings = 10,
    // A tree view's items, depth-first, expanded or not (text lines; see
    // TreeFieldSeparator).
    TreeItems = 11,
    // A list view's rows, each cell as the list shows it (text lines).
    ListRows = 12,
};

// A tree item is answered as one line:
//   <depth>\t<item handle>\t<state image index>\t<x>,<y>\t<text>\n
// x, y: a point in the tree's client area on the item's state image, where a
// click toggles it (-1,-1 when it has none). A list row is its cells,
// separated by tabs, and a line feed. Texts are UTF-8.
constexpr char TreeFieldSeparator = '\t';

// The notification area's side. Shell_NotifyIconA hands every request to the
// shell's tray window ("Shell_TrayWnd") as WM_COPYDATA with dwData = the NIM_
// code. Wine's shell also drops the icons of a destroyed window by itself, so
// "the icon is gone after the window" says nothing of the program's own
// removal request; the driver therefore has the probe watch the tray window
// (WatchTray), which copies each request to the driver's watch window.
constexpr const char* TrayWindowClass = "Shell_TrayWnd";
constexpr const char* TrayWatchClass = "QuenbyGuiTrayWatch";

// What the hook forwards of one request (WM_COPYDATA dwData = the NIM_ code):
// the leading fields of the shell's request, which start with the owner
// window, the icon id, the flags and the callback message as 32-bit values,
// followed by the tooltip in UTF-16.
struct TrayRequestHead {
    std::int32_t owner;
    std::uint32_t id;
    std::uint32_t flags;
    std::uint32_t callbackMessage;
};
constexpr size_t TrayTipChars = 128;
// Then the state, balloon and GUID fields (944 bytes with the tip), and the
// width and height of the icon, whose pixels follow.
constexpr size_t TrayIconSizeOffset = 944;
constexpr size_t TrayRequestForwardSize = TrayIconSizeOffset + 2 * sizeof(std::uint32_t);

// A menu is answered as one line per item, depth-first:
//   <depth>\t<id>\t<kind>\t<text>\n
// kind is "item", "separator" or "popup" (a popup's items follow it at
// depth + 1); the id of a popup is 0.
constexpr char MenuFieldSeparator = '\t';

// An icon as the program holds it: its handle there, and its image as 32-bit
// top-down pixels, the colour bitmap and the mask bitmap, each width * height
// pixels. Two icons show the same picture when the pixels are equal.
struct IconImage {
    std::uint32_t handle = 0;
    LONG width = 0;
    LONG height = 0;
    std::vector<std::uint32_t> color;
    std::vector<std::uint32_t> mask;
};

// Reads the pixels of one bitmap of an icon as 32-bit top-down rows.
inline std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, LONG width, LONG height) {
    std::vector<std::uint32_t> pixels;
    if (!bitmap || width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                          DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != height)
        pixels.clear();
    return pixels;
}

// The image of an icon handle of the calling process; width 0 when the handle
// is not an icon.
inline IconImage ReadIconImage(HICON icon) {
    IconImage image;
    image.handle = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(icon));
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return image;
    BITMAP bits{};
    HBITMAP shape = info.hbmColor ? info.hbmColor : info.hbmMask;
    if (GetObjectA(shape, sizeof(bits), &bits)) {
        image.width = bits.bmWidth;
        image.height = bits.bmHeight;
        image.color = BitmapPixels(info.hbmColor, image.width, image.height);
        image.mask = BitmapPixels(info.hbmMask, image.width, image.height);
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return image;
}

// Flattens an image for WM_COPYDATA: handle, width, height, colour pixel
// count, colour pixels, mask pixels.
inline std::vector<std::uint32_t> SerializeIconImage(const IconImage& image) {
    std::vector<std::uint32_t> data;
    data.push_back(image.handle);
    data.push_back(static_cast<std::uint32_t>(image.width));
    data.push_back(static_cast<std::uint32_t>(image.height));
    data.push_back(static_cast<std::uint32_t>(image.color.size()));
    data.insert(data.end(), image.color.begin(), image.color.end());
    data.insert(data.end(), image.mask.begin(), image.mask.end());
    return data;
}

inline IconImage DeserializeIconImage(const std::vector<std::uint32_t>& data) {
    constexpr size_t HeaderSize = 4;
    IconImage image;
    if (data.size() < HeaderSize)
        return image;
    size_t colorCount = data[3];
    if (data.size() < HeaderSize + colorCount)
        return image;
    image.handle = data[0];
    image.width = static_cast<LONG>(data[1]);
    image.height = static_cast<LONG>(data[2]);
    auto colorEnd = data.begin() + static_cast<long>(HeaderSize + colorCount);
    image.color.assign(data.begin() + HeaderSize, colorEnd);
    image.mask.assign(colorEnd, data.end());
    return image;
}

} // namespace probe
