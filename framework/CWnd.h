// A window object: wraps one HWND, receives its messages through the
// framework's window procedure and dispatches them through the message map.
//
// Ways a CWnd gets its window:
// - SubclassWindow / SubclassDlgItem: the object takes over an existing window
//   (for example a control of a dialog template). Its message map sees every
//   message first; what the map does not handle goes on to the window's own
//   procedure. The original procedure is put back when the window is destroyed
//   (WM_NCDESTROY) or by UnsubclassWindow.
// - Attach: the object only wraps the handle; messages do not pass through it.
//   Detach before the window goes away, or the object keeps a stale handle.
// - CDialog::DoModal creates its own window.
// - CreateControl: the object wraps the window of an ActiveX control that it
//   creates in a parent window (see COleControlContainer). The window belongs
//   to the control: DestroyWindow closes the control, which takes it away.
//
// Note: <windows.h> maps SendMessage, PostMessage, MessageBox and
// DefWindowProc to their "A" names; so are the members here, consistently,
// as long as <windows.h> comes first (every framework header includes it).
//
// One user-interface thread: the handle map and the current message belong to
// the thread that runs the window procedure.
#pragma once

#include "framework/CCmdTarget.h"
#include "framework/ComPtr.h"

class CDataExchange;
class COleControlContainer;
class COleControlSite;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd();
    // Destroys a window the object still wraps (its On... handlers no longer
    // reach the derived class at that point: end windows before their objects),
    // closes a control it wraps and releases the container of the controls
    // its window hosted.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object that wraps hWnd through Attach or subclassing; null if none.
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Puts back the window's own procedure and detaches; returns the window.
    HWND UnsubclassWindow();

    // The message the window procedure of this thread is handling right now.
    static const MSG* GetCurrentMessage();
    // Hands the current message to the window's own procedure (the control's
    // procedure of a subclassed window, the dialog manager for a dialog).
    LRESULT Default();

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    // The child window with the given control id (a plain handle, no object).
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr) {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    // For a control's window (CreateControl), closes the control instead.
    virtual BOOL DestroyWindow();

    // Creates the ActiveX control clsid as an in-place active child window of
    // pParentWnd with the given style, rectangle (client coordinates of the
    // parent) and child id, and attaches the control's window to this object.
    // The parent's window gets a control container on its first control,
    // which initialises OLE for the thread if needed. Requires control hosting
    // to be enabled (AfxEnableControlContainer); FALSE on any failure, and
    // then no control is left behind.
    BOOL CreateControl(REFCLSID clsid, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID);
    // The hosted control's object, without a reference added (AddRef to keep
    // it); null when this object wraps no control.
    IUnknown* GetControlUnknown() const;

    // A message box owned by this window; a null caption means the
    // application's name.
    int MessageBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK);

    // Dialog data exchange: TRUE copies the controls into the members,
    // FALSE copies the members into the controls (see CDataExchange).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    // Every message of the window: the message map first, then DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE (with *pResult set) when a map entry handled the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // The window's own procedure, or the system's default for a window that
    // was not subclassed.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY) and the object detached.
    virtual void PostNcDestroy() {}

    // Default handlers for the ON_WM_... entries: each gives the message its
    // default processing. A derived class hides them with its own of the same
    // name and calls these for what it does not consume.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    BOOL OnQueryEndSession();
    void OnTimer(UINT_PTR nIDEvent);

private:
    friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam,
                                  LPARAM lParam);
    friend class COleControlSite;
    void OnFinalNcDestroy();

    WNDPROC m_pfnSuper = nullptr; // the window's own procedure, when subclassed
    // The controls this window hosts, created on the first one.
    ComPtr<COleControlContainer> m_pCtrlCont;
    // The site of the control whose window this object wraps.
    ComPtr<COleControlSite> m_pCtrlSite;
};

// The framework's window procedure: finds the object of hWnd and dispatches.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches one message to pWnd, with the message recorded as current and no
// C++ exception let out.
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
