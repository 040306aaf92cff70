// The web-browser pane and the framework's control hosting, in-process under
// Wine. The pane runs against Wine's own WebBrowser control, and against a
// recording double that takes the WebBrowser class id for this process
// (CoRegisterClassObject), so the tests see exactly what the pane asks of
// its control: the position and size, the five arguments of each navigation,
// the order of the teardown and every reference taken. The refresh periods
// are read off the pane's real timer requests through the SetTimer seam.
#include "adpane/CWndBrowser.h"
#include "adpane/PaneSeams.h"
#include "framework/COleInitializer.h"
#include "framework/CWinApp.h"
#include "platform/Seams.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <exdisp.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr CLSID kWebBrowserClassId = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
constexpr UINT_PTR kRefreshTimerId = 1001;
constexpr int kBrowserControlId = 0xE900;
constexpr LONG kControlStyle = WS_CHILD | WS_VISIBLE;
// The timer id an edit control scrolls a mouse selection with.
constexpr UINT_PTR kEditScrollTimerId = 0;

// ---- what the pane asks of Windows and of its control ----------------------

std::vector<std::pair<UINT_PTR, UINT>> g_timerRequests;

SAFEARRAY* WINAPI RefuseSafeArray(VARTYPE, UINT, SAFEARRAYBOUND*) {
    return nullptr;
}

UINT_PTR WINAPI RecordSetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    g_timerRequests.emplace_back(nIDEvent, uElapse);
    return SetTimer(hWnd, nIDEvent, uElapse, lpTimerFunc);
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

