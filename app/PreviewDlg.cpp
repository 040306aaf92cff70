#include "app/PreviewDlg.h"

#include "app/ItemsDlg.h"
#include "app/MoreTracesClean.h"
#include "app/PreviewRows.h"
#include "app/UiText.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

// The worker's "events are waiting", to this dialog only.
constexpr UINT kWorkerMessage = WM_APP + 0x10;
// How often the count of the trace at work is shown, and the worker asked in
// case a message was lost.
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 100;

const std::vector<Anchor> kAnchors = {
    {IDC_PREVIEW_STATUS, kStays, kStays, kFollows, kStays},
    {IDC_PREVIEW_PROGRESS, kStays, kStays, kFollows, kStays},
    {IDC_PREVIEW_LIST, kStays, kStays, kFollows, kFollows},
    {IDC_PREVIEW_ITEMS, kStays, kFollows, kStays, kFollows},
    {IDCANCEL, kFollows, kFollows, kFollows, kFollows},
};

size_t CountOf(const TraceSet& selection) {
    size_t count = 0;
    for (size_t trace = 0; trace < Catalogue::BuiltIn().Traces().size(); ++trace)
        count += selection.Has(trace);
    return count;
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

} // namespace

BEGIN_MESSAGE_MAP(PreviewDlg, ResizableDlg)
    ON_BN_CLICKED(IDC_PREVIEW_ITEMS, &PreviewDlg::OnItems)
    ON_MESSAGE(kWorkerMessage, &PreviewDlg::OnWorker)
    ON_MESSAGE(WM_NOTIFY, &PreviewDlg::OnNotify)
    ON_WM_TIMER()
END_MESSAGE_MAP()

PreviewDlg::PreviewDlg(CWnd* pParent, const TraceSet& selection)
    : ResizableDlg(IDD_PREVIEW, pParent), m_selection(selection) {}

BOOL PreviewDlg::OnInitDialog() {
    ResizableDlg::OnInitDialog();
    AnchorControls(kAnchors);
    AddListColumns(m_hWnd, IDC_PREVIEW_LIST,
                   {{IDS_PREVIEW_COLUMN_TRACE, 90},
                    {IDS_PREVIEW_COLUMN_ITEMS, 30},
                    {IDS_PREVIEW_COLUMN_SIZE, 80},
                    {IDS_PREVIEW_COLUMN_PROBLEMS, 96}});
    m_count = CountOf(m_selection);
    SendDlgItemMessage(IDC_PREVIEW_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(m_count));
    m_worker = std::make_unique<TraceWorker>(m_hWnd, kWorkerMessage);
    KeepSavedSites();
    m_running = m_count > 0 && m_worker->Start(PreviewTraces, m_selection);
    if (!m_running) {
        OnEnded(m_count == 0);
        return TRUE;
    }
    SetTimer(kTickTimer, kTickMs);
    return TRUE;
}

LRESULT PreviewDlg::OnWorker(WPARAM, LPARAM) {
    TakeEvents();
    return 0;
}

void PreviewDlg::OnTimer(UINT_PTR id) {
    if (id != kTickTimer)
        return ResizableDlg::OnTimer(id);
    TakeEvents();
    if (m_running)
        ShowWorking();
}

void PreviewDlg::TakeEvents() {
    // Asked first: once the thread has ended, everything it said is waiting.
    const bool threadEnded = WaitForSingleObject(m_worker->Thread(), 0) == WAIT_OBJECT_0;
    for (TraceEvent& event : m_worker->Take()) {
        if (event.kind == TraceEvent::Started)
            OnStarted(event);
        else if (event.kind == TraceEvent::Finished)
            OnFinished(event);
        else
            OnEnded(event.completed);
    }
    // A thread that ended without a word (it ran out of memory) ends the run.
    if (m_running && threadEnded)
        OnEnded(false);
}

void PreviewDlg::OnStarted(const TraceEvent& event) {
    m_atWork = event.trace;
    m_position = event.position;
    ShowWorking();
}

void PreviewDlg::ShowWorking() {
    const std::wstring& label = Catalogue::BuiltIn().Traces()[m_atWork].label;
    SetItemText(m_hWnd, IDC_PREVIEW_STATUS,
                m_cancelling
                    ? LoadText(IDS_PREVIEW_CANCELLING, {label})
                    : LoadText(IDS_PREVIEW_WORKING,
                               {label, std::to_wstring(m_position + 1), std::to_wstring(m_count),
                                std::to_wstring(m_worker->ItemsAtWork())}));
}

void PreviewDlg::OnFinished(TraceEvent& event) {
    const PreviewRow texts = RowOf(Catalogue::BuiltIn().Traces()[event.trace], *event.report);
    HWND list = GetDlgItem(IDC_PREVIEW_LIST);
    const int row = static_cast<int>(m_rowTraces.size());
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(texts.trace.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetCell(list, row, 1, texts.items);
    SetCell(list, row, 2, texts.size);
    SetCell(list, row, 3, texts.problems);
    if (row == 0)
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_rowTraces.push_back(event.trace);
    m_reports.push_back(std::move(event.report));
    SendDlgItemMessage(IDC_PREVIEW_PROGRESS, PBM_SETPOS, m_rowTraces.size());
}

void PreviewDlg::OnEnded(bool completed) {
    m_running = false;
    KillTimer(kTickTimer);
    const std::wstring done = std::to_wstring(m_rowTraces.size());
    SetItemText(m_hWnd, IDC_PREVIEW_STATUS,
                m_count == 0 ? LoadText(IDS_PREVIEW_NOTHING)
                : completed  ? LoadText(IDS_PREVIEW_DONE, {done})
                             : LoadText(IDS_PREVIEW_CANCELLED, {done, std::to_wstring(m_count)}));
    SetItemText(m_hWnd, IDCANCEL, LoadText(IDS_PREVIEW_CLOSE));
}

void PreviewDlg::OnCancel() {
    if (!m_running) {
        ResizableDlg::OnCancel();
        return;
    }
    m_cancelling = true;
    m_worker->Cancel();
    ShowWorking();
}

void PreviewDlg::OnOK() {
    OnItems();
}

void PreviewDlg::OnItems() {
    ShowItems(ListView_GetNextItem(GetDlgItem(IDC_PREVIEW_LIST), -1, LVNI_SELECTED));
}

void PreviewDlg::ShowItems(int row) {
    if (row < 0 || size_t(row) >= m_reports.size())
        return;
    ItemsDlg items(this, Catalogue::BuiltIn().Traces()[m_rowTraces[row]], *m_reports[row]);
    items.DoModal();
}

LRESULT PreviewDlg::OnNotify(WPARAM, LPARAM header) {
    const auto* notice = reinterpret_cast<const NMHDR*>(header);
    if (notice->idFrom == IDC_PREVIEW_LIST && notice->code == NM_DBLCLK) {
        ShowItems(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
        return 0;
    }
    return Default();
}
