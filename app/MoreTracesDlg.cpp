#include "app/MoreTracesDlg.h"

#include "app/KeepSitesDlg.h"
#include "app/MoreTracesClean.h"
#include "app/PreviewDlg.h"
#include "app/UiText.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "platform/TextConversion.h"

namespace {

// A tree item's data: a trace's index, or a program's index with this bit.
constexpr LPARAM kProgramItem = LPARAM(1) << 30;
const wchar_t kParagraph[] = L"\r\n\r\n";
const wchar_t kLine[] = L"\n";

const std::vector<Anchor> kAnchors = {
    {IDC_CHOOSER_TREE_LABEL, kStays, kStays, kHalf, kStays},
    {IDC_CHOOSER_TREE, kStays, kStays, kHalf, kFollows},
    {IDC_CHOOSER_ABOUT_LABEL, kHalf, kStays, kFollows, kStays},
    {IDC_CHOOSER_ABOUT, kHalf, kStays, kFollows, kFollows},
    {IDC_CHOOSER_SHOW_ALL, kStays, kFollows, kStays, kFollows},
    {IDC_CHOOSER_PREVIEW, kStays, kFollows, kStays, kFollows},
    {IDC_MORE_KEEP_SITES, kStays, kFollows, kStays, kFollows},
    {IDOK, kFollows, kFollows, kFollows, kFollows},
    {IDCANCEL, kFollows, kFollows, kFollows, kFollows},
};

} // namespace

BEGIN_MESSAGE_MAP(MoreTracesDlg, ResizableDlg)
    ON_BN_CLICKED(IDC_CHOOSER_SHOW_ALL, &MoreTracesDlg::OnShowAll)
    ON_BN_CLICKED(IDC_CHOOSER_PREVIEW, &MoreTracesDlg::OnPreview)
    ON_BN_CLICKED(IDC_MORE_KEEP_SITES, &MoreTracesDlg::OnKeepSites)
    ON_MESSAGE(WM_NOTIFY, &MoreTracesDlg::OnNotify)
END_MESSAGE_MAP()

MoreTracesDlg::MoreTracesDlg(CWnd* pParent, const TraceSet& windowTraces)
    : ResizableDlg(IDD_MORE_TRACES, pParent), m_windowTraces(windowTraces) {}

BOOL MoreTracesDlg::OnInitDialog() {
    ResizableDlg::OnInitDialog();
    AnchorControls(kAnchors);
    m_choice = std::make_unique<TraceChoice>(m_catalogue, ChosenMoreTraces());
    m_programItems.assign(m_catalogue.Programs().size(), nullptr);
    m_traceItems.assign(m_catalogue.Traces().size(), nullptr);
    m_tree.Take(IDC_CHOOSER_TREE, this, [this](HTREEITEM item) { OnToggle(item); });
    // Only what is found: with thousands of programs known, a PC has a few.
    AddPrograms(true);
    if (HTREEITEM first = TreeView_GetRoot(m_tree.m_hWnd))
        TreeView_SelectItem(m_tree.m_hWnd, first);
    ::SetFocus(m_tree.m_hWnd);
    return FALSE;
}

// In the catalogue's order: after the nearest program before it that is shown.
void MoreTracesDlg::AddProgram(size_t program) {
    HTREEITEM after = TVI_FIRST;
    for (size_t before = program; before-- > 0;) {
        if (m_programItems[before]) {
            after = m_programItems[before];
            break;
        }
    }
    const Program& shown = m_catalogue.Programs()[program];
    HTREEITEM item =
        m_tree.Add(TVI_ROOT, after, shown.name, kProgramItem | static_cast<LPARAM>(program));
    m_programItems[program] = item;
    AddTraces(program);
    TreeView_Expand(m_tree.m_hWnd, item, TVE_EXPAND);
}

bool MoreTracesDlg::ShowsTrace(size_t program, size_t trace) const {
    return m_showAll || !m_catalogue.Programs()[program].hidesMissingTraces ||
           m_choice->Changeable(trace);
}

// In the program's order: after the nearest trace before it that is shown.
void MoreTracesDlg::AddTraces(size_t program) {
    HTREEITEM after = TVI_FIRST;
    for (size_t trace : m_catalogue.Programs()[program].traces) {
        if (!m_traceItems[trace] && ShowsTrace(program, trace))
            m_traceItems[trace] =
                m_tree.Add(m_programItems[program], after, m_catalogue.Traces()[trace].itemLabel,
                           static_cast<LPARAM>(trace));
        after = m_traceItems[trace] ? m_traceItems[trace] : after;
    }
    ShowChecks(program);
}

void MoreTracesDlg::RemoveMissingPrograms() {
    for (size_t program = 0; program < m_programItems.size(); ++program) {
        if (m_choice->ProgramFound(program) || !m_programItems[program])
            continue;
        TreeView_DeleteItem(m_tree.m_hWnd, m_programItems[program]);
        m_programItems[program] = nullptr;
        for (size_t trace : m_catalogue.Programs()[program].traces)
            m_traceItems[trace] = nullptr;
    }
}

void MoreTracesDlg::RemoveMissingTraces() {
    for (size_t program = 0; program < m_programItems.size(); ++program) {
        if (!m_programItems[program])
            continue;
        for (size_t trace : m_catalogue.Programs()[program].traces) {
            if (!m_traceItems[trace] || ShowsTrace(program, trace))
                continue;
            TreeView_DeleteItem(m_tree.m_hWnd, m_traceItems[trace]);
            m_traceItems[trace] = nullptr;
        }
    }
}

