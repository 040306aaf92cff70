#include "framework/CDataExchange.h"

#include "framework/CWnd.h"

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWndCheck = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!hWndCheck)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hWndCheck, BM_GETCHECK, 0, 0));
        return;
    }
    const bool known = value == BST_UNCHECKED || value == BST_CHECKED || value == BST_INDETERMINATE;
    ::SendMessageA(hWndCheck, BM_SETCHECK, known ? static_cast<WPARAM>(value) : BST_UNCHECKED, 0);
}
