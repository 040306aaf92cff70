#include "settings/COption.h"

#include "res/resource.h"
#include "settings/AutoRun.h"
#include "settings/Settings.h"

namespace {
constexpr int kOptionCount = 3;
} // namespace

IMPLEMENT_DYNAMIC(COption, CDialog)

BEGIN_MESSAGE_MAP(COption, CDialog)
END_MESSAGE_MAP()

COption::COption(CWnd* pParent) : CDialog(IDD_OPTION, pParent), m_initialAutoRun(0) {}

BOOL COption::OnInitDialog() {
    CDialog::OnInitDialog();

    OptionFlags options = ReadOptionFlags();
    for (int i = 0; i < kOptionCount; ++i) {
        // A clear bit leaves the box unchecked, as the template creates it.
        if (options & (1u << i))
            SendDlgItemMessage(IDC_OPTION_CLEAN_AT_SHUTDOWN + i, BM_SETCHECK, BST_CHECKED);
    }
    m_initialAutoRun = static_cast<int>(options & OptionAutoRun);
    return TRUE;
}

void COption::OnOK() {
    OptionFlags options = 0;
    for (int i = 0; i < kOptionCount; ++i) {
        if (SendDlgItemMessage(IDC_OPTION_CLEAN_AT_SHUTDOWN + i, BM_GETCHECK) == BST_CHECKED)
            options |= 1u << i;
    }
    // "Option" first: it keeps the user's choice even when the entry cannot
    // be changed.
    WriteOptionFlags(options);

    int autoRun = static_cast<int>(options & OptionAutoRun);
    if (autoRun != m_initialAutoRun)
        SetAutoRun(autoRun);
    else if (autoRun)
        RequoteAutoRun();

    CDialog::OnOK();
}
