// Dialog data exchange: moves values between a dialog's controls and its
// members in the direction UpdateData asks for. A dialog lists its pairs in
// DoDataExchange, which serves both directions:
//
//   void CMyDlg::DoDataExchange(CDataExchange* pDX) {
//       CDialog::DoDataExchange(pDX);
//       DDX_Check(pDX, IDC_CHECK_ONE, m_checkOne);
//   }
#pragma once

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls -> members; FALSE: members -> controls
    CWnd* m_pDlgWnd;         // the dialog whose controls are exchanged
};

// A check box and an int: saving stores its state (BM_GETCHECK: 0 unchecked,
// 1 checked, 2 indeterminate); loading sets it (BM_SETCHECK), where a value
// other than 0, 1 or 2 shows as unchecked. Without a control of that id the
// member is left as it is.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