void MoreTracesDlg::ShowChecks(size_t program) {
    const Program& shown = m_catalogue.Programs()[program];
    m_tree.SetCheck(m_programItems[program], m_choice->StateOf(shown.traces),
                    !m_choice->ProgramFound(program));
    for (size_t trace : shown.traces) {
        if (!m_traceItems[trace])
            continue;
        const CheckState state =
            m_choice->Checked(trace) ? CheckState::Checked : CheckState::Unchecked;
        m_tree.SetCheck(m_traceItems[trace], state, !m_choice->Changeable(trace));
    }
}

void MoreTracesDlg::OnShowAll() {
    m_showAll = SendDlgItemMessage(IDC_CHOOSER_SHOW_ALL, BM_GETCHECK) == BST_CHECKED;
    if (!m_showAll) {
        RemoveMissingTraces();
        RemoveMissingPrograms();
        return;
    }
    AddPrograms(false);
}

// Drawn once, when all are in. The programs shown already get the traces
// they hid.
void MoreTracesDlg::AddPrograms(bool found) {
    m_tree.SendMessage(WM_SETREDRAW, FALSE);
    for (size_t program = 0; program < m_programItems.size(); ++program) {
        if (m_choice->ProgramFound(program) == found && !m_programItems[program])
            AddProgram(program);
        else if (m_programItems[program])
            AddTraces(program);
    }
    m_tree.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_tree.m_hWnd, nullptr, TRUE);
}

const std::vector<size_t>& MoreTracesDlg::TracesOf(LPARAM data, std::vector<size_t>& one) const {
    if (data & kProgramItem)
        return m_catalogue.Programs()[size_t(data & ~kProgramItem)].traces;
    one.assign(1, size_t(data));
    return one;
}

void MoreTracesDlg::OnToggle(HTREEITEM item) {
    std::vector<size_t> one;
    const LPARAM data = m_tree.DataOf(item);
    const Toggle toggle = m_choice->ToggleOf(TracesOf(data, one));
    if (toggle.traces.empty())
        return;
    const std::vector<size_t> warned = m_choice->ToConfirm(toggle);
    if (!warned.empty() && !ConfirmWarnings(warned))
        return;
    m_choice->Apply(toggle);
    ShowChecks(m_catalogue.ProgramIndexOf(toggle.traces.front()));
}

bool MoreTracesDlg::ConfirmWarnings(const std::vector<size_t>& traces) {
    std::wstring lines;
    for (size_t trace : traces) {
        const Trace& warned = m_catalogue.Traces()[trace];
        lines += (lines.empty() ? L"" : kLine) +
                 LoadText(IDS_CHOOSER_CONFIRM_LINE, {warned.label, warned.warning});
    }
    const std::string text = platform::ToAnsi(LoadText(IDS_CHOOSER_CONFIRM, {lines}));
    return MessageBox(text.c_str(), nullptr, MB_YESNO | MB_ICONWARNING) == IDYES;
}

std::wstring MoreTracesDlg::ProgramText(size_t program) const {
    return LoadText(m_choice->ProgramFound(program) ? IDS_CHOOSER_PROGRAM_FOUND
                                                    : IDS_CHOOSER_PROGRAM_MISSING,
                    {m_catalogue.Programs()[program].name});
}

std::wstring MoreTracesDlg::TraceText(size_t index) const {
    const Trace& trace = m_catalogue.Traces()[index];
    std::wstring text = trace.label + kParagraph + LoadText(IDS_CHOOSER_GOES, {trace.goes}) +
                        kParagraph + LoadText(IDS_CHOOSER_STAYS, {trace.stays});
    if (!trace.warning.empty())
        text += kParagraph + LoadText(IDS_CHOOSER_WARNING, {trace.warning});
    const size_t program = m_catalogue.ProgramIndexOf(index);
    if (!m_choice->ProgramFound(program))
        text += kParagraph + ProgramText(program);
    return text;
}

void MoreTracesDlg::Describe(HTREEITEM item) {
    const LPARAM data = item ? m_tree.DataOf(item) : 0;
    std::wstring text;
    if (item)
        text = data & kProgramItem ? ProgramText(size_t(data & ~kProgramItem))
                                   : TraceText(size_t(data));
    SetItemText(m_hWnd, IDC_CHOOSER_ABOUT, text);
}

LRESULT MoreTracesDlg::OnNotify(WPARAM, LPARAM header) {
    const auto* notice = reinterpret_cast<const NMHDR*>(header);
    if (notice->idFrom != IDC_CHOOSER_TREE)
        return Default();
    switch (notice->code) {
    case NM_CUSTOMDRAW:
        return m_tree.OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    // The item's handle lies at the same place in both forms of the notice.
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        Describe(reinterpret_cast<const NMTREEVIEWW*>(header)->itemNew.hItem);
        return 0;
    default:
        return Default();
    }
}

void MoreTracesDlg::OnPreview() {
    TraceSet selection = m_windowTraces;
    selection.Add(m_choice->Chosen());
    PreviewDlg preview(this, selection);
    preview.DoModal();
}

// The list is stored by its own dialog's OK, whatever this one's answer.
void MoreTracesDlg::OnKeepSites() {
    KeepSitesDlg keepSites(this);
    keepSites.DoModal();
}

void MoreTracesDlg::OnOK() {
    WriteMoreTraces(MoreTracesToStore(m_choice->Chosen(), ReadMoreTraces()));
    ResizableDlg::OnOK();
}
