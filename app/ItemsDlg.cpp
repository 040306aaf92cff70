#include "app/ItemsDlg.h"

#include "app/PreviewRows.h"
#include "app/UiText.h"
#include "res/resource.h"
#include "platform/TextConversion.h"

#include <commctrl.h>

namespace {

enum Column { KindColumn, PathColumn, SizeColumn, NoteColumn };

const std::vector<Anchor> kAnchors = {
    {IDC_ITEMS_SUMMARY, kStays, kStays, kFollows, kStays},
    {IDC_ITEMS_LIST, kStays, kStays, kFollows, kFollows},
    {IDOK, kFollows, kFollows, kFollows, kFollows},
};

} // namespace

BEGIN_MESSAGE_MAP(ItemsDlg, ResizableDlg)
    ON_MESSAGE(WM_NOTIFY, &ItemsDlg::OnNotify)
    ON_MESSAGE(WM_NOTIFYFORMAT, &ItemsDlg::OnNotifyFormat)
END_MESSAGE_MAP()

ItemsDlg::ItemsDlg(CWnd* pParent, const Trace& trace, const CleanReport& report)
    : ResizableDlg(IDD_PREVIEW_ITEMS, pParent), m_trace(trace), m_report(report) {}

BOOL ItemsDlg::OnInitDialog() {
    ResizableDlg::OnInitDialog();
    AnchorControls(kAnchors);
    ::SetWindowTextA(m_hWnd, platform::ToAnsi(LoadText(IDS_ITEMS_TITLE, {m_trace.label})).c_str());
    SetItemText(m_hWnd, IDC_ITEMS_SUMMARY,
                LoadText(IDS_ITEMS_SUMMARY, {std::to_wstring(m_report.Items().size())}));
    HWND list = GetDlgItem(IDC_ITEMS_LIST);
    // The list asked at its creation, before this dialog answered: Unicode
    // notices carry paths outside the code page as they are.
    ::SendMessageA(list, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(m_hWnd), NF_REQUERY);
    AddListColumns(m_hWnd, IDC_ITEMS_LIST,
                   {{IDS_ITEMS_COLUMN_KIND, 45},
                    {IDS_ITEMS_COLUMN_PATH, 200},
                    {IDS_ITEMS_COLUMN_SIZE, 50},
                    {IDS_ITEMS_COLUMN_NOTE, 120}});
    ListView_SetItemCountEx(list, m_report.Items().size(), LVSICF_NOINVALIDATEALL);
    if (!m_report.Items().empty())
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
}

LRESULT ItemsDlg::OnNotifyFormat(WPARAM, LPARAM) {
    return NFR_UNICODE;
}

std::wstring ItemsDlg::CellText(int row, int column) const {
    if (row < 0 || size_t(row) >= m_report.Items().size())
        return std::wstring();
    const ItemRow texts = ItemRowOf(m_report.Items()[row], m_trace.inUseIsNormal);
    switch (column) {
    case KindColumn:
        return texts.kind;
    case PathColumn:
        return texts.path;
    case SizeColumn:
        return texts.size;
    default:
        return texts.note;
    }
}

// Both forms are answered: the Unicode one as asked for, the ANSI one should
// the list not have asked again.
LRESULT ItemsDlg::OnNotify(WPARAM, LPARAM header) {
    const auto* notice = reinterpret_cast<const NMHDR*>(header);
    if (notice->idFrom != IDC_ITEMS_LIST)
        return Default();
    if (notice->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0)
            lstrcpynW(item.pszText, CellText(item.iItem, item.iSubItem).c_str(), item.cchTextMax);
        return 0;
    }
    if (notice->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0)
            lstrcpynA(item.pszText, platform::ToAnsi(CellText(item.iItem, item.iSubItem)).c_str(),
                      item.cchTextMax);
        return 0;
    }
    return Default();
}