std::string Narrow(BSTR text) {
    const int length =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

// One Navigate2 argument as the control received it.
std::string Describe(const VARIANT* value) {
    switch (value->vt) {
    case VT_EMPTY:
        return "empty";
    case VT_BSTR:
        return value->bstrVal ? "string " + Narrow(value->bstrVal) : "null string";
    case VT_I4:
        return "i4 " + std::to_string(value->lVal);
    case VT_ARRAY | VT_UI1: {
        LONG lower = 0;
        LONG upper = -1;
        SafeArrayGetLBound(value->parray, 1, &lower);
        SafeArrayGetUBound(value->parray, 1, &upper);
        const std::string bytes(static_cast<const char*>(value->parray->pvData),
                                static_cast<size_t>(upper - lower + 1));
        return std::to_string(SafeArrayGetDim(value->parray)) + "-d bytes from " +
               std::to_string(lower) + ": " + bytes;
    }
    default:
        return "vt " + std::to_string(value->vt);
    }
}

struct NavigateCall {
    std::string url, flags, target, postData, headers;
};

enum class WebBrowserInterface { Offered, Refused, RefusedWithStrayReference };

// The WebBrowser control's stand-in: an embeddable control with a window of
// its own (with extra style bits, as Wine's control has), and an
// IWebBrowser2 that records what it is asked. It lives on the test's stack;
// m_refs counts the test's own reference and those the framework holds.
class FakeBrowser final : public IOleObject, public IOleInPlaceObject, public IWebBrowser2 {
public:
    LONG m_refs = 1;
    bool m_creatable = true;
    WebBrowserInterface m_interface = WebBrowserInterface::Offered;
    std::vector<std::string> m_events;
    std::vector<NavigateCall> m_navigations;

    ~FakeBrowser() {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleObject)
            *ppv = static_cast<IOleObject*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (riid == IID_IWebBrowser2 && m_interface != WebBrowserInterface::Refused)
            *ppv = static_cast<IWebBrowser2*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return m_interface == WebBrowserInterface::RefusedWithStrayReference &&
                       riid == IID_IWebBrowser2
                   ? E_NOINTERFACE
                   : S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) override {
        m_site = pClientSite;
        m_events.push_back(pClientSite ? "site" : "no site");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* pdwStatus) override {
        *pdwStatus = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND,
                                     LPCRECT) override {
        if (iVerb != OLEIVERB_INPLACEACTIVATE || !pActiveSite ||
            FAILED(pActiveSite->QueryInterface(IID_IOleInPlaceSite, m_inPlaceSite.put_void())) ||
            m_inPlaceSite->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        m_inPlaceSite->OnInPlaceActivate();
        ComPtr<IOleInPlaceUIWindow> document;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{sizeof(frameInfo), FALSE, nullptr, nullptr, 0};
        m_inPlaceSite->GetWindowContext(m_frame.put(), document.put(), &pos, &clip, &frameInfo);
        HWND parent = nullptr;
        m_inPlaceSite->GetWindow(&parent);
        m_hWnd = CreateWindowExA(0, "STATIC", "", kControlStyle | WS_CLIPSIBLINGS | WS_TABSTOP,
                                 pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                                 parent, nullptr, nullptr, nullptr);
        m_events.push_back("activated at " + Describe(pos));
        return m_hWnd ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        m_events.push_back("closed");
        return S_OK;
    }

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
        *phwnd = m_hWnd;
        return m_hWnd ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        if (!m_inPlaceSite)
            return S_OK;
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        m_inPlaceSite->OnInPlaceDeactivate();
        m_inPlaceSite.reset();
        m_frame.reset();
        m_events.push_back("deactivated");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT) override {
        MoveWindow(m_hWnd, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                   TRUE);
        return S_OK;
    }

    // IWebBrowser2
    HRESULT STDMETHODCALLTYPE put_Width(LONG width) override {
        m_events.push_back("width " + std::to_string(width));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Height(LONG height) override {
        m_events.push_back("height " + std::to_string(height));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target,
                                        VARIANT* postData, VARIANT* headers) override {
        m_navigations.push_back({Describe(url), Describe(flags), Describe(target),
                                 Describe(postData), Describe(headers)});
        return S_OK;
    }

private:
    HWND m_hWnd = nullptr;
    ComPtr<IOleClientSite> m_site;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    ComPtr<IOleInPlaceFrame> m_frame;

public:
    // What the pane and the container never ask for.
    // clang-format off
#define NOT_USED(name, ...)                                                                        \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }
    NOT_USED(GetClientSite, IOleClientSite**) NOT_USED(SetHostNames, LPCOLESTR, LPCOLESTR)
    NOT_USED(SetMoniker, DWORD, IMoniker*) NOT_USED(GetMoniker, DWORD, DWORD, IMoniker**)
    NOT_USED(InitFromData, IDataObject*, BOOL, DWORD)
    NOT_USED(GetClipboardData, DWORD, IDataObject**) NOT_USED(EnumVerbs, IEnumOLEVERB**)
    NOT_USED(Update) NOT_USED(IsUpToDate) NOT_USED(GetUserClassID, CLSID*)
    NOT_USED(GetUserType, DWORD, LPOLESTR*) NOT_USED(SetExtent, DWORD, SIZEL*)
    NOT_USED(GetExtent, DWORD, SIZEL*) NOT_USED(Advise, IAdviseSink*, DWORD*)
    NOT_USED(Unadvise, DWORD) NOT_USED(EnumAdvise, IEnumSTATDATA**)
    NOT_USED(SetColorScheme, LOGPALETTE*) NOT_USED(ContextSensitiveHelp, BOOL)
    NOT_USED(ReactivateAndUndo) NOT_USED(GetTypeInfoCount, UINT*)
    NOT_USED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    NOT_USED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    NOT_USED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    NOT_USED(GoBack) NOT_USED(GoForward) NOT_USED(GoHome) NOT_USED(GoSearch)
    NOT_USED(Navigate, BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) NOT_USED(Refresh)
    NOT_USED(Refresh2, VARIANT*) NOT_USED(Stop) NOT_USED(get_Application, IDispatch**)
    NOT_USED(get_Parent, IDispatch**) NOT_USED(get_Container, IDispatch**)
    NOT_USED(get_Document, IDispatch**) NOT_USED(get_TopLevelContainer, VARIANT_BOOL*)
    NOT_USED(get_Type, BSTR*) NOT_USED(get_Left, LONG*) NOT_USED(put_Left, LONG)
    NOT_USED(get_Top, LONG*) NOT_USED(put_Top, LONG) NOT_USED(get_Width, LONG*)
    NOT_USED(get_Height, LONG*) NOT_USED(get_LocationName, BSTR*)
    NOT_USED(get_LocationURL, BSTR*) NOT_USED(get_Busy, VARIANT_BOOL*) NOT_USED(Quit)
    NOT_USED(ClientToWindow, int*, int*) NOT_USED(PutProperty, BSTR, VARIANT)
    NOT_USED(GetProperty, BSTR, VARIANT*) NOT_USED(get_Name, BSTR*)
    NOT_USED(get_HWND, SHANDLE_PTR*) NOT_USED(get_FullName, BSTR*) NOT_USED(get_Path, BSTR*)
    NOT_USED(get_Visible, VARIANT_BOOL*) NOT_USED(put_Visible, VARIANT_BOOL)
    NOT_USED(get_StatusBar, VARIANT_BOOL*) NOT_USED(put_StatusBar, VARIANT_BOOL)
    NOT_USED(get_StatusText, BSTR*) NOT_USED(put_StatusText, BSTR)
    NOT_USED(get_ToolBar, int*) NOT_USED(put_ToolBar, int) NOT_USED(get_MenuBar, VARIANT_BOOL*)
    NOT_USED(put_MenuBar, VARIANT_BOOL) NOT_USED(get_FullScreen, VARIANT_BOOL*)
    NOT_USED(put_FullScreen, VARIANT_BOOL) NOT_USED(QueryStatusWB, OLECMDID, OLECMDF*)
    NOT_USED(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
    NOT_USED(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*) NOT_USED(get_ReadyState, READYSTATE*)
    NOT_USED(get_Offline, VARIANT_BOOL*) NOT_USED(put_Offline, VARIANT_BOOL)
    NOT_USED(get_Silent, VARIANT_BOOL*) NOT_USED(put_Silent, VARIANT_BOOL)
    NOT_USED(get_RegisterAsBrowser, VARIANT_BOOL*) NOT_USED(put_RegisterAsBrowser, VARIANT_BOOL)
    NOT_USED(get_RegisterAsDropTarget, VARIANT_BOOL*)
    NOT_USED(put_RegisterAsDropTarget, VARIANT_BOOL) NOT_USED(get_TheaterMode, VARIANT_BOOL*)
    NOT_USED(put_TheaterMode, VARIANT_BOOL) NOT_USED(get_AddressBar, VARIANT_BOOL*)
    NOT_USED(put_AddressBar, VARIANT_BOOL) NOT_USED(get_Resizable, VARIANT_BOOL*)
    NOT_USED(put_Resizable, VARIANT_BOOL)
#undef NOT_USED
    // clang-format on
};

// Hands out the double, or refuses to, for the WebBrowser class id.
class FakeBrowserFactory final : public IClassFactory {
public:
    explicit FakeBrowserFactory(FakeBrowser* browser) : m_browser(browser) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown || riid == IID_IClassFactory ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        return m_browser->m_creatable ? m_browser->QueryInterface(riid, ppv) : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    FakeBrowser* m_browser;
};

// The double in the WebBrowser control's place for this process, while it lives.
class ScopedBrowserOverride {
public:
    explicit ScopedBrowserOverride(FakeBrowser* browser) : m_factory(browser) {
        m_registered = SUCCEEDED(CoRegisterClassObject(
            kWebBrowserClassId, &m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie));
    }
    ~ScopedBrowserOverride() {
        if (m_registered)
            CoRevokeClassObject(m_cookie);
    }
    bool m_registered = false;

private:
    FakeBrowserFactory m_factory;
    DWORD m_cookie = 0;
};

// A top-level window with an edit control where the main dialog has its
// placeholder: the same id and styles, no border.
class PlaceholderHost {
public:
    PlaceholderHost() {
        m_frame.Attach(CreateWindowExA(0, "STATIC", "pane test", WS_POPUP | WS_VISIBLE, 0, 0, 400,
                                       320, nullptr, nullptr, nullptr, nullptr));
        m_placeholder = CreateWindowExA(
            0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 11, 245, 324, 63,
            m_frame.GetSafeHwnd(), reinterpret_cast<HMENU>(IDC_BROWSER_PLACE), nullptr, nullptr);
    }
    // Ends the windows before the pane object, as the end of the main dialog does.
    void Destroy() { m_frame.DestroyWindow(); }
    RECT PlaceholderRect() const {
        RECT rect{};
        GetWindowRect(m_placeholder, &rect);
        return rect;
    }

    CWnd m_frame;
    HWND m_placeholder = nullptr;
};

// The pane with its state readable and its timer message at hand.
class PaneProbe : public CWndBrowser {
public:
    const std::string& Url() const { return m_strUrl; }
    int RefreshSeconds() const { return m_nRefreshSeconds; }
    bool HoldsBrowser() const { return static_cast<bool>(m_pBrowser); }
    HWND ControlWindow() const { return m_wndBrowser.GetSafeHwnd(); }
    void Tick(UINT_PTR nIDEvent = kRefreshTimerId) { SendMessage(WM_TIMER, nIDEvent); }
    void NavigateToStoredText(size_t offset) {
        Navigate(m_strUrl.c_str() + offset, 0, nullptr, nullptr, nullptr, 0);
    }
};

// ---- control hosting before and after it is enabled ------------------------

// First in the file: once enabled, hosting stays enabled for the process.
TEST(ControlHostingTest, NothingIsCreatedBeforeHostingIsEnabled) {
    if (AfxControlContainerEnabled())
        GTEST_SKIP() << "control hosting was enabled by an earlier test";
    PlaceholderHost host;
    CWnd control;
    const RECT rect = {0, 0, 100, 50};
    EXPECT_FALSE(control.CreateControl(kWebBrowserClassId, nullptr, kControlStyle, rect,
                                       &host.m_frame, kBrowserControlId));
    EXPECT_EQ(control.GetSafeHwnd(), nullptr);
    EXPECT_EQ(control.GetControlUnknown(), nullptr);
    EXPECT_EQ(GetDlgItem(host.m_frame, kBrowserControlId), nullptr);
}

TEST(BrowserPaneTest, IsKnownAsCWndBrowserMadeOnlyByTheProgram) {
    const CRuntimeClass* info = RUNTIME_CLASS(CWndBrowser);
    EXPECT_STREQ(info->m_lpszClassName, "CWndBrowser");
    EXPECT_EQ(info->m_pBaseClass, RUNTIME_CLASS(CWnd));
    EXPECT_EQ(info->CreateObject(), nullptr);
    PaneProbe pane;
    EXPECT_TRUE(pane.IsKindOf(RUNTIME_CLASS(CWndBrowser)));
    EXPECT_STREQ(kSponsorPage, "http://www.marlowick.com/p-desk-Quenby.asp?adpos=0");
}

TEST(BrowserPaneTest, PaneWithoutWindowOrControlOnlyRemembersTheAddress) {
    AfxEnableControlContainer();
    PlaceholderHost host;
    PaneProbe pane;
    pane.Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(pane.Url(), kSponsorPage);

    const UINT missingPlaceholder = IDC_BROWSER_PLACE + 100;
    EXPECT_FALSE(pane.CreateFromControl(missingPlaceholder, &host.m_frame));
    EXPECT_EQ(pane.GetSafeHwnd(), nullptr);
    pane.Navigate(nullptr, 0, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(pane.Url(), "");
    EXPECT_FALSE(pane.HoldsBrowser());
}

// ---- the pane against the recording double ---------------------------------

class PaneWithDoubleTest : public testing::Test {
protected:
    void SetUp() override {
        AfxEnableControlContainer();
        g_timerRequests.clear();
        ASSERT_TRUE(m_override.m_registered) << "the double could not take the class id";
    }
    void TearDown() override {
        m_host.Destroy();
        m_pane.reset();
        EXPECT_EQ(m_browser.m_refs, 1) << "references to the control left behind";
    }
    bool Create() { return m_pane->CreateFromControl(IDC_BROWSER_PLACE, &m_host.m_frame); }

    // The pane finds no timer and no control there after a failed creation,
    // reloads nothing, and still remembers what it is told.
    void ExpectFailedPane(bool controlWindowRemains) {
        EXPECT_FALSE(m_pane->HoldsBrowser());
        m_pane->Tick(kEditScrollTimerId);
        EXPECT_TRUE(g_timerRequests.empty()) << "a timer was started";
        EXPECT_FALSE(m_pane->KillTimer(kRefreshTimerId)) << "the refresh timer runs";
        m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
        EXPECT_EQ(m_pane->Url(), kSponsorPage);
        EXPECT_TRUE(m_browser.m_navigations.empty());
        EXPECT_EQ(GetDlgItem(m_host.m_placeholder, kBrowserControlId) != nullptr,
                  controlWindowRemains);
    }

    COleInitializer m_ole; // the test's own, to register the double under
    FakeBrowser m_browser;
    ScopedBrowserOverride m_override{&m_browser};
    platform::seam::ScopedOverride<decltype(adpane::seam::SetTimer)> m_timerSeam{
        adpane::seam::SetTimer, &RecordSetTimer};
    PlaceholderHost m_host;
    std::unique_ptr<PaneProbe> m_pane = std::make_unique<PaneProbe>();
};

TEST_F(PaneWithDoubleTest, ControlFillsThePlaceholderAndIsThenAskedForTheFullSize) {
    const RECT paneBefore = m_host.PlaceholderRect();
    RECT client{};
    GetClientRect(m_host.m_placeholder, &client);
    ASSERT_TRUE(Create());

    EXPECT_EQ(m_browser.m_events,
              (std::vector<std::string>{"site", "activated at " + Describe(client), "width 1024",
                                        "height 768"}));
    HWND control = m_pane->ControlWindow();
    EXPECT_EQ(GetParent(control), m_host.m_placeholder);
    EXPECT_EQ(GetDlgCtrlID(control), kBrowserControlId);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE), kControlStyle) << std::hex << "style";
    EXPECT_EQ(Describe(m_host.PlaceholderRect()), Describe(paneBefore)) << "the pane's own size";
    EXPECT_EQ(g_timerRequests, (std::vector<std::pair<UINT_PTR, UINT>>{{kRefreshTimerId, 30000}}));

    // Moved to a display of another DPI (here the same 96): asked again.
    m_browser.m_events.clear();
    m_pane->SendMessage(0x02E3 /* WM_DPICHANGED_AFTERPARENT */);
    EXPECT_EQ(m_browser.m_events, (std::vector<std::string>{"width 1024", "height 768"}));
}

TEST_F(PaneWithDoubleTest, RefreshPeriodDoublesUpToAnHourAndStaysThere) {
    ASSERT_TRUE(Create());
    m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
    for (int reload = 0; reload < 9; ++reload)
        m_pane->Tick();

    std::vector<UINT> periods;
    for (const auto& request : g_timerRequests) {
        EXPECT_EQ(request.first, kRefreshTimerId);
        periods.push_back(request.second);
    }
    EXPECT_EQ(periods, (std::vector<UINT>{30000, 60000, 120000, 240000, 480000, 960000, 1920000,
                                          3600000, 3600000, 3600000}));
    EXPECT_EQ(m_browser.m_navigations.size(), 10u) << "the first load and nine reloads";
    EXPECT_TRUE(m_pane->KillTimer(kRefreshTimerId)) << "the refresh timer runs";
}

TEST_F(PaneWithDoubleTest, ReloadsSendTheLastAddressWithoutTheEarlierExtras) {
    ASSERT_TRUE(Create());
    // Read in the thread's code page: 0xC0 is U+0410 in Cyrillic, U+00C0 in Western.
    SetThreadLocale(MAKELANGID(GetACP() == 1251 ? LANG_ENGLISH : LANG_RUSSIAN, SUBLANG_DEFAULT));
    m_pane->Navigate("http://example.test/a", 0x40, "side\xC0", "X-A: 1", "k=v", 0);
    SetThreadLocale(GetUserDefaultLCID());
    m_pane->Tick();

    ASSERT_EQ(m_browser.m_navigations.size(), 2u);
    const NavigateCall& first = m_browser.m_navigations[0];
    EXPECT_EQ(first.url, "string http://example.test/a");
    EXPECT_EQ(first.flags, "i4 64");
    EXPECT_EQ(first.target, "string side\xC0");
    EXPECT_EQ(first.headers, "string X-A: 1");
    EXPECT_EQ(first.postData, "1-d bytes from 0: k=v");
    const NavigateCall& reload = m_browser.m_navigations[1];
    EXPECT_EQ(reload.url, first.url);
    EXPECT_EQ(reload.flags, "i4 0");
    EXPECT_EQ(reload.target, "null string");
    EXPECT_EQ(reload.headers, "null string");
    EXPECT_EQ(reload.postData, "empty");
}

TEST_F(PaneWithDoubleTest, PostDataIsTheGivenBytesOrTheTextBeforeItsZero) {
    ASSERT_TRUE(Create());
    const char bytes[] = {'a', 'b', '\0', 'c'};
    m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, bytes, sizeof bytes);
    m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, "xyz", 0);
    m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, "", 0);
    m_pane->Navigate(nullptr, 0, nullptr, nullptr, nullptr, 0);

    ASSERT_EQ(m_browser.m_navigations.size(), 4u);
    EXPECT_EQ(m_browser.m_navigations[0].postData, std::string("1-d bytes from 0: ab\0c", 22));
    EXPECT_EQ(m_browser.m_navigations[1].postData, "1-d bytes from 0: xyz");
    EXPECT_EQ(m_browser.m_navigations[2].postData, "1-d bytes from 0: ");
    EXPECT_EQ(m_browser.m_navigations[3].url, "null string");
    EXPECT_EQ(m_pane->Url(), "");
}

