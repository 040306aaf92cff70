#include "framework/COleControlSite.h"

#include "framework/COleControlContainer.h"
#include "framework/CWnd.h"

#include <ocidl.h>

COleControlSite::COleControlSite(COleControlContainer* pCtrlCont, const RECT& rect, UINT nID)
    : m_pCtrlCont(pCtrlCont), m_rect(rect), m_nID(nID) {}

HRESULT COleControlSite::CreateControl(CWnd* pWndCtrl, REFCLSID clsid, const char* lpszWindowName,
                                       DWORD dwStyle) {
    HRESULT hr = CreateObject(clsid);
    if (SUCCEEDED(hr))
        hr = ActivateInPlace();
    if (FAILED(hr))
        return hr;
    ApplyWindowAttributes(lpszWindowName, dwStyle);
    return AttachWindowObject(pWndCtrl) ? S_OK : E_FAIL;
}

// A fresh control with this site as its client site. Some controls need the
// site before anything else (OLEMISC_SETCLIENTSITEFIRST), the rest get it
// after their initialisation. There is no saved state: InitNew.
HRESULT COleControlSite::CreateObject(REFCLSID clsid) {
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    m_pObject.put_void());
    if (FAILED(hr) || !m_pObject) {
        m_pObject.reset();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    DWORD miscStatus = 0;
    m_pObject->GetMiscStatus(DVASPECT_CONTENT, &miscStatus);
    const bool siteFirst = (miscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst && FAILED(hr = m_pObject->SetClientSite(this)))
        return hr;
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IPersistStreamInit, persist.put_void())) &&
        persist && FAILED(hr = persist->InitNew()))
        return hr;
    if (!siteFirst && FAILED(hr = m_pObject->SetClientSite(this)))
        return hr;
    return S_OK;
}

// In-place activation without UI activation: the control shows its window
// at m_rect but does not take the focus or the frame's menus.
HRESULT COleControlSite::ActivateInPlace() {
    HRESULT hr =
        m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, ContainerWindow(), &m_rect);
    if (FAILED(hr))
        return hr;
    if (!m_pInPlaceObject &&
        FAILED(hr = m_pObject->QueryInterface(IID_IOleInPlaceObject, m_pInPlaceObject.put_void())))
        return hr;
    // Windowless controls are not supported: the caller wants a window.
    if (!m_pInPlaceObject || FAILED(m_pInPlaceObject->GetWindow(&m_hWnd)) || !::IsWindow(m_hWnd)) {
        m_hWnd = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

// The caller's style is the window's style: a control may give its window
// bits of its own (clipping, tab stop), which are replaced by the ones asked
// for. Visibility goes through ShowWindow so that Windows repaints.
void COleControlSite::ApplyWindowAttributes(const char* lpszWindowName, DWORD dwStyle) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(m_nID));
    const DWORD visible = ::IsWindowVisible(m_hWnd) ? WS_VISIBLE : 0;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE,
                        static_cast<LONG_PTR>((dwStyle & ~WS_VISIBLE) | visible));
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::ShowWindow(m_hWnd, (dwStyle & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
    if (lpszWindowName)
        ::SetWindowTextA(m_hWnd, lpszWindowName);
}

BOOL COleControlSite::AttachWindowObject(CWnd* pWndCtrl) {
    if (!pWndCtrl || !pWndCtrl->Attach(m_hWnd))
        return FALSE;
    m_pWndCtrl = pWndCtrl;
    pWndCtrl->m_pCtrlSite = this;
    return TRUE;
}

void COleControlSite::DetachWindowObject() {
    CWnd* pWndCtrl = m_pWndCtrl;
    if (!pWndCtrl)
        return;
    m_pWndCtrl = nullptr;
    pWndCtrl->Detach();
    pWndCtrl->m_pCtrlSite.reset();
}

void COleControlSite::Close() {
    // The window object may hold the last reference to this site.
    ComPtr<COleControlSite> self(this);
    DetachWindowObject();
    if (m_pInPlaceObject) {
        m_pInPlaceObject->InPlaceDeactivate();
        m_pInPlaceObject.reset();
    }
    if (m_pObject) {
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
        m_pObject.reset();
    }
    m_hWnd = nullptr;
    m_pCtrlCont = nullptr;
}

void COleControlSite::DestroyControl() {
    ComPtr<COleControlSite> self(this);
    COleControlContainer* pCtrlCont = m_pCtrlCont;
    Close();
    if (pCtrlCont)
        pCtrlCont->RemoveSite(this);
}

HWND COleControlSite::ContainerWindow() const {
    return m_pCtrlCont ? m_pCtrlCont->GetWindowHandle() : nullptr;
}

// IUnknown

HRESULT STDMETHODCALLTYPE COleControlSite::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
        *ppvObject = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
        *ppvObject = static_cast<IOleInPlaceSite*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE COleControlSite::AddRef() {
    return static_cast<ULONG>(++m_nRefs);
}

ULONG STDMETHODCALLTYPE COleControlSite::Release() {
    const LONG refs = --m_nRefs;
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

// IOleClientSite: nothing is stored, named or laid out by the container.

HRESULT STDMETHODCALLTYPE COleControlSite::SaveObject() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetContainer(IOleContainer** ppContainer) {
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE COleControlSite::ShowObject() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnShowWindow(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// IOleWindow

HRESULT STDMETHODCALLTYPE COleControlSite::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = ContainerWindow();
    return *phwnd ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// IOleInPlaceSite

HRESULT STDMETHODCALLTYPE COleControlSite::CanInPlaceActivate() {
    // Only while the container's window is there to hold the control.
    return ::IsWindow(ContainerWindow()) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnInPlaceActivate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnUIActivate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::GetWindowContext(IOleInPlaceFrame** ppFrame,
                                                            IOleInPlaceUIWindow** ppDoc,
                                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                            LPOLEINPLACEFRAMEINFO lpFrameInfo) {
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo)
        return E_POINTER;
    *ppFrame = nullptr;
    *ppDoc = nullptr; // no document window between the frame and the control
    if (!m_pCtrlCont)
        return E_UNEXPECTED;
    *ppFrame = m_pCtrlCont;
    m_pCtrlCont->AddRef();
    *lprcPosRect = m_rect;
    ::GetClientRect(ContainerWindow(), lprcClipRect);
    lpFrameInfo->fMDIApp = FALSE;
    m_pCtrlCont->GetWindow(&lpFrameInfo->hwndFrame);
    lpFrameInfo->haccel = nullptr;
    lpFrameInfo->cAccelEntries = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::OnInPlaceDeactivate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlSite::DiscardUndoState() {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlSite::DeactivateAndUndo() {
    return m_pInPlaceObject ? m_pInPlaceObject->UIDeactivate() : E_UNEXPECTED;
}

// The control asks to move or resize: it gets the position it asked for,
// clipped to the container's client area.
HRESULT STDMETHODCALLTYPE COleControlSite::OnPosRectChange(LPCRECT lprcPosRect) {
    if (!lprcPosRect)
        return E_POINTER;
    m_rect = *lprcPosRect;
    if (!m_pInPlaceObject)
        return S_OK;
    RECT clip;
    ::GetClientRect(ContainerWindow(), &clip);
    return m_pInPlaceObject->SetObjectRects(&m_rect, &clip);
}
