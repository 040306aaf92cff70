#include "app/CleanerDlg.h"

#include "app/AboutDlg.h"
#include "app/CleanProgress.h"
#include "app/MoreTracesClean.h"
#include "app/MoreTracesDlg.h"
#include "catalogue/TraceRun.h"
#include "framework/CDataExchange.h"
#include "framework/CPaintDC.h"
#include "framework/CWinApp.h"
#include "framework/StepMarks.h"
#include "platform/Handles.h"
#include "res/resource.h"
#include "settings/COption.h"
#include "settings/Settings.h"

#include <cstring>
#include <string>

namespace {

static_assert(kCleanSelectionBits == (1u << CleanTargetCount) - 1,
              "the stored selection holds one bit per check box");

constexpr const char kConfirmText[] = "Are you sure to clean?";
constexpr const char kFinishedText[] = "Clean finish.\t\t";
// Between the completion text and the lines of what did not go.
constexpr const char kNotGoneBreak[] = "\n\n";

// Where the help file lies, relative to the executable's folder.
constexpr const char kHelpFile[] = "\\help\\Quenby.chm";
// The module path is read with this limit into a MAX_PATH buffer.
constexpr DWORD kHelpModulePathLimit = 256;
// The longest path the platform hands out (UNICODE_STRING_MAX_CHARS).
constexpr DWORD kLongestModulePath = 32767;
constexpr UINT kHelpDisplayTopic = 0; // HH_DISPLAY_TOPIC

using HtmlHelpAFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// HTML Help is loaded at its first use and stays loaded; null when the
// component is not there.
HtmlHelpAFn LoadHtmlHelp() {
    static platform::UniqueModule module(LoadLibraryA("hhctrl.ocx"));
    if (!module)
        return nullptr;
    return reinterpret_cast<HtmlHelpAFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "HtmlHelpA")));
}

// Where the executable's folder ends in its full path, however long: the
// position of the last backslash, or npos.
size_t ModuleFolderLength() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0 || length > kLongestModulePath)
            return std::string::npos;
        if (length < path.size())
            return path.rfind('\\', length);
        path.resize(path.size() * 2); // cut: try again with room for more
    }
}

// Registering fails only when the system's atom table is full. The map must
// then not list 0, WM_NULL, which the framework posts to wake its loops; a
// private message that nothing sends this window takes its place.
constexpr UINT kUnregisteredCloseMessage = WM_APP + 1;

// Registered once, at the first look-up of the message map: the map's
// entries are made then, with the number this session gives the name.
UINT CloseRequestMessage() {
    static const UINT message = RegisterWindowMessageA(QUENBY_CLOSE_MESSAGE);
    return message != 0 ? message : kUnregisteredCloseMessage;
}

} // namespace

BEGIN_MESSAGE_MAP(CleanerDlg, CNotifyIconDlg)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_CLEAN, &CleanerDlg::OnClean)
    ON_COMMAND(ID_FILE_SAVE_DEFAULT, &CleanerDlg::SaveSelection)
    ON_COMMAND(ID_SETTINGS_OPTIONS, &CleanerDlg::OnOptions)
    ON_COMMAND(ID_SETTINGS_MORE_TRACES, &CleanerDlg::OnMoreTraces)
    ON_COMMAND(ID_HELP_TOPICS, &CleanerDlg::OnHelpTopics)
    ON_COMMAND(ID_HELP_ABOUT, &CleanerDlg::OnAbout)
    ON_WM_QUERYENDSESSION()
    ON_MESSAGE(CloseRequestMessage(), &CleanerDlg::OnCloseRequest)
END_MESSAGE_MAP()

CleanerDlg::CleanerDlg(CWnd* pParent)
    : CNotifyIconDlg(IDD_CLEANER_DIALOG, pParent), m_targetChecked{}, m_cleanAtShutdown(0),
      m_saveAtExit(0) {
    m_hIcon.reset(LoadProgramIcon(SM_CXICON, SM_CYICON));
}

void CleanerDlg::DoDataExchange(CDataExchange* pDX) {
    CNotifyIconDlg::DoDataExchange(pDX);
    for (int i = 0; i < CleanTargetCount; ++i)
        DDX_Check(pDX, IDC_CHECK_REALPLAYER + i, m_targetChecked[i]);
}

BOOL CleanerDlg::OnInitDialog() {
    CNotifyIconDlg::OnInitDialog();

    AppendAboutItem();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.get()));

    AfxMarkStep("about item and window icons");

    m_browserPane.CreateFromControl(IDC_BROWSER_PLACE, this);
    AfxMarkStep("web pane");
    m_browserPane.Navigate(kSponsorPage, 0, nullptr, nullptr, nullptr, 0);
    AfxMarkStep("first navigation");

    RestoreSelection();
    AfxMarkStep("selection restored");
    return TRUE;
}

void CleanerDlg::AppendAboutItem() {
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (!systemMenu)
        return;
    char text[256] = {};
    if (LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, text, sizeof(text)) <= 0)
        return;
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

