// The web-browser pane of the main window: it takes over a placeholder
// control of a dialog, hosts the platform's WebBrowser control inside it,
// and reloads the page it was told to show on a timer whose period starts at
// 30 seconds and doubles with every reload, up to one hour.
//
//   m_browserPane.CreateFromControl(IDC_BROWSER_PLACE, this);
//   m_browserPane.Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
//
// The pane reacts to no user action and to none of the control's events; it
// reports no failure. A pane whose control could not be created keeps the
// address it is given and does nothing else.
#pragma once

#include "framework/CWnd.h"
#include "framework/ComPtr.h"

#include <exdisp.h>

#include <cstddef>
#include <string>

namespace adpane::detail {

template <std::size_t N> struct FixedText { char text[N]; };

// The two texts one after the other, at compile time.
template <std::size_t N1, std::size_t N2>
constexpr FixedText<N1 + N2 - 1> Join(const char (&first)[N1], const char (&second)[N2]) {
    FixedText<N1 + N2 - 1> joined{};
    for (std::size_t i = 0; i + 1 < N1; ++i)
        joined.text[i] = first[i];
    for (std::size_t i = 0; i < N2; ++i)
        joined.text[N1 - 1 + i] = second[i];
    return joined;
}

} // namespace adpane::detail

// The maker's web site, and the sponsor page on it that the main window shows.
inline constexpr char kMakerSite[] = "http://www.marlowick.com/";
inline constexpr char kSponsorPageName[] = "p-desk-Quenby.asp?adpos=0";
inline constexpr auto kSponsorPageText = adpane::detail::Join(kMakerSite, kSponsorPageName);
inline constexpr const char* kSponsorPage = kSponsorPageText.text;

class CWndBrowser : public CWnd {
    DECLARE_DYNAMIC(CWndBrowser)

public:
    CWndBrowser();
    ~CWndBrowser() override;

    // Takes over the control nID of pParent as the pane's window, creates the
    // WebBrowser control over its whole client area and starts the refresh
    // timer. true when the control exists and its IWebBrowser2 is held; on
    // false no interface is held and no timer runs.
    bool CreateFromControl(UINT nID, CWnd* pParent);

    // Remembers url (the timer reloads it) and starts loading it. postData,
    // when given, is sent as postDataLength bytes, or when that is 0 as text
    // up to its terminating zero. Null texts are passed on as null strings.
    // Throws std::bad_alloc when the arguments cannot be built; the address
    // is remembered all the same.
    void Navigate(const char* url, DWORD flags, const char* targetFrameName, const char* headers,
                  const void* postData, DWORD postDataLength);

protected:
    // Each refresh: the period doubles (capped at an hour) and the
    // remembered address is loaded again, without the earlier extras.
    void OnTimer(UINT_PTR nIDEvent);
    // The window moved to a display of another DPI: the control is asked for
    // the size in the new DPI.
    LRESULT OnDpiChangedAfterParent(WPARAM wParam, LPARAM lParam);

    ComPtr<IWebBrowser2> m_pBrowser; // the control's interface; null when none
    CWnd* m_pParent;                 // the dialog that holds the placeholder; not owned
    CWnd m_wndBrowser;               // the control's window
    int m_nRefreshSeconds;           // the current refresh period
    std::string m_strUrl;            // the address the timer reloads

private:
    // Asks the control for 1024 x 768 pixels at 96 DPI, in proportion at the
    // pane's DPI.
    void RequestSize();
    void StartRefreshTimer();

    DECLARE_MESSAGE_MAP()
};
