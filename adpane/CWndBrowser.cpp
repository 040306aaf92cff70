#include "adpane/CWndBrowser.h"

#include "adpane/PaneSeams.h"

#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CWndBrowser, CWnd)

namespace {

// Sent to every child of a window that moved to a display of another DPI,
// once the dialog has scaled its controls (Windows 10 1703 and later).
constexpr UINT kDpiChangedAfterParent = 0x02E3; // WM_DPICHANGED_AFTERPARENT

constexpr UINT_PTR kRefreshTimerId = 1001;
constexpr int kFirstRefreshSeconds = 30;
constexpr int kLongestRefreshSeconds = 3600;
constexpr UINT kMillisecondsPerSecond = 1000;

// The platform's WebBrowser control and the interface the pane drives it by.
constexpr CLSID kWebBrowserClassId = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
constexpr IID kWebBrowser2InterfaceId = {
    0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
constexpr UINT kBrowserControlId = 0xE900;
constexpr DWORD kBrowserControlStyle = WS_CHILD | WS_VISIBLE;
// The size the control is asked to take at 96 DPI, and in proportion at any
// other DPI, so that the page is laid out the same; the pane shows the part
// that fits.
constexpr LONG kRequestedWidth = 1024;
constexpr LONG kRequestedHeight = 768;
constexpr int kBaseDpi = 96;

// The DPI the pane is drawn at: its own where Windows tracks it per window
// (Windows 10 1607 and later; looked up, since older ones lack the call),
// otherwise the system's, the DPI of every window there.
int PaneDpi(HWND pane) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(pane))
            return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

// A VARIANT that is cleared, with the string or array it holds, when it goes
// out of scope: on the way out of Navigate, also when building one throws.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&m_value); }
    ~ScopedVariant() { ::VariantClear(&m_value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* get() { return &m_value; }

private:
    VARIANT m_value;
};

// VT_BSTR of text converted from the thread's ANSI code page, which follows
// the thread's locale where CP_ACP stays the system's; a null text gives a
// null string.
void SetText(VARIANT* value, const char* text) {
    BSTR string = nullptr;
    if (text) {
        const int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
        string = ::SysAllocStringLen(nullptr, length > 0 ? static_cast<UINT>(length - 1) : 0);
        if (!string)
            throw std::bad_alloc();
        if (length > 0)
            ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, string, length);
    }
    value->vt = VT_BSTR;
    value->bstrVal = string;
}

// Nothing (VT_EMPTY) without data; otherwise a byte array from index 0 with
// a copy of the data: length bytes, or the text before its terminating zero
// when length is 0.
void SetPostData(VARIANT* value, const void* data, DWORD length) {
    if (!data)
        return;
    if (length == 0)
        length = static_cast<DWORD>(std::strlen(static_cast<const char*>(data)));
    SAFEARRAYBOUND bound = {length, 0};
    SAFEARRAY* array = adpane::seam::SafeArrayCreate(VT_UI1, 1, &bound);
    if (!array)
        throw std::bad_alloc();
    value->vt = VT_ARRAY | VT_UI1;
    value->parray = array;
    void* bytes = nullptr;
    if (FAILED(::SafeArrayAccessData(array, &bytes)))
        throw std::bad_alloc();
    std::memcpy(bytes, data, length);
    ::SafeArrayUnaccessData(array);
}

} // namespace

BEGIN_MESSAGE_MAP(CWndBrowser, CWnd)
    ON_WM_TIMER()
    ON_MESSAGE(kDpiChangedAfterParent, &CWndBrowser::OnDpiChangedAfterParent)
END_MESSAGE_MAP()

CWndBrowser::CWndBrowser() : m_pParent(nullptr), m_nRefreshSeconds(kFirstRefreshSeconds) {}

CWndBrowser::~CWndBrowser() = default;

bool CWndBrowser::CreateFromControl(UINT nID, CWnd* pParent) {
    m_pParent = pParent;
    // Without the placeholder the pane has no window, and the control, which
    // needs one to live in, is not created below.
    SubclassDlgItem(nID, pParent);
    RECT client = {};
    GetClientRect(&client);

    if (!m_wndBrowser.CreateControl(kWebBrowserClassId, nullptr, kBrowserControlStyle, client, this,
                                    kBrowserControlId))
        return false;
    IUnknown* control = m_wndBrowser.GetControlUnknown();
    if (!control ||
        FAILED(control->QueryInterface(kWebBrowser2InterfaceId, m_pBrowser.put_void())) ||
        !m_pBrowser) {
        m_pBrowser.reset(); // a failed query may still have left a pointer
        return false;
    }

    RequestSize();
    StartRefreshTimer();
    return true;
}

void CWndBrowser::RequestSize() {
    const int dpi = PaneDpi(m_hWnd);
    m_pBrowser->put_Width(MulDiv(kRequestedWidth, dpi, kBaseDpi));
    m_pBrowser->put_Height(MulDiv(kRequestedHeight, dpi, kBaseDpi));
}

LRESULT CWndBrowser::OnDpiChangedAfterParent(WPARAM, LPARAM) {
    Default();
    if (m_pBrowser)
        RequestSize();
    return 0;
}

void CWndBrowser::Navigate(const char* url, DWORD flags, const char* targetFrameName,
                           const char* headers, const void* postData, DWORD postDataLength) {
    // The timer passes m_strUrl's own text back in: assign copes with a source
    // inside the string, and the argument is made from the stored copy.
    m_strUrl.assign(url ? url : "");
    if (!m_pBrowser)
        return;

    // Built in this order; cleared in the reverse one when they go out of scope.
    ScopedVariant postDataArg;
    ScopedVariant urlArg;
    ScopedVariant headersArg;
    ScopedVariant targetArg;
    ScopedVariant flagsArg;
    SetPostData(postDataArg.get(), postData, postDataLength);
    SetText(urlArg.get(), url ? m_strUrl.c_str() : nullptr);
    SetText(headersArg.get(), headers);
    SetText(targetArg.get(), targetFrameName);
    flagsArg.get()->vt = VT_I4;
    flagsArg.get()->lVal = static_cast<LONG>(flags);

    m_pBrowser->Navigate2(urlArg.get(), flagsArg.get(), targetArg.get(), postDataArg.get(),
                          headersArg.get());
}

void CWndBrowser::OnTimer(UINT_PTR nIDEvent) {
    Default();
    // The placeholder's own procedure may run a timer of its own (an edit
    // control scrolls a mouse selection with one): only ours reloads.
    if (nIDEvent != kRefreshTimerId)
        return;
    KillTimer(kRefreshTimerId);
    m_nRefreshSeconds = std::min(m_nRefreshSeconds * 2, kLongestRefreshSeconds);
    StartRefreshTimer();
    Navigate(m_strUrl.c_str(), 0, nullptr, nullptr, nullptr, 0);
}

void CWndBrowser::StartRefreshTimer() {
    adpane::seam::SetTimer(m_hWnd, kRefreshTimerId,
                           static_cast<UINT>(m_nRefreshSeconds) * kMillisecondsPerSecond, nullptr);
}
