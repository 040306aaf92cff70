#include "app/MoreTracesDlg.h"

#include "app/MoreTracesClean.h"
#include "res/resource.h"
#include "settings/Settings.h"

#include <iterator>
#include <string>

namespace {

// The programs the dialog holds, in its order: one group box each
// (IDC_MORE_GROUP_CHROME + p is program p) and one box per trace, the boxes
// consecutive from IDC_MORE_CHROME_CACHE in that order.
const char* const kDialogPrograms[] = {"chrome", "edge", "firefox", "windows"};
constexpr const char kNotInstalled[] = " (not installed)";
constexpr int kGroupTitleSize = 128;

const Program* DialogProgram(size_t group) {
    for (const Program& program : Catalogue::BuiltIn().Programs()) {
        if (program.key == kDialogPrograms[group])
            return &program;
    }
    return nullptr;
}

// Calls visit(trace, box) for each box, in the dialog's order.
template <typename Visit> void ForEachBox(Visit visit) {
    int box = IDC_MORE_CHROME_CACHE;
    for (size_t group = 0; group < std::size(kDialogPrograms); ++group) {
        if (const Program* program = DialogProgram(group)) {
            for (size_t trace : program->traces)
                visit(trace, box++);
        }
    }
}

} // namespace

BEGIN_MESSAGE_MAP(MoreTracesDlg, CDialog)
END_MESSAGE_MAP()

MoreTracesDlg::MoreTracesDlg(CWnd* pParent) : CDialog(IDD_MORE_TRACES, pParent) {}

BOOL MoreTracesDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const TraceSet chosen = ChosenMoreTraces();
    ForEachBox([&](size_t trace, int box) {
        if (chosen.Has(trace))
            SendDlgItemMessage(box, BM_SETCHECK, BST_CHECKED);
    });
    DisableMissingBrowsers();
    return TRUE;
}

// A disabled box keeps the stored choice, so that OK does not drop it.
void MoreTracesDlg::DisableMissingBrowsers() {
    ForEachBox([&](size_t trace, int box) {
        const Program* program = Catalogue::BuiltIn().ProgramOf(trace);
        if (!Catalogue::Found(*program))
            EnableWindow(GetDlgItem(box), FALSE);
    });
    for (size_t p = 0; p < std::size(kDialogPrograms); ++p) {
        const Program* program = DialogProgram(p);
        if (!program || Catalogue::Found(*program))
            continue;
        const int group = IDC_MORE_GROUP_CHROME + static_cast<int>(p);
        char title[kGroupTitleSize] = {};
        GetDlgItemTextA(m_hWnd, group, title, kGroupTitleSize);
        SetDlgItemTextA(m_hWnd, group, (std::string(title) + kNotInstalled).c_str());
    }
}

// A trace the dialog has no box for keeps its stored choice.
void MoreTracesDlg::OnOK() {
    TraceSet chosen, shown;
    ForEachBox([&](size_t trace, int box) {
        shown.Add(trace);
        if (SendDlgItemMessage(box, BM_GETCHECK) == BST_CHECKED)
            chosen.Add(trace);
    });
    const TraceSet stored = ChosenMoreTraces();
    for (size_t trace = 0; trace < Catalogue::BuiltIn().Traces().size(); ++trace) {
        if (stored.Has(trace) && !shown.Has(trace))
            chosen.Add(trace);
    }
    WriteMoreTraces(MoreTracesToStore(chosen, ReadMoreTraces()));
    CDialog::OnOK();
}