TEST_F(PaneWithDoubleTest, TheStoredAddressOrAPartOfItCanBePassedBackIn) {
    ASSERT_TRUE(Create());
    m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
    m_pane->NavigateToStoredText(0);
    EXPECT_EQ(m_pane->Url(), kSponsorPage);

    const std::string withoutScheme = std::string(kSponsorPage).substr(std::strlen("http://"));
    m_pane->NavigateToStoredText(std::strlen("http://"));
    EXPECT_EQ(m_pane->Url(), withoutScheme);
    ASSERT_EQ(m_browser.m_navigations.size(), 3u);
    EXPECT_EQ(m_browser.m_navigations[1].url, "string " + std::string(kSponsorPage));
    EXPECT_EQ(m_browser.m_navigations[2].url, "string " + withoutScheme);
}

TEST_F(PaneWithDoubleTest, ArgumentsThatCannotBeBuiltLeaveTheNewAddressAndCallNothing) {
    ASSERT_TRUE(Create());
    platform::seam::ScopedOverride noMemory(adpane::seam::SafeArrayCreate, &RefuseSafeArray);
    EXPECT_THROW(m_pane->Navigate("http://example.test/b", 0, nullptr, nullptr, "p", 1),
                 std::bad_alloc);
    EXPECT_EQ(m_pane->Url(), "http://example.test/b");
    EXPECT_TRUE(m_browser.m_navigations.empty());
}

