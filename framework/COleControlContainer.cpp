#include "framework/COleControlContainer.h"

#include "framework/COleControlSite.h"
#include "framework/CWnd.h"
#include "framework/StepMarks.h"

#include <algorithm>
#include <new>

ComPtr<COleControlContainer> COleControlContainer::Create(CWnd* pWnd) {
    ComPtr<COleControlContainer> container;
    container.attach(new (std::nothrow) COleControlContainer(pWnd->GetSafeHwnd()));
    AfxMarkStep("OLE");
    // Controls live in OLE's single-threaded apartment; without it, none.
    if (container && !container->m_oleInit.Succeeded())
        container.reset();
    return container;
}

COleControlContainer::COleControlContainer(HWND hWnd) : m_hWnd(hWnd) {}

COleControlContainer::~COleControlContainer() {
    CloseControls();
}

HWND COleControlContainer::GetWindowHandle() const {
    return m_hWnd;
}

BOOL COleControlContainer::CreateControl(CWnd* pWndCtrl, REFCLSID clsid, const char* lpszWindowName,
                                         DWORD dwStyle, const RECT& rect, UINT nID) {
    ComPtr<COleControlSite> site;
    site.attach(new (std::nothrow) COleControlSite(this, rect, nID));
    if (!site)
        return FALSE;
    try {
        m_sites.push_back(site);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    if (FAILED(site->CreateControl(pWndCtrl, clsid, lpszWindowName, dwStyle))) {
        site->DestroyControl();
        return FALSE;
    }
    return TRUE;
}

void COleControlContainer::CloseControls() {
    // Closed from a list of their own: a control being closed may call back
    // into the container, which then has no half-closed sites to offer.
    std::vector<ComPtr<COleControlSite>> sites;
    sites.swap(m_sites);
    for (const ComPtr<COleControlSite>& site : sites)
        site->Close();
}

void COleControlContainer::RemoveSite(COleControlSite* pSite) {
    auto found =
        std::find_if(m_sites.begin(), m_sites.end(),
                     [pSite](const ComPtr<COleControlSite>& s) { return s.get() == pSite; });
    if (found != m_sites.end())
        m_sites.erase(found);
}

// IUnknown

HRESULT STDMETHODCALLTYPE COleControlContainer::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
        *ppvObject = static_cast<IOleInPlaceFrame*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE COleControlContainer::AddRef() {
    return static_cast<ULONG>(++m_nRefs);
}

ULONG STDMETHODCALLTYPE COleControlContainer::Release() {
    const LONG refs = --m_nRefs;
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

// IOleWindow: the frame of in-place activation is the top-level window that
// holds the container's window.

HRESULT STDMETHODCALLTYPE COleControlContainer::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = ::GetAncestor(GetWindowHandle(), GA_ROOT);
    return *phwnd ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// IOleInPlaceUIWindow: no tool space to lend.

HRESULT STDMETHODCALLTYPE COleControlContainer::GetBorder(LPRECT) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::SetBorderSpace(LPCBORDERWIDTHS pborderwidths) {
    // Null means the object wants no tools at all, which is always granted.
    return pborderwidths ? INPLACE_E_NOTOOLSPACE : S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::SetActiveObject(IOleInPlaceActiveObject*,
                                                                LPCOLESTR) {
    // No menus or accelerators to route to it, so nothing to keep.
    return S_OK;
}

// IOleInPlaceFrame: no menus to merge, no status bar, no accelerators.

HRESULT STDMETHODCALLTYPE COleControlContainer::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::RemoveMenus(HMENU) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::SetStatusText(LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::EnableModeless(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControlContainer::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}
