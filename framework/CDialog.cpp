#include "framework/CDialog.h"

#include <algorithm>

#include "framework/CWinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// Command ids from here on are system commands, which stay with the window.
constexpr UINT kFirstSystemCommand = 0xF000;

// The style a dialog template asks for. The dialog manager creates the
// window without WS_VISIBLE and shows it after WM_INITDIALOG, so the window's
// own style cannot tell whether the template is visible.
DWORD TemplateStyle(UINT nIDTemplate) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(nIDTemplate), RT_DIALOG);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const auto* words = static_cast<const WORD*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!words)
        return 0;
    // DLGTEMPLATEEX starts with version 1 and signature 0xFFFF; its style
    // follows the help id and the extended style.
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    const auto* dwords = reinterpret_cast<const DWORD*>(words);
    return extended ? dwords[3] : dwords[0];
}

// Centres hWnd on its owner, or on the work area when the owner is missing,
// hidden or minimised, keeping the whole window inside that work area.
void CenterOnOwner(HWND hWnd) {
    HWND owner = ::GetWindow(hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : hWnd, MONITOR_DEFAULTTONEAREST),
                      &monitor);
    const RECT& work = monitor.rcWork;
    RECT centre = work;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &centre);

    RECT window = {};
    ::GetWindowRect(hWnd, &window);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = (centre.left + centre.right - width) / 2;
    LONG y = (centre.top + centre.bottom - height) / 2;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    if (m_hWnd)
        return -1; // already running
    HWND hWndOwner = FindModalOwner();
    // Disable the owner before the dialog exists, as the dialog manager does,
    // so that nothing reaches it while the dialog starts.
    const bool enableOwner = hWndOwner && ::IsWindowEnabled(hWndOwner);
    if (enableOwner)
        ::EnableWindow(hWndOwner, FALSE);

    INT_PTR result = -1;
    if (CreateModalWindow(hWndOwner))
        result = RunModalLoop();

    // Hide before the owner comes back, so that Windows activates the owner
    // and not some other program's window.
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (enableOwner)
        ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner && m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndOwner);
    DestroyWindow();
    return result;
}

HWND CDialog::FindModalOwner() const {
    HWND hWnd = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (!m_pParentWnd) {
        CWinApp* app = AfxGetApp();
        CWnd* mainWnd = app ? app->m_pMainWnd : nullptr;
        if (mainWnd && mainWnd != this && mainWnd->GetSafeHwnd())
            hWnd = ::GetLastActivePopup(mainWnd->GetSafeHwnd());
    }
    // A popup window cannot be owned by a child window.
    while (hWnd && (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

BOOL CDialog::CreateModalWindow(HWND hWndOwner) {
    m_nModalResult = -1;
    m_bContinueModal = true;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                     hWndOwner, &AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (hWnd && !m_hWnd) {
        // The window never reached WM_INITDIALOG with this object.
        ::DestroyWindow(hWnd);
        hWnd = nullptr;
    }
    if (!hWnd) {
        m_bContinueModal = false;
        return FALSE;
    }
    // A template without WS_VISIBLE is shown once it is initialised.
    if (m_bContinueModal && m_hWnd && !IsWindowVisible())
        ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

INT_PTR CDialog::RunModalLoop() {
    MSG msg;
    while (m_bContinueModal && m_hWnd) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The quit request is meant for the loop outside ours as well.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return -1;
        }
        if (got == -1)
            return -1;
        if (!::IsDialogMessageA(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_bContinueModal = false;
    // Wake the loop: EndDialog may run inside a message sent from another
    // thread, which GetMessage handles without returning.
    if (m_hWnd)
        PostMessage(WM_NULL);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT nID, UINT nCode) {
    if (CWnd::OnCmdMsg(nID, nCode))
        return TRUE;
    if (nCode != CN_COMMAND || nID >= kFirstSystemCommand)
        return FALSE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    try {
        RECT before = {};
        ::GetWindowRect(m_hWnd, &before);
        const DWORD styleBefore = TemplateStyle(m_nIDTemplate);
        const BOOL result = OnInitDialog();
        // A dialog that starts hidden (an about box, an options dialog) is shown
        // centred on its owner, unless its initialisation placed it itself. One
        // whose template is visible stays where its template puts it.
        RECT after = {};
        ::GetWindowRect(m_hWnd, &after);
        if (!(styleBefore & (WS_VISIBLE | WS_CHILD)) && ::EqualRect(&before, &after))
            CenterOnOwner(m_hWnd);
        return result;
    } catch (...) {
        // A dialog that cannot initialise itself ends as if it never started.
        EndDialog(-1);
        return FALSE;
    }
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd))
        return FALSE;
    // The first message that carries the dialog object: subclass the window so
    // that all later messages pass the message map before the dialog manager.
    auto* pDialog = reinterpret_cast<CDialog*>(lParam);
    if (!pDialog->SubclassWindow(hWnd))
        return FALSE;
    return AfxCallWndProc(pDialog, hWnd, message, wParam, lParam);
}