TEST_F(PaneWithDoubleTest, ThePlaceholdersOwnTimerNeitherReloadsNorStretchesThePeriod) {
    ASSERT_TRUE(Create());
    m_pane->Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
    g_timerRequests.clear();
    m_pane->Tick(kEditScrollTimerId);
    EXPECT_TRUE(g_timerRequests.empty());
    EXPECT_EQ(m_pane->RefreshSeconds(), 30);
    EXPECT_EQ(m_browser.m_navigations.size(), 1u);
}

TEST_F(PaneWithDoubleTest, CreationRefusedLeavesNoControlAndNoTimer) {
    m_browser.m_creatable = false;
    EXPECT_FALSE(Create());
    EXPECT_EQ(m_pane->GetSafeHwnd(), m_host.m_placeholder) << "the pane keeps the placeholder";
    ExpectFailedPane(false);
}

TEST_F(PaneWithDoubleTest, ControlWithoutTheInterfaceStaysButNoTimerRuns) {
    m_browser.m_interface = WebBrowserInterface::Refused;
    EXPECT_FALSE(Create());
    ExpectFailedPane(true);
}

TEST_F(PaneWithDoubleTest, PointerLeftByARefusedQueryIsReleased) {
    m_browser.m_interface = WebBrowserInterface::RefusedWithStrayReference;
    EXPECT_FALSE(Create());
    ExpectFailedPane(true);
}

