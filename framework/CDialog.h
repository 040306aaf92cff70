// A dialog made from a dialog template in the resource module and run
// modally by DoModal. Write a dialog class like this:
//
//   class CMyDlg : public CDialog {
//   public:
//       explicit CMyDlg(CWnd* pParent = nullptr) : CDialog(IDD_MY_DIALOG, pParent) {}
//       int m_checkOne = 0;
//   protected:
//       void DoDataExchange(CDataExchange* pDX) override;  // DDX_Check pairs
//       BOOL OnInitDialog() override;  // call CDialog::OnInitDialog() first
//       void OnOK() override;          // optional; CDialog::OnOK saves and ends
//       void OnGo();                   // ON_BN_CLICKED(IDC_GO, &CMyDlg::OnGo)
//       DECLARE_MESSAGE_MAP()
//   };
//
//   CMyDlg dlg;
//   INT_PTR result = dlg.DoModal();   // IDOK, IDCANCEL, an EndDialog code or -1
//
// Keyboard and closing follow the dialog manager: Tab moves between tab stops,
// Enter is the command IDOK, Escape and the close box are IDCANCEL. IDOK and
// IDCANCEL reach the virtual OnOK / OnCancel unless the dialog's message map
// has its own entry for them. Commands the dialog does not handle go on to
// the application object's message map.
#pragma once

#include "framework/CWnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override = default;

    // Creates the dialog, runs its modal loop and destroys it again.
    //
    // Owner: the parent given to the constructor; without one, the
    // application's main window (m_pMainWnd) unless that is this dialog. The
    // owner is disabled while the dialog runs and enabled and activated again
    // afterwards. Returns the code given to EndDialog; -1 when the template
    // cannot be created, or when a quit message (WM_QUIT) ended the loop, in
    // which case the quit message is posted again for the loops outside.
    virtual INT_PTR DoModal();

    // Ends the modal loop with nResult as the result of DoModal.
    void EndDialog(int nResult);

    // Runs the first data exchange (UpdateData(FALSE)). Return TRUE to give
    // the focus to the first control with a tab stop, FALSE when the dialog
    // has set the focus itself.
    virtual BOOL OnInitDialog();

protected:
    // IDOK: saves the controls into the members (UpdateData(TRUE)) and ends
    // the dialog with IDOK.
    virtual void OnOK();
    // IDCANCEL: ends the dialog with IDCANCEL.
    virtual void OnCancel();

    BOOL OnCmdMsg(UINT nID, UINT nCode) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    HWND FindModalOwner() const;
    BOOL CreateModalWindow(HWND hWndOwner);
    INT_PTR RunModalLoop();
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    int m_nModalResult = -1;
    bool m_bContinueModal = false;

    DECLARE_MESSAGE_MAP()
};

// The dialog procedure of the framework's dialogs. It takes over the window
// at WM_INITDIALOG; from then on the framework's window procedure sees every
// message first, and this procedure only answers "not handled" when those
// messages reach the dialog manager's default processing.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
