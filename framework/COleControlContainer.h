// The control container of one window: it hosts ActiveX controls as in-place
// active child windows of that window, one COleControlSite each, and is the
// in-place frame (and user-interface window) the controls talk to while they
// are active. It has no menus, tool space or status bar to share.
//
// Lifetime, as CWnd uses it:
// - A window gets its container with its first CWnd::CreateControl that
//   names it as the parent. The container initialises OLE for the thread
//   (COleInitializer) and keeps it for as long as the container lives.
// - When the window is destroyed, the framework closes the controls while
//   their windows still exist (WM_DESTROY reaches the container's window
//   before its children are destroyed).
// - The window object releases the container when it is destroyed itself.
//   Release every interface obtained from a control before that: OLE ends
//   for the thread with the last container.
//
// The container is a COM object: the controls hold counted references to it
// while they are active, and it goes when the last one is released.
#pragma once

#include "framework/COleInitializer.h"
#include "framework/ComPtr.h"

#include <ole2.h>

#include <vector>

class CWnd;
class COleControlSite;

class COleControlContainer final : public IOleInPlaceFrame {
public:
    // A container for the window of pWnd; null when OLE cannot be initialised
    // for this thread or memory runs out.
    static ComPtr<COleControlContainer> Create(CWnd* pWnd);

    // Creates the control clsid as an in-place active child window of the
    // container's window and attaches that window to pWndCtrl.
    BOOL CreateControl(CWnd* pWndCtrl, REFCLSID clsid, const char* lpszWindowName, DWORD dwStyle,
                       const RECT& rect, UINT nID);
    // Closes and lets go of every hosted control.
    void CloseControls();
    // Lets go of a site whose control has been closed.
    void RemoveSite(COleControlSite* pSite);

    // The window whose controls these are.
    HWND GetWindowHandle() const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT lprectBorder) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* pActiveObject,
                                              LPCOLESTR pszObjName) override;
    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU hmenuShared,
                                          LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU hmenuShared, HOLEMENU holemenu,
                                      HWND hwndActiveObject) override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU hmenuShared) override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR pszStatusText) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

private:
    explicit COleControlContainer(HWND hWnd);
    ~COleControlContainer();

    // First member, so last to go: OLE ends after the sites are released.
    COleInitializer m_oleInit;
    LONG m_nRefs = 1;
    // The handle, not the object: a control may keep the container alive
    // after the window object has gone.
    HWND m_hWnd;
    std::vector<ComPtr<COleControlSite>> m_sites;
};