// The end of the main dialog: windows first, the pane object afterwards.
TEST_F(PaneWithDoubleTest, EndingTheWindowClosesTheControlAndThePaneLetsGoLast) {
    ASSERT_TRUE(Create());
    HWND control = m_pane->ControlWindow();
    m_browser.m_events.clear();
    m_host.Destroy();

    EXPECT_EQ(m_browser.m_events, (std::vector<std::string>{"deactivated", "closed", "no site"}));
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(m_pane->ControlWindow(), nullptr);
    EXPECT_EQ(m_browser.m_refs, 2) << "the pane's own reference remains until it goes";
    m_pane.reset();
    EXPECT_EQ(m_browser.m_refs, 1);
}

TEST_F(PaneWithDoubleTest, PaneObjectEndingBeforeItsWindowClosesTheControlToo) {
    ASSERT_TRUE(Create());
    HWND control = m_pane->ControlWindow();
    m_browser.m_events.clear();
    m_pane.reset();

    EXPECT_EQ(m_browser.m_events, (std::vector<std::string>{"deactivated", "closed", "no site"}));
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(m_browser.m_refs, 1);
}

// ---- Wine's own WebBrowser control -----------------------------------------

// The thread has no OLE of its own here: the framework initialises it for
// the pane's container and ends it with that container.
TEST(RealBrowserTest, WebBrowserIsHostedOverThePlaceholderAndTakesTheFullSize) {
    AfxEnableControlContainer();
    g_timerRequests.clear();
    platform::seam::ScopedOverride timerSeam(adpane::seam::SetTimer, &RecordSetTimer);
    PlaceholderHost host;
    const RECT paneBefore = host.PlaceholderRect();
    auto pane = std::make_unique<PaneProbe>();

    ASSERT_TRUE(pane->CreateFromControl(IDC_BROWSER_PLACE, &host.m_frame));
    EXPECT_TRUE(pane->HoldsBrowser());
    HWND control = pane->ControlWindow();
    EXPECT_EQ(GetParent(control), host.m_placeholder);
    EXPECT_EQ(GetDlgCtrlID(control), kBrowserControlId);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE), kControlStyle) << std::hex << "style";
    RECT controlRect{};
    GetWindowRect(control, &controlRect);
    MapWindowPoints(nullptr, host.m_placeholder, reinterpret_cast<POINT*>(&controlRect), 2);
    EXPECT_EQ(Describe(controlRect), "0,0 1024x768");
    EXPECT_EQ(Describe(host.PlaceholderRect()), Describe(paneBefore)) << "the pane's own size";
    EXPECT_EQ(g_timerRequests, (std::vector<std::pair<UINT_PTR, UINT>>{{kRefreshTimerId, 30000}}));
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE)
        << "OLE was initialised for the thread";

    host.Destroy();
    EXPECT_FALSE(IsWindow(control));
    pane.reset();
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(hr, S_OK) << "OLE ends with the pane's container";
    if (SUCCEEDED(hr))
        CoUninitialize();
}

TEST(RealBrowserTest, OnAThreadOfTheMultithreadedApartmentNothingIsCreated) {
    AfxEnableControlContainer();
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
        PlaceholderHost host;
        PaneProbe pane;
        EXPECT_FALSE(pane.CreateFromControl(IDC_BROWSER_PLACE, &host.m_frame));
        EXPECT_EQ(GetDlgItem(host.m_placeholder, kBrowserControlId), nullptr);
        EXPECT_FALSE(pane.KillTimer(kRefreshTimerId));
        host.Destroy();
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE)
        << "the thread keeps the apartment it had";
    CoUninitialize();
    CoUninitialize();
}

} // namespace
