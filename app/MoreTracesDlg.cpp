#include "app/MoreTracesDlg.h"

#include "app/MoreTracesClean.h"
#include "moretraces/BrowserProfiles.h"
#include "res/resource.h"
#include "settings/Settings.h"

#include <string>

namespace {

// The browsers' groups: the group box and the first of its boxes.
struct BrowserGroup {
    Browser browser;
    int groupBox;
    int firstBox;
};
const BrowserGroup kBrowserGroups[] = {
    {Browser::Chrome, IDC_MORE_GROUP_CHROME, IDC_MORE_CHROME_CACHE},
    {Browser::Edge, IDC_MORE_GROUP_EDGE, IDC_MORE_EDGE_CACHE},
    {Browser::Firefox, IDC_MORE_GROUP_FIREFOX, IDC_MORE_FIREFOX_CACHE},
};
// Cache, history, cookies and form data.
constexpr int kBoxesPerBrowser = 4;
constexpr const char kNotInstalled[] = " (not installed)";
constexpr int kGroupTitleSize = 128;

// The boxes follow the more traces in the table's order.
int BoxOf(const Target& target) {
    return IDC_MORE_CHROME_CACHE + target.id - CleanTargetCount;
}

template <typename Visit> void ForEachMoreTrace(Visit visit) {
    for (size_t i = 0; i < kTargetCount; ++i) {
        if (!IsBoxTarget(kTargets[i]))
            visit(kTargets[i]);
    }
}

} // namespace

BEGIN_MESSAGE_MAP(MoreTracesDlg, CDialog)
END_MESSAGE_MAP()

MoreTracesDlg::MoreTracesDlg(CWnd* pParent) : CDialog(IDD_MORE_TRACES, pParent) {}

BOOL MoreTracesDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const TargetSet chosen = ChosenMoreTraces();
    ForEachMoreTrace([&](const Target& target) {
        if (chosen.Has(target.id))
            SendDlgItemMessage(BoxOf(target), BM_SETCHECK, BST_CHECKED);
    });
    DisableMissingBrowsers();
    return TRUE;
}

// A disabled box keeps the stored choice, so that OK does not drop it.
void MoreTracesDlg::DisableMissingBrowsers() {
    for (const BrowserGroup& group : kBrowserGroups) {
        if (!ProfilesOf(group.browser).empty())
            continue;
        for (int i = 0; i < kBoxesPerBrowser; ++i)
            EnableWindow(GetDlgItem(group.firstBox + i), FALSE);
        char title[kGroupTitleSize] = {};
        GetDlgItemTextA(m_hWnd, group.groupBox, title, kGroupTitleSize);
        SetDlgItemTextA(m_hWnd, group.groupBox, (std::string(title) + kNotInstalled).c_str());
    }
}

void MoreTracesDlg::OnOK() {
    TargetSet chosen;
    ForEachMoreTrace([&](const Target& target) {
        if (SendDlgItemMessage(BoxOf(target), BM_GETCHECK) == BST_CHECKED)
            chosen.Add(target.id);
    });
    WriteMoreTraces(MoreTraceNames(chosen, static_cast<char>(kMoreTracesSeparator)));
    CDialog::OnOK();
}
