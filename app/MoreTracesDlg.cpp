#include "app/MoreTracesDlg.h"

#include "app/MoreTracesClean.h"
#include "catalogue/CleanTarget.h"
#include "res/resource.h"
#include "settings/Settings.h"

#include <string>

namespace {

// One box per more trace of the first four programs, in the catalogue's
// order (box IDC_MORE_CHROME_CACHE + i is more trace i), and one group box
// per program (IDC_MORE_GROUP_CHROME + p is program p).
constexpr size_t kBoxCount = IDC_MORE_TEMP - IDC_MORE_CHROME_CACHE + 1;
constexpr size_t kGroupCount = IDC_MORE_GROUP_WINDOWS - IDC_MORE_GROUP_CHROME + 1;
constexpr const char kNotInstalled[] = " (not installed)";
constexpr int kGroupTitleSize = 128;

int BoxOf(size_t trace) {
    return IDC_MORE_CHROME_CACHE + static_cast<int>(trace - CleanTargetCount);
}

template <typename Visit> void ForEachBox(Visit visit) {
    for (size_t trace = CleanTargetCount; trace < CleanTargetCount + kBoxCount; ++trace)
        visit(trace);
}

} // namespace

BEGIN_MESSAGE_MAP(MoreTracesDlg, CDialog)
END_MESSAGE_MAP()

MoreTracesDlg::MoreTracesDlg(CWnd* pParent) : CDialog(IDD_MORE_TRACES, pParent) {}

BOOL MoreTracesDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const TraceSet chosen = ChosenMoreTraces();
    ForEachBox([&](size_t trace) {
        if (chosen.Has(trace))
            SendDlgItemMessage(BoxOf(trace), BM_SETCHECK, BST_CHECKED);
    });
    DisableMissingBrowsers();
    return TRUE;
}

// A disabled box keeps the stored choice, so that OK does not drop it.
void MoreTracesDlg::DisableMissingBrowsers() {
    const std::vector<Program>& programs = Catalogue::BuiltIn().Programs();
    for (size_t p = 0; p < kGroupCount && p < programs.size(); ++p) {
        if (Catalogue::Found(programs[p]))
            continue;
        for (size_t trace : programs[p].traces)
            EnableWindow(GetDlgItem(BoxOf(trace)), FALSE);
        const int group = IDC_MORE_GROUP_CHROME + static_cast<int>(p);
        char title[kGroupTitleSize] = {};
        GetDlgItemTextA(m_hWnd, group, title, kGroupTitleSize);
        SetDlgItemTextA(m_hWnd, group, (std::string(title) + kNotInstalled).c_str());
    }
}

void MoreTracesDlg::OnOK() {
    TraceSet chosen;
    ForEachBox([&](size_t trace) {
        if (SendDlgItemMessage(BoxOf(trace), BM_GETCHECK) == BST_CHECKED)
            chosen.Add(trace);
    });
    WriteMoreTraces(MoreTracesToStore(chosen, ReadMoreTraces()));
    CDialog::OnOK();
}
