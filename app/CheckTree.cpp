#include "app/CheckTree.h"

#include <windowsx.h>

namespace {

// The state images: index 0 is never drawn, then unchecked, checked and
// mixed, then the same three greyed.
constexpr int kStateCount = 3;
constexpr int kImageCount = 1 + 2 * kStateCount;
// A check box takes 13 of the 16 pixels of a small icon at 96 DPI.
constexpr int kBoxPart = 13;
constexpr int kIconPart = 16;
// Drawn on this colour, which the image list makes transparent.
constexpr COLORREF kTransparent = RGB(255, 0, 255);

UINT FrameFlags(int image) {
    const int state = (image - 1) % kStateCount;
    const UINT look = DFCS_FLAT | (image > kStateCount ? DFCS_INACTIVE : 0);
    if (state == int(CheckState::Checked))
        return DFCS_BUTTONCHECK | DFCS_CHECKED | look;
    if (state == int(CheckState::Mixed))
        return DFCS_BUTTON3STATE | DFCS_CHECKED | look;
    return DFCS_BUTTONCHECK | look;
}

void DeleteGdiObject(HGDIOBJ object) {
    DeleteObject(object);
}
void DeleteMemoryDc(HDC dc) {
    DeleteDC(dc);
}
using UniqueGdiObject = platform::UniqueAny<platform::detail::NullTraits<HGDIOBJ, DeleteGdiObject>>;
using UniqueMemoryDc = platform::UniqueAny<platform::detail::NullTraits<HDC, DeleteMemoryDc>>;

// The boxes in one strip, drawn by the system at the size of small icons, on
// a colour that the image list leaves out.
HIMAGELIST MakeStateImages(HWND tree) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    const int box = size * kBoxPart / kIconPart;
    HDC screen = GetDC(tree);
    UniqueMemoryDc memory(CreateCompatibleDC(screen));
    UniqueGdiObject strip(CreateCompatibleBitmap(screen, size * kImageCount, size));
    ReleaseDC(tree, screen);
    if (!memory || !strip)
        return nullptr;
    HGDIOBJ old = SelectObject(memory.get(), strip.get());
    RECT all = {0, 0, size * kImageCount, size};
    UniqueGdiObject background(CreateSolidBrush(kTransparent));
    FillRect(memory.get(), &all, static_cast<HBRUSH>(background.get()));
    for (int image = 1; image < kImageCount; ++image) {
        const int left = image * size + (size - box) / 2, top = (size - box) / 2;
        RECT place = {left, top, left + box, top + box};
        DrawFrameControl(memory.get(), &place, DFC_BUTTON, FrameFlags(image));
    }
    SelectObject(memory.get(), old);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kImageCount, 0);
    if (images)
        ImageList_AddMasked(images, static_cast<HBITMAP>(strip.get()), kTransparent);
    return images;
}

UINT StateImageOf(CheckState state, bool greyed) {
    return INDEXTOSTATEIMAGEMASK(1 + int(state) + (greyed ? kStateCount : 0));
}

} // namespace

BEGIN_MESSAGE_MAP(CheckTree, CWnd)
    ON_MESSAGE(WM_KEYDOWN, &CheckTree::OnKeyDown)
    ON_MESSAGE(WM_CHAR, &CheckTree::OnChar)
    ON_MESSAGE(WM_LBUTTONDOWN, &CheckTree::OnButtonDown)
    ON_MESSAGE(WM_LBUTTONDBLCLK, &CheckTree::OnButtonDown)
END_MESSAGE_MAP()

bool CheckTree::Take(int id, CWnd* dialog, std::function<void(HTREEITEM)> onToggle) {
    if (!SubclassDlgItem(id, dialog))
        return false;
    m_onToggle = std::move(onToggle);
    m_images.reset(MakeStateImages(m_hWnd));
    TreeView_SetImageList(m_hWnd, m_images.get(), TVSIL_STATE);
    const int size = GetSystemMetrics(SM_CYSMICON);
    if (TreeView_GetItemHeight(m_hWnd) < size)
        TreeView_SetItemHeight(m_hWnd, size);
    return true;
}

HTREEITEM CheckTree::Add(HTREEITEM parent, HTREEITEM after, const std::wstring& text, LPARAM data) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CheckTree::SetCheck(HTREEITEM item, CheckState state, bool greyed) {
    TreeView_SetItemState(m_hWnd, item, StateImageOf(state, greyed), TVIS_STATEIMAGEMASK);
}

LPARAM CheckTree::DataOf(HTREEITEM item) {
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.lParam;
}

bool CheckTree::Greyed(HTREEITEM item) {
    const UINT image = (TreeView_GetItemState(m_hWnd, item, TVIS_STATEIMAGEMASK) >> 12) & 0xF;
    return image > kStateCount;
}

LRESULT CheckTree::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
    // A selected item keeps the selection's colours, which greyed text would not.
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && !(draw->nmcd.uItemState & CDIS_SELECTED) &&
        Greyed(item))
        draw->clrText = GetSysColor(COLOR_GRAYTEXT);
    return CDRF_DODEFAULT;
}

LRESULT CheckTree::OnKeyDown(WPARAM key, LPARAM) {
    if (key != VK_SPACE)
        return Default();
    if (HTREEITEM item = Selected())
        m_onToggle(item);
    return 0;
}

// Space goes no further: the control would look for an item starting with it.
LRESULT CheckTree::OnChar(WPARAM key, LPARAM) {
    return key == L' ' ? 0 : Default();
}

LRESULT CheckTree::OnButtonDown(WPARAM, LPARAM point) {
    TVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    TreeView_HitTest(m_hWnd, &hit);
    if (!hit.hItem || !(hit.flags & TVHT_ONITEMSTATEICON))
        return Default();
    TreeView_SelectItem(m_hWnd, hit.hItem);
    ::SetFocus(m_hWnd);
    m_onToggle(hit.hItem);
    return 0;
}
