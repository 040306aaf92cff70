// A dialog that keeps an icon in the notification area for as long as its
// window exists. The icon's menu shows, hides or ends the program, and
// minimising hides the window instead, so it then lives only in the
// notification area until it is shown again.
#pragma once

#include "framework/CDialog.h"

class CNotifyIconDlg : public CDialog {
    DECLARE_DYNAMIC(CNotifyIconDlg)

public:
    CNotifyIconDlg(UINT nIDTemplate, CWnd* pParentWnd);
    ~CNotifyIconDlg() override = default;

    // Derived dialogs call this first: the framework's initialisation, then
    // the icon is added.
    BOOL OnInitDialog() override;

protected:
    // The program icon at the size the system gives for the metrics
    // (SM_CXICON, SM_CYICON or the small ones); the caller destroys it.
    static HICON LoadProgramIcon(int widthMetric, int heightMetric);

    void OnDestroy();
    LRESULT OnNotifyIcon(WPARAM wParam, LPARAM lParam);
    void OnTrayCommand(UINT nID);
    // Derived dialogs pass every system command they do not consume here.
    void OnSysCommand(UINT nID, LPARAM lParam);
    // The shell made a new taskbar: the icon is added again, so a hidden
    // window can still be shown.
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

private:
    void AddIcon();
    void ShowTrayMenu();

    DECLARE_MESSAGE_MAP()
};