// The boxes are all clear here (the first data exchange copied the zero
// flags into them), so only the set bits need touching.
void CleanerDlg::RestoreSelection() {
    CleanSelection selection = ReadCleanSelection();
    for (int i = 0; i < CleanTargetCount; ++i) {
        if (selection & (1u << i))
            SendDlgItemMessage(IDC_CHECK_REALPLAYER + i, BM_SETCHECK, BST_CHECKED);
    }
}

TraceSet CleanerDlg::BoxesOnScreen() {
    TraceSet boxes;
    for (int i = 0; i < CleanTargetCount; ++i) {
        if (SendDlgItemMessage(IDC_CHECK_REALPLAYER + i, BM_GETCHECK) == BST_CHECKED)
            boxes.Add(i);
    }
    return boxes;
}

void CleanerDlg::SaveSelection() {
    WriteCleanSelection(BoxesOnScreen().Place());
}

void CleanerDlg::OnClean() {
    // The clean before has not ended: its button still sends while the
    // window is disabled.
    if (m_runningClean)
        return;
    // Only Yes cleans: the box also ends without an answer (0) when a quit
    // request (the tray menu's "Exit", an installer's close request) ends
    // the loop it runs.
    if (MessageBox(kConfirmText, nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    BeginWaitCursor();
    UpdateData(TRUE);
    {
        TraceSet selection;
        for (int i = 0; i < CleanTargetCount; ++i) {
            if (m_targetChecked[i])
                selection.Add(i);
        }
        CleaningVisitors cleaning;
        RunTraces(selection, cleaning.Get());
        const std::string notGone = CleanChosenMoreTraces();
        EndWaitCursor();
        MessageBox(FinishedText(notGone).c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
    }
}

std::string CleanerDlg::CleanChosenMoreTraces() {
    const TraceSet chosen = ChosenMoreTraces();
    if (chosen.IsEmpty())
        return std::string();
    if (m_sessionEnding)
        return CleanMoreTraces(chosen, true);
    CleanProgress progress(m_hWnd);
    m_runningClean = &progress;
    const std::string notGone = progress.Run(chosen);
    m_runningClean = nullptr;
    return notGone;
}

std::string CleanerDlg::FinishedText(const std::string& notGone) {
    if (notGone.empty())
        return kFinishedText;
    // The last line's line feed would only leave an empty line in the box.
    return kFinishedText + (kNotGoneBreak + notGone.substr(0, notGone.size() - 1));
}

void CleanerDlg::OnCancel() {
    OptionFlags options = ReadOptionFlags();
    m_saveAtExit = static_cast<int>(options & OptionSaveAtExit);
    if (m_saveAtExit)
        SaveSelection();
    AfxMarkStep("settings");
    CNotifyIconDlg::OnCancel();
}

BOOL CleanerDlg::OnQueryEndSession() {
    if (!Default())
        return FALSE;
    // A clean already running ends first, and no second one starts.
    if (m_runningClean)
        m_runningClean->WaitForEnd();

    OptionFlags options = ReadOptionFlags();
    m_cleanAtShutdown = static_cast<int>(options & OptionCleanAtShutdown);
    m_saveAtExit = static_cast<int>(options & OptionSaveAtExit);
    if (m_cleanAtShutdown) {
        m_sessionEnding = true;
        OnClean();
        m_sessionEnding = false;
    }
    if (m_saveAtExit)
        SaveSelection();
    return TRUE;
}

LRESULT CleanerDlg::OnCloseRequest(WPARAM, LPARAM) {
    OnTrayCommand(ID_TRAY_EXIT);
    return TRUE;
}

void CleanerDlg::OnOptions() {
    COption options;
    options.DoModal();
}

void CleanerDlg::OnMoreTraces() {
    MoreTracesDlg moreTraces(this, BoxesOnScreen());
    moreTraces.DoModal();
}

void CleanerDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        AboutDlg about;
        about.DoModal();
        return;
    }
    CNotifyIconDlg::OnSysCommand(nID, lParam);
}

void CleanerDlg::OnAbout() {
    SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
}

void CleanerDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - cxIcon + 1) / 2;
    int y = (client.bottom - client.top - cyIcon + 1) / 2;
    DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon.get());
}

HCURSOR CleanerDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon.get());
}

void CleanerDlg::OnHelpTopics() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, kHelpModulePathLimit);
    if (length == 0)
        return;
    char* lastBackslash = std::strrchr(path, '\\');
    if (!lastBackslash)
        return;
    // A path cut at the limit still names the executable's folder when the
    // cut fell inside the file name; cut inside the folder, it names another.
    if (length >= kHelpModulePathLimit &&
        ModuleFolderLength() != static_cast<size_t>(lastBackslash - path))
        return;
    *lastBackslash = '\0';
    // A help path that no longer fits MAX_PATH cannot be opened.
    if (std::strlen(path) + std::strlen(kHelpFile) >= sizeof(path))
        return;
    std::strcat(path, kHelpFile);

    if (HtmlHelpAFn htmlHelp = LoadHtmlHelp())
        htmlHelp(m_hWnd, path, kHelpDisplayTopic, 0);
}
