#include "app/CNotifyIconDlg.h"

#include "res/resource.h"

#include "framework/CWinApp.h"
#include "platform/Handles.h"

#include <shellapi.h>

#include <cstddef>

namespace {

constexpr UINT kIconId = 0;
constexpr const char kTooltip[] = "Personal management";
// The request's first layout (cbSize, hWnd, uID, uFlags, uCallbackMessage,
// hIcon, szTip[64]): every shell version understands it. 88 bytes in a 32-bit
// program; the wider handles and their alignment make it 104 in a 64-bit one.
constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(kNotifyIconDataSize == offsetof(NOTIFYICONDATAA, szTip) + 64,
              "first NOTIFYICONDATAA layout ends with a 64-byte tooltip");
static_assert(sizeof(void*) != 4 || kNotifyIconDataSize == 88,
              "first NOTIFYICONDATAA layout is 88 bytes in a 32-bit program");

// A request that names this dialog's one icon; built afresh and zero-filled
// each time, since the class keeps no state of its own.
NOTIFYICONDATAA IconRequest(HWND hWnd) {
    NOTIFYICONDATAA data = {};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = hWnd;
    data.uID = kIconId;
    return data;
}

// The shell broadcasts this message when it creates the taskbar again (after
// Explorer restarted): every notification-area icon is gone by then.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

constexpr const char kShowItem[] = "Show";
constexpr const char kHideItem[] = "Hide";
constexpr const char kExitItem[] = "Exit";

} // namespace

IMPLEMENT_DYNAMIC(CNotifyIconDlg, CDialog)

BEGIN_MESSAGE_MAP(CNotifyIconDlg, CDialog)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_NOTIFYICON, &CNotifyIconDlg::OnNotifyIcon)
    ON_COMMAND_RANGE(ID_TRAY_SHOW, ID_TRAY_EXIT, &CNotifyIconDlg::OnTrayCommand)
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(TaskbarCreatedMessage(), &CNotifyIconDlg::OnTaskbarCreated)
END_MESSAGE_MAP()

CNotifyIconDlg::CNotifyIconDlg(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd) {}

BOOL CNotifyIconDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddIcon();
    // A program started with administrator rights (the installer's last
    // page) would not get the broadcast from the user's shell otherwise.
    ChangeWindowMessageFilter(TaskbarCreatedMessage(), MSGFLT_ADD);
    return TRUE;
}

void CNotifyIconDlg::AddIcon() {
    NOTIFYICONDATAA data = IconRequest(m_hWnd);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_NOTIFYICON;
    // The notification area shows small icons.
    platform::UniqueIcon icon(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON));
    data.hIcon = icon.get();
    lstrcpynA(data.szTip, kTooltip, sizeof(data.szTip));
    // The shell keeps its own copy of the icon.
    Shell_NotifyIconA(NIM_ADD, &data);
}

HICON CNotifyIconDlg::LoadProgramIcon(int widthMetric, int heightMetric) {
    // The image drawn for the display's DPI, not one scaled from another
    // size; not shared, so the caller destroys it.
    return static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                         IMAGE_ICON, GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

LRESULT CNotifyIconDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    AddIcon();
    return 0;
}

void CNotifyIconDlg::OnDestroy() {
    CDialog::OnDestroy();

    NOTIFYICONDATAA data = IconRequest(m_hWnd);
    Shell_NotifyIconA(NIM_DELETE, &data);
}

LRESULT CNotifyIconDlg::OnNotifyIcon(WPARAM /*iconId*/, LPARAM lParam) {
    switch (static_cast<UINT>(lParam)) {
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    case WM_LBUTTONDBLCLK:
        ShowWindow(SW_SHOW);
        break;
    default:
        break;
    }
    return 0;
}

void CNotifyIconDlg::ShowTrayMenu() {
    platform::UniqueMenu menu(CreatePopupMenu());
    if (IsWindowVisible())
        InsertMenuA(menu.get(), 0, MF_BYPOSITION | MF_STRING, ID_TRAY_HIDE, kHideItem);
    else
        InsertMenuA(menu.get(), 0, MF_BYPOSITION | MF_STRING, ID_TRAY_SHOW, kShowItem);
    InsertMenuA(menu.get(), 1, MF_BYPOSITION | MF_STRING, ID_TRAY_EXIT, kExitItem);

    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    SetForegroundWindow(m_hWnd);
    TrackPopupMenu(menu.get(), 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
}

void CNotifyIconDlg::OnTrayCommand(UINT nID) {
    switch (nID) {
    case ID_TRAY_SHOW:
        ShowWindow(SW_SHOW);
        break;
    case ID_TRAY_HIDE:
        ShowWindow(SW_HIDE);
        break;
    default:
        // Ends the modal loop directly: the dialog's cancel processing
        // (and its optional save) does not run on this path.
        PostQuitMessage(0);
        break;
    }
}

void CNotifyIconDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(SW_HIDE);
        return;
    }
    (void)lParam;
    Default();
}
