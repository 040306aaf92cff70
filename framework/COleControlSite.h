// The container's side of one hosted ActiveX control: its client site and
// in-place site. It creates the control, activates it in place inside the
// container's window, attaches the control's window to a CWnd, moves the
// control when the control asks for a new position, and closes it again.
//
// Closing, in the order OLE expects: the window object lets go of the handle,
// the control is deactivated in place (it takes its window away), closed
// without saving, and told that it has no site any more; then the site
// releases its interfaces to it. The control is gone once the last other
// reference to it is released too.
#pragma once

#include "framework/ComPtr.h"

#include <ole2.h>

class CWnd;
class COleControlContainer;

class COleControlSite final : public IOleClientSite, public IOleInPlaceSite {
public:
    // A site at rect (client coordinates of the container's window) whose
    // control window will get the child id nID. Counted: starts with one
    // reference, for the caller.
    COleControlSite(COleControlContainer* pCtrlCont, const RECT& rect, UINT nID);

    // Creates and in-place activates the control clsid; on success the
    // control's window has the style dwStyle, the child id and the window
    // name (when not null), and is attached to pWndCtrl.
    HRESULT CreateControl(CWnd* pWndCtrl, REFCLSID clsid, const char* lpszWindowName,
                          DWORD dwStyle);
    // Closes the control (see above); the site stays in its container.
    void Close();
    // Closes the control and takes the site out of its container.
    void DestroyControl();

    // The control's object; no reference added.
    IUnknown* GetControlUnknown() const { return m_pObject.get(); }

    // IUnknown, shared by both site interfaces
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker,
                                         IMoniker** ppmk) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame,
                                               IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                               LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtant) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL fUndoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) override;

private:
    ~COleControlSite() = default;

    HRESULT CreateObject(REFCLSID clsid);
    HRESULT ActivateInPlace();
    void ApplyWindowAttributes(const char* lpszWindowName, DWORD dwStyle);
    BOOL AttachWindowObject(CWnd* pWndCtrl);
    void DetachWindowObject();
    HWND ContainerWindow() const;

    LONG m_nRefs = 1;
    COleControlContainer* m_pCtrlCont; // not owned; null once the control is closed
    CWnd* m_pWndCtrl = nullptr;        // the object the control's window is attached to
    ComPtr<IOleObject> m_pObject;
    ComPtr<IOleInPlaceObject> m_pInPlaceObject;
    HWND m_hWnd = nullptr; // the control's window
    RECT m_rect;           // the control's position in the container's window
    UINT m_nID;
};
