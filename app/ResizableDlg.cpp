#include "app/ResizableDlg.h"

#include <windowsx.h>

namespace {

constexpr int kPercent = 100;

LONG Moved(LONG edge, int share, LONG change) {
    return edge + change * share / kPercent;
}

} // namespace

BEGIN_MESSAGE_MAP(ResizableDlg, CDialog)
    ON_MESSAGE(WM_SIZE, &ResizableDlg::OnSize)
    ON_MESSAGE(WM_GETMINMAXINFO, &ResizableDlg::OnGetMinMaxInfo)
END_MESSAGE_MAP()

void ResizableDlg::AnchorControls(const std::vector<Anchor>& anchors) {
    RECT client = {}, window = {};
    GetClientRect(&client);
    ::GetWindowRect(m_hWnd, &window);
    m_client = {client.right, client.bottom};
    m_window = {window.right - window.left, window.bottom - window.top};
    m_controls.clear();
    for (const Anchor& anchor : anchors) {
        RECT rect = {};
        ::GetWindowRect(GetDlgItem(anchor.id), &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        m_controls.push_back({anchor, rect});
    }
}

LRESULT ResizableDlg::OnSize(WPARAM type, LPARAM size) {
    if (m_controls.empty() || type == SIZE_MINIMIZED)
        return Default();
    const LONG dx = GET_X_LPARAM(size) - m_client.cx, dy = GET_Y_LPARAM(size) - m_client.cy;
    HDWP moves = ::BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (const Placed& placed : m_controls) {
        const Anchor& a = placed.anchor;
        const RECT& r = placed.rect;
        const LONG left = Moved(r.left, a.left, dx), top = Moved(r.top, a.top, dy);
        const LONG right = Moved(r.right, a.right, dx), bottom = Moved(r.bottom, a.bottom, dy);
        if (moves)
            moves = ::DeferWindowPos(moves, GetDlgItem(a.id), nullptr, left, top, right - left,
                                     bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves)
        ::EndDeferWindowPos(moves);
    // What the controls left behind is painted over.
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return Default();
}

LRESULT ResizableDlg::OnGetMinMaxInfo(WPARAM, LPARAM info) {
    if (!m_controls.empty())
        reinterpret_cast<MINMAXINFO*>(info)->ptMinTrackSize = {m_window.cx, m_window.cy};
    return Default();
}
