#include "framework/CWnd.h"

#include "framework/CDataExchange.h"
#include "framework/COleControlContainer.h"
#include "framework/COleControlSite.h"
#include "framework/CWinApp.h"

#include <map>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// Window objects of this thread by handle, for the window procedure.
std::map<HWND, CWnd*>& HandleMap() {
    thread_local std::map<HWND, CWnd*> map;
    return map;
}

// The message being dispatched on this thread; nested dispatches save and
// restore it, so Default() always refers to its own message.
thread_local MSG t_currentMessage = {};

// What a window procedure answers when a handler threw: the message is
// dropped, but a paint message must still validate the window, or Windows
// would send it again forever.
LRESULT ProcessWndProcException(HWND hWnd, UINT message) {
    if (message == WM_PAINT)
        ::ValidateRect(hWnd, nullptr);
    return 0;
}

} // namespace

// Out of line, with the destructor: only here are the container and site
// complete types that the members can release.
CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
    Detach();
    // A control whose window went some other way is closed all the same.
    if (m_pCtrlSite)
        m_pCtrlSite->DestroyControl();
    // Normally closed when the window was destroyed; a window that the object
    // only attached never showed it that message.
    if (m_pCtrlCont)
        m_pCtrlCont->CloseControls();
    m_pCtrlCont.reset();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto found = HandleMap().find(hWnd);
    return found == HandleMap().end() ? nullptr : found->second;
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (!hWndNew || m_hWnd || FromHandlePermanent(hWndNew))
        return FALSE;
    try {
        HandleMap()[hWndNew] = this;
    } catch (...) {
        return FALSE;
    }
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd)
        HandleMap().erase(hWnd);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!::IsWindow(hWnd) || !Attach(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent)
        return FALSE;
    HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return hWndControl && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd && m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

const MSG* CWnd::GetCurrentMessage() {
    return &t_currentMessage;
}

LRESULT CWnd::Default() {
    return DefWindowProc(t_currentMessage.message, t_currentMessage.wParam,
                         t_currentMessage.lParam);
}

BOOL CWnd::DestroyWindow() {
    if (m_pCtrlSite) {
        m_pCtrlSite->DestroyControl();
        return TRUE;
    }
    if (!m_hWnd)
        return FALSE;
    // A subclassed window detaches itself at WM_NCDESTROY (after which the
    // object must not be touched); a merely attached one is detached here.
    const bool detachesItself = m_pfnSuper != nullptr;
    HWND hWnd = m_hWnd;
    BOOL destroyed = ::DestroyWindow(hWnd);
    if (!detachesItself && m_hWnd == hWnd)
        Detach();
    return destroyed;
}

BOOL CWnd::CreateControl(REFCLSID clsid, const char* lpszWindowName, DWORD dwStyle,
                         const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!AfxControlContainerEnabled() || m_hWnd || m_pCtrlSite || !pParentWnd ||
        !::IsWindow(pParentWnd->m_hWnd))
        return FALSE;
    if (!pParentWnd->m_pCtrlCont)
        pParentWnd->m_pCtrlCont = COleControlContainer::Create(pParentWnd);
    if (!pParentWnd->m_pCtrlCont)
        return FALSE;
    return pParentWnd->m_pCtrlCont->CreateControl(this, clsid, lpszWindowName, dwStyle, rect, nID);
}

IUnknown* CWnd::GetControlUnknown() const {
    return m_pCtrlSite ? m_pCtrlSite->GetControlUnknown() : nullptr;
}

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
    if (!lpszCaption) {
        CWinApp* app = AfxGetApp();
        lpszCaption = app ? app->m_pszAppName : nullptr;
    }
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    if (message == WM_COMMAND)
        return OnCommand(wParam, lParam);
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (!entry)
        return FALSE;
    *pResult = entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menus and accelerators (no control window) are both plain commands.
    const UINT nCode = lParam == 0 ? CN_COMMAND : HIWORD(wParam);
    return OnCmdMsg(LOWORD(wParam), nCode);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
BOOL CWnd::OnQueryEndSession() {
    return static_cast<BOOL>(Default());
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}

// The last message a window receives: give the window back its own procedure,
// forget the handle, and let the application drop a main window that is gone.
void CWnd::OnFinalNcDestroy() {
    UnsubclassWindow();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
    PostNcDestroy();
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG previous = t_currentMessage;
    t_currentMessage = MSG{};
    t_currentMessage.hwnd = hWnd;
    t_currentMessage.message = message;
    t_currentMessage.wParam = wParam;
    t_currentMessage.lParam = lParam;
    LRESULT result = 0;
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = ProcessWndProcException(hWnd, message);
    }
    // The window's own handlers have seen WM_DESTROY; its children, among
    // them the windows of its controls, still exist until it returns. Closing
    // the controls now lets each take its window away in its own order.
    if (message == WM_DESTROY && pWnd->m_pCtrlCont)
        pWnd->m_pCtrlCont->CloseControls();
    if (message == WM_NCDESTROY && pWnd->m_hWnd == hWnd) {
        try {
            pWnd->OnFinalNcDestroy();
        } catch (...) {
            // PostNcDestroy belongs to the derived class; the window is gone anyway.
        }
    }
    t_currentMessage = previous;
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}
