// The class framework against real windows, dialogs and the registry of the
// Wine sandbox: message-map dispatch, modal dialogs, data exchange, run-time
// class information, the application object's entry, profile and wait cursor.
#include "framework/AfxWin.h"
#include "tests/unit/FrameworkTestIds.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Messages and commands of the test classes.
constexpr UINT kBaseOnlyMessage = WM_APP + 1;
constexpr UINT kSharedMessage = WM_APP + 2;
constexpr UINT kThrowingMessage = WM_APP + 3;
constexpr UINT kRunScriptMessage = WM_APP + 4;
constexpr UINT kMarkerMessage = WM_APP + 5;
constexpr UINT kBaseCommand = 100;
constexpr UINT kFirstRangeCommand = 200;
constexpr UINT kLastRangeCommand = 205;
constexpr UINT kButtonId = 300;
constexpr UINT kAppCommand = 0x7001;
constexpr UINT_PTR kTimerId = 7;
constexpr UINT_PTR kWatchdogTimerId = 99;
constexpr UINT kWatchdogMs = 5000;
constexpr int kTimedOut = 0x7777;
constexpr int kRefusedExitCode = 42;
constexpr DWORD kPumpTimeoutMs = 2000;
constexpr UINT kMessageBoxPollMs = 50;
const char kExpectedAppName[] = "FrameworkTest";
const char kTestRegistryKey[] = "Quenby framework test";
const char kSection[] = "Settings";
const char kEntry[] = "Place";

// The test program's application object: InitInstance and ExitInstance
// report what AfxWinMain did with them.
class TestApp : public CWinApp {
public:
    BOOL m_initInstanceResult = FALSE;
    std::string m_appNameAtInit;
    int m_exitInstanceCalls = 0;
    int m_appCommands = 0;

    BOOL InitInstance() override {
        m_appNameAtInit = m_pszAppName ? m_pszAppName : "";
        return m_initInstanceResult;
    }
    int ExitInstance() override {
        ++m_exitInstanceCalls;
        return m_initInstanceResult ? CWinApp::ExitInstance() : kRefusedExitCode;
    }

protected:
    void OnAppCommand() { ++m_appCommands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_COMMAND(kAppCommand, &TestApp::OnAppCommand)
END_MESSAGE_MAP()

TestApp theApp;

// The sandbox's X display has no window manager, and Wine's X11 driver waits
// two seconds for one to acknowledge each hidden or destroyed top-level
// window that it lets the window manager handle. This process's windows are
// kept out of the window manager's hands instead; the setting is read when the
// first window is made, so it must be written before that.
void LeaveWindowsUnmanaged() {
    const std::string key =
        std::string("Software\\Wine\\AppDefaults\\") + kExpectedAppName + ".exe\\X11 Driver";
    const char unmanaged[] = "N";
    platform::UniqueHKey driver;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        driver.put(), nullptr) == ERROR_SUCCESS)
        RegSetValueExA(driver.get(), "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(unmanaged),
                       sizeof unmanaged);
}

class FrameworkEnvironment : public testing::Environment {
    void SetUp() override {
        LeaveWindowsUnmanaged();
        AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    }
};
[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

// Dispatches this thread's messages until done() holds or time runs out.
bool PumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > kPumpTimeoutMs)
            return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(1);
    }
    return true;
}

// Removes a WM_QUIT left in the queue; returns its exit code, or -1 if none.
int TakeQuitMessage() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(msg.wParam)
                                                                    : -1;
}

std::string WindowText(HWND hWnd) {
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

// A visible top-level window of the system's STATIC class, to subclass.
class StaticWindow {
public:
    StaticWindow()
        : m_hWnd(CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr)) {}
    ~StaticWindow() {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }
    HWND m_hWnd;
};

// ---- message maps ----------------------------------------------------------

class BaseWnd : public CWnd {
public:
    std::vector<std::string> m_calls;

protected:
    LRESULT OnBaseOnly(WPARAM, LPARAM) { return Record("base-only"); }
    LRESULT OnShared(WPARAM, LPARAM) { return Record("base-shared"); }
    void OnBaseCommand() { Record("base-command"); }
    LRESULT Record(const std::string& call) {
        m_calls.push_back(call);
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_MESSAGE(kBaseOnlyMessage, &BaseWnd::OnBaseOnly)
    ON_MESSAGE(kSharedMessage, &BaseWnd::OnShared)
    ON_COMMAND(kBaseCommand, &BaseWnd::OnBaseCommand)
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
protected:
    LRESULT OnSharedDerived(WPARAM wParam, LPARAM lParam) {
        Record("derived-shared");
        return static_cast<LRESULT>(wParam) + lParam;
    }
    void OnRange(UINT nID) { Record("range " + std::to_string(nID)); }
    void OnClicked() { Record("clicked"); }
    void OnTimer(UINT_PTR nIDEvent) {
        Record("timer " + std::to_string(nIDEvent));
        CWnd::OnTimer(nIDEvent);
    }
    HCURSOR OnQueryDragIcon() { return LoadCursorA(nullptr, IDC_CROSS); }
    BOOL OnQueryEndSession() {
        Record("query-end-session");
        return CWnd::OnQueryEndSession();
    }
    void OnPaint() {
        CPaintDC dc(this);
        Record(dc.m_hDC ? "paint" : "paint without context");
    }
    LRESULT OnThrowing(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
    // A nested message in between must not change what Default() passes on.
    LRESULT OnSetText(WPARAM, LPARAM) {
        SendMessage(kBaseOnlyMessage);
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    ON_MESSAGE(kSharedMessage, &DerivedWnd::OnSharedDerived)
    ON_COMMAND_RANGE(kFirstRangeCommand, kLastRangeCommand, &DerivedWnd::OnRange)
    ON_BN_CLICKED(kButtonId, &DerivedWnd::OnClicked)
    ON_WM_TIMER()
    ON_WM_QUERYDRAGICON()
    ON_WM_QUERYENDSESSION()
    ON_WM_PAINT()
    ON_MESSAGE(kThrowingMessage, &DerivedWnd::OnThrowing)
    ON_MESSAGE(WM_SETTEXT, &DerivedWnd::OnSetText)
END_MESSAGE_MAP()

class MessageMapTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_wnd.SubclassWindow(m_window.m_hWnd)); }
    LRESULT Command(UINT nID, UINT nCode = 0, HWND hWndControl = nullptr) {
        return m_wnd.SendMessage(WM_COMMAND, MAKEWPARAM(nID, nCode),
                                 reinterpret_cast<LPARAM>(hWndControl));
    }
    StaticWindow m_window;
    DerivedWnd m_wnd;
};

TEST_F(MessageMapTest, DerivedEntryWinsAndOtherMessagesFallToTheBaseMap) {
    EXPECT_EQ(5, m_wnd.SendMessage(kSharedMessage, 2, 3)) << "derived handler's result";
    EXPECT_EQ(1, m_wnd.SendMessage(kBaseOnlyMessage));
    Command(kBaseCommand);
    EXPECT_EQ((std::vector<std::string>{"derived-shared", "base-only", "base-command"}),
              m_wnd.m_calls);
}

TEST_F(MessageMapTest, CommandsRangesAndClicksReachTheirHandlers) {
    Command(kFirstRangeCommand);
    Command(kLastRangeCommand, 1); // an accelerator is a plain command too
    Command(kFirstRangeCommand - 1);
    Command(kLastRangeCommand + 1);
    StaticWindow button;
    Command(kButtonId, BN_CLICKED, button.m_hWnd);
    Command(kButtonId, EN_CHANGE, button.m_hWnd); // another notification: not a click
    EXPECT_EQ((std::vector<std::string>{"range 200", "range 205", "clicked"}), m_wnd.m_calls);
}

TEST_F(MessageMapTest, WindowMessagesReachHandlersWithTheirArguments) {
    EXPECT_EQ(reinterpret_cast<LRESULT>(LoadCursorA(nullptr, IDC_CROSS)),
              m_wnd.SendMessage(WM_QUERYDRAGICON));
    EXPECT_TRUE(m_wnd.SendMessage(WM_QUERYENDSESSION)) << "default processing answers TRUE";
    InvalidateRect(m_wnd.m_hWnd, nullptr, TRUE);
    UpdateWindow(m_wnd.m_hWnd);
    EXPECT_FALSE(GetUpdateRect(m_wnd.m_hWnd, nullptr, FALSE)) << "the paint context validated";
    m_wnd.SetTimer(kTimerId, 1);
    EXPECT_TRUE(PumpUntil([&] { return m_wnd.m_calls.size() == 3; }));
    m_wnd.KillTimer(kTimerId);
    EXPECT_EQ((std::vector<std::string>{"query-end-session", "paint", "timer 7"}), m_wnd.m_calls);
}

TEST_F(MessageMapTest, UnhandledMessagesGetTheWindowsOwnProcessing) {
    const char text[] = "seen by the control";
    m_wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text, WindowText(m_wnd.m_hWnd)) << "Default() passed on the outer WM_SETTEXT";
    EXPECT_EQ(std::vector<std::string>{"base-only"}, m_wnd.m_calls);
    EXPECT_EQ(0, Command(kButtonId + 1));
}

TEST_F(MessageMapTest, ExceptionInHandlerStaysInsideTheWindowProcedure) {
    EXPECT_EQ(0, m_wnd.SendMessage(kThrowingMessage));
    EXPECT_EQ(1, m_wnd.SendMessage(kBaseOnlyMessage)) << "the window keeps working";
}

TEST(SubclassTest, UnsubclassAndDestructionGiveBackTheOriginalProcedure) {
    StaticWindow window;
    const LONG_PTR original = GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC);
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(window.m_hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(window.m_hWnd));
    DerivedWnd second;
    EXPECT_FALSE(second.SubclassWindow(window.m_hWnd)) << "a window has one object";
    EXPECT_EQ(window.m_hWnd, wnd.UnsubclassWindow());
    EXPECT_EQ(original, GetWindowLongPtrA(window.m_hWnd, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window.m_hWnd));

    ASSERT_TRUE(wnd.SubclassWindow(window.m_hWnd));
    DestroyWindow(window.m_hWnd);
    EXPECT_EQ(nullptr, wnd.m_hWnd) << "detached at WM_NCDESTROY";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window.m_hWnd));
}

TEST(SubclassTest, DlgItemSeesOurMapFirstAndTheControlGetsTheRest) {
    StaticWindow parent;
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent.m_hWnd,
                                reinterpret_cast<HMENU>(IDC_TEST_EDIT), nullptr, nullptr);
    CWnd parentWnd;
    ASSERT_TRUE(parentWnd.Attach(parent.m_hWnd));
    DerivedWnd control;
    EXPECT_FALSE(control.SubclassDlgItem(IDC_TEST_EDIT + 1, &parentWnd)) << "no such control";
    ASSERT_TRUE(control.SubclassDlgItem(IDC_TEST_EDIT, &parentWnd));
    EXPECT_EQ(edit, control.m_hWnd);

    EXPECT_EQ(9, SendMessageA(edit, kSharedMessage, 4, 5));
    const char text[] = "typed";
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text, WindowText(edit)) << "the edit control's own procedure stored the text";
    EXPECT_EQ(5, SendMessageA(edit, EM_LINELENGTH, 0, 0));
    parentWnd.Detach();
}

// ---- run-time class information ----------------------------------------------

class DynamicDialog : public CDialog {
    DECLARE_DYNAMIC(DynamicDialog)
public:
    DynamicDialog() : CDialog(IDD_FRAMEWORK_TEST) {}
};
IMPLEMENT_DYNAMIC(DynamicDialog, CDialog)

// Declares nothing of its own, so it answers its base's information.
class PlainDerivedDialog : public DynamicDialog {};

class CreatableObject : public CObject {
    DECLARE_DYNCREATE(CreatableObject)
};
IMPLEMENT_DYNCREATE(CreatableObject, CObject)

TEST(RuntimeClassTest, NamesBasesAndKinds) {
    EXPECT_STREQ("CWnd", RUNTIME_CLASS(CWnd)->m_lpszClassName);
    EXPECT_EQ(RUNTIME_CLASS(CCmdTarget), RUNTIME_CLASS(CWnd)->m_pBaseClass);
    EXPECT_EQ(RUNTIME_CLASS(CWnd), RUNTIME_CLASS(CDialog)->m_pBaseClass);
    EXPECT_EQ(RUNTIME_CLASS(CCmdTarget), RUNTIME_CLASS(CWinApp)->m_pBaseClass);
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CObject)->m_pBaseClass);

    PlainDerivedDialog dialog;
    EXPECT_EQ(RUNTIME_CLASS(DynamicDialog), dialog.GetRuntimeClass());
    EXPECT_STREQ("DynamicDialog", dialog.GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(RUNTIME_CLASS(CDialog), dialog.GetRuntimeClass()->m_pBaseClass);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(dialog.IsKindOf(RUNTIME_CLASS(CWinApp)));
}

TEST(RuntimeClassTest, OnlyDynCreateClassesAreCreatable) {
    EXPECT_EQ(nullptr, RUNTIME_CLASS(DynamicDialog)->m_pfnCreateObject);
    EXPECT_EQ(nullptr, RUNTIME_CLASS(DynamicDialog)->CreateObject());
    ASSERT_NE(nullptr, RUNTIME_CLASS(CreatableObject)->m_pfnCreateObject);
    std::unique_ptr<CObject> made(RUNTIME_CLASS(CreatableObject)->CreateObject());
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(RUNTIME_CLASS(CreatableObject), made->GetRuntimeClass());
}

// ---- modal dialogs and data exchange -------------------------------------------

// A test dialog that runs m_script once its modal loop runs, and records what
// the framework did to it. A watchdog ends a dialog that a failing test would
// leave open.
class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(UINT nIDTemplate = IDD_FRAMEWORK_TEST) : CDialog(nIDTemplate) {}

    std::function<void(ScriptedDialog&)> m_script;
    int m_checkOne = 0;
    int m_checkTwo = 0;
    int m_boxOneAtInit = -1;
    int m_boxTwoAtInit = -1;
    HWND m_ownerAtInit = nullptr;
    int m_okCalls = 0;
    int m_cancelCalls = 0;
    bool m_destroyed = false;
    std::vector<UINT> m_sysCommands;

    int BoxState(int nID) { return static_cast<int>(SendDlgItemMessage(nID, BM_GETCHECK)); }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Check(pDX, IDC_TEST_CHECK_ONE, m_checkOne);
        DDX_Check(pDX, IDC_TEST_CHECK_TWO, m_checkTwo);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_boxOneAtInit = BoxState(IDC_TEST_CHECK_ONE);
        m_boxTwoAtInit = BoxState(IDC_TEST_CHECK_TWO);
        m_ownerAtInit = GetWindow(m_hWnd, GW_OWNER);
        SetTimer(kWatchdogTimerId, kWatchdogMs);
        PostMessage(kRunScriptMessage);
        return TRUE;
    }
    void OnOK() override {
        ++m_okCalls;
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++m_cancelCalls;
        CDialog::OnCancel();
    }
    LRESULT OnRunScript(WPARAM, LPARAM) {
        if (m_script)
            m_script(*this);
        return 0;
    }
    void OnTimer(UINT_PTR) { EndDialog(kTimedOut); }
    void OnSysCommand(UINT nID, LPARAM lParam) {
        m_sysCommands.push_back(nID);
        CDialog::OnSysCommand(nID, lParam);
    }
    BOOL OnQueryEndSession() { return CDialog::OnQueryEndSession(); }
    void OnDestroy() {
        m_destroyed = true;
        CDialog::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedDialog, CDialog)
    ON_MESSAGE(kRunScriptMessage, &ScriptedDialog::OnRunScript)
    ON_WM_TIMER()
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYENDSESSION()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// Maps IDOK itself, which takes the command away from the virtual OnOK.
class OkMappedDialog : public ScriptedDialog {
public:
    static constexpr int kMappedResult = 55;

protected:
    void OnOkCommand() { EndDialog(kMappedResult); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OkMappedDialog, ScriptedDialog)
    ON_COMMAND(IDOK, &OkMappedDialog::OnOkCommand)
END_MESSAGE_MAP()

void PostKey(UINT vk) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, vk, 0);
    PostMessageA(focus, WM_KEYUP, vk, 0);
}

TEST(DoModalTest, EndDialogCodeIsReturnedAfterTheWindowIsDestroyed) {
    ScriptedDialog dialog;
    dialog.m_script = [](ScriptedDialog& d) { d.EndDialog(42); };
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_TRUE(dialog.m_destroyed) << "WM_DESTROY reached the dialog's map";
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_ownerAtInit) << "no parent and no main window: no owner";
}

TEST(DoModalTest, QuitMessageEndsTheLoopWithMinusOneAndIsPostedAgain) {
    ScriptedDialog dialog;
    dialog.m_script = [](ScriptedDialog&) { PostQuitMessage(7); };
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_TRUE(dialog.m_destroyed);
    EXPECT_EQ(0, dialog.m_cancelCalls);
    EXPECT_EQ(7, TakeQuitMessage()) << "the quit message must survive for the outer loop";
}

TEST(DoModalTest, TemplateThatCannotBeCreatedGivesMinusOne) {
    ScriptedDialog dialog(IDD_FRAMEWORK_TEST + 50);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_FALSE(dialog.m_destroyed);
}

TEST(DoModalTest, FocusGoesToTheFirstTabStopAndAHiddenTemplateIsShown) {
    ScriptedDialog dialog(IDD_FRAMEWORK_TEST_HIDDEN);
    HWND focus = nullptr;
    HWND firstTabStop = nullptr;
    BOOL visible = FALSE;
    dialog.m_script = [&](ScriptedDialog& d) {
        focus = GetFocus();
        firstTabStop = d.GetDlgItem(IDC_TEST_CHECK_ONE);
        visible = d.IsWindowVisible();
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(firstTabStop, focus);
    EXPECT_TRUE(visible);
}

TEST(DoModalTest, EnterIsOkAndOnOkSavesTheBoxesThatInitLoaded) {
    ScriptedDialog dialog;
    dialog.m_checkOne = BST_CHECKED;
    dialog.m_script = [](ScriptedDialog& d) {
        d.SendDlgItemMessage(IDC_TEST_CHECK_ONE, BM_SETCHECK, BST_UNCHECKED);
        d.SendDlgItemMessage(IDC_TEST_CHECK_TWO, BM_SETCHECK, BST_CHECKED);
        PostKey(VK_RETURN);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(BST_CHECKED, dialog.m_boxOneAtInit) << "OnInitDialog loads the members";
    EXPECT_EQ(BST_UNCHECKED, dialog.m_boxTwoAtInit);
    EXPECT_EQ(1, dialog.m_okCalls);
    EXPECT_EQ(BST_UNCHECKED, dialog.m_checkOne) << "OnOK saves the boxes";
    EXPECT_EQ(BST_CHECKED, dialog.m_checkTwo);
}

TEST(DoModalTest, UpdateDataCopiesInTheDirectionAsked) {
    ScriptedDialog dialog;
    int boxOneAfterLoad = -1;
    dialog.m_script = [&](ScriptedDialog& d) {
        d.m_checkOne = BST_CHECKED;
        d.UpdateData(FALSE);
        boxOneAfterLoad = d.BoxState(IDC_TEST_CHECK_ONE);
        d.SendDlgItemMessage(IDC_TEST_CHECK_ONE, BM_SETCHECK, BST_UNCHECKED);
        d.SendDlgItemMessage(IDC_TEST_CHECK_TWO, BM_SETCHECK, BST_CHECKED);
        d.UpdateData(TRUE);
        d.EndDialog(IDCANCEL);
    };
    dialog.DoModal();
    EXPECT_EQ(BST_CHECKED, boxOneAfterLoad);
    EXPECT_EQ(BST_UNCHECKED, dialog.m_checkOne);
    EXPECT_EQ(BST_CHECKED, dialog.m_checkTwo);
}

TEST(DoModalTest, EscapeCloseBoxAndSystemCloseAllBecomeOnCancel) {
    const std::vector<std::function<void(ScriptedDialog&)>> cancelWays = {
        [](ScriptedDialog&) { PostKey(VK_ESCAPE); },
        [](ScriptedDialog& d) { d.PostMessage(WM_CLOSE); },
        [](ScriptedDialog& d) { d.SendMessage(WM_SYSCOMMAND, SC_CLOSE); },
    };
    for (size_t way = 0; way < cancelWays.size(); ++way) {
        ScriptedDialog dialog;
        dialog.m_script = cancelWays[way];
        EXPECT_EQ(IDCANCEL, dialog.DoModal()) << "way " << way;
        EXPECT_EQ(1, dialog.m_cancelCalls) << "way " << way;
    }
}

TEST(DoModalTest, DefaultProcessingOfADialogAnswersShutdownQueriesWithTrue) {
    ScriptedDialog dialog;
    LRESULT answer = FALSE;
    dialog.m_script = [&](ScriptedDialog& d) {
        answer = d.SendMessage(WM_QUERYENDSESSION);
        d.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_TRUE(answer);
    EXPECT_EQ(std::vector<UINT>{SC_MINIMIZE}, dialog.m_sysCommands);
}

TEST(DoModalTest, MappedIdOkWinsOverOnOkAndUnhandledCommandsReachTheApp) {
    OkMappedDialog dialog;
    const int appCommandsBefore = theApp.m_appCommands;
    dialog.m_script = [](ScriptedDialog& d) {
        d.SendMessage(WM_COMMAND, kAppCommand);
        d.SendMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(OkMappedDialog::kMappedResult, dialog.DoModal());
    EXPECT_EQ(0, dialog.m_okCalls);
    EXPECT_EQ(appCommandsBefore + 1, theApp.m_appCommands);
}

TEST(DoModalTest, DialogWithoutParentIsOwnedByTheMainWindowWhichItDisables) {
    ScriptedDialog mainDialog;
    ScriptedDialog inner;
    BOOL mainEnabledDuringInner = TRUE;
    BOOL mainEnabledAfterInner = FALSE;
    INT_PTR innerResult = 0;
    inner.m_script = [&](ScriptedDialog& d) {
        mainEnabledDuringInner = IsWindowEnabled(mainDialog.m_hWnd);
        d.EndDialog(IDOK);
    };
    mainDialog.m_script = [&](ScriptedDialog& d) {
        innerResult = inner.DoModal();
        mainEnabledAfterInner = IsWindowEnabled(d.m_hWnd);
        PostQuitMessage(3);
    };
    theApp.m_pMainWnd = &mainDialog;
    EXPECT_EQ(-1, mainDialog.DoModal());
    EXPECT_EQ(nullptr, theApp.m_pMainWnd) << "cleared when the main window was destroyed";
    theApp.m_pMainWnd = nullptr;
    TakeQuitMessage();

    EXPECT_EQ(nullptr, mainDialog.m_ownerAtInit) << "the main dialog itself has no owner";
    EXPECT_EQ(IDOK, innerResult);
    EXPECT_NE(nullptr, inner.m_ownerAtInit);
    EXPECT_FALSE(mainEnabledDuringInner);
    EXPECT_TRUE(mainEnabledAfterInner);
}

TEST(DoModalTest, AHiddenTemplateIsCentredOnItsOwnerAndAVisibleOneKeepsItsPlace) {
    ScriptedDialog mainDialog; // visible template at 0, 0
    ScriptedDialog inner(IDD_FRAMEWORK_TEST_SMALL);
    RECT mainRect = {}, innerRect = {};
    inner.m_script = [&](ScriptedDialog& d) {
        GetWindowRect(d.m_hWnd, &innerRect);
        d.EndDialog(IDOK);
    };
    mainDialog.m_script = [&](ScriptedDialog& d) {
        // Move the main window away from the corner so that centring shows.
        SetWindowPos(d.m_hWnd, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        GetWindowRect(d.m_hWnd, &mainRect);
        inner.DoModal();
        d.EndDialog(IDOK);
    };
    theApp.m_pMainWnd = &mainDialog;
    EXPECT_EQ(IDOK, mainDialog.DoModal());
    theApp.m_pMainWnd = nullptr;

    EXPECT_EQ(300, mainRect.left);
    const LONG mainCentreX = (mainRect.left + mainRect.right) / 2;
    const LONG mainCentreY = (mainRect.top + mainRect.bottom) / 2;
    EXPECT_NEAR(mainCentreX, (innerRect.left + innerRect.right) / 2, 1);
    EXPECT_NEAR(mainCentreY, (innerRect.top + innerRect.bottom) / 2, 1);
}

TEST(DoModalTest, AVisibleTemplateIsNotMovedByTheFramework) {
    ScriptedDialog dialog; // visible template at 0, 0 without DS_CENTER
    RECT rect = {};
    dialog.m_script = [&](ScriptedDialog& d) {
        GetWindowRect(d.m_hWnd, &rect);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
}

TEST(DoModalTest, QuitInANestedDialogEndsEveryLoop) {
    ScriptedDialog outer;
    ScriptedDialog inner;
    INT_PTR innerResult = 0;
    inner.m_script = [](ScriptedDialog&) { PostQuitMessage(9); };
    outer.m_script = [&](ScriptedDialog&) { innerResult = inner.DoModal(); };
    EXPECT_EQ(-1, outer.DoModal());
    EXPECT_EQ(-1, innerResult);
    EXPECT_EQ(9, TakeQuitMessage());
}

TEST(DoModalTest, SubclassedControlIsReleasedWhenTheDialogEnds) {
    ScriptedDialog dialog;
    DerivedWnd control;
    LRESULT mapped = 0;
    std::string text;
    dialog.m_script = [&](ScriptedDialog& d) {
        control.SubclassDlgItem(IDC_TEST_EDIT, &d);
        mapped = d.SendDlgItemMessage(IDC_TEST_EDIT, kSharedMessage, 1, 1);
        d.SendDlgItemMessage(IDC_TEST_EDIT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("pane"));
        text = WindowText(d.GetDlgItem(IDC_TEST_EDIT));
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_EQ(2, mapped);
    EXPECT_EQ("pane", text);
    EXPECT_EQ(nullptr, control.m_hWnd);
}

// ---- message boxes -------------------------------------------------------------

// Reads the caption and owner of the message box this thread shows, then
// closes it; a thread timer runs inside the message box's own loop.
struct MessageBoxProbe {
    static std::string s_caption;
    static HWND s_owner;

    static BOOL CALLBACK FindBox(HWND hWnd, LPARAM found) {
        char className[16] = "";
        GetClassNameA(hWnd, className, sizeof className);
        if (std::string(className) != "#32770" || !IsWindowVisible(hWnd))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box)
            return;
        KillTimer(nullptr, nIDEvent);
        s_caption = WindowText(box);
        s_owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    static void Arm() {
        s_caption.clear();
        s_owner = nullptr;
        SetTimer(nullptr, 0, kMessageBoxPollMs, &OnTimer);
    }
};
std::string MessageBoxProbe::s_caption;
HWND MessageBoxProbe::s_owner = nullptr;

TEST(MessageBoxTest, NullCaptionMeansTheApplicationName) {
    StaticWindow window;
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(window.m_hWnd));
    MessageBoxProbe::Arm();
    EXPECT_EQ(IDOK, wnd.MessageBox("Clean finish."));
    EXPECT_EQ(kExpectedAppName, MessageBoxProbe::s_caption);
    EXPECT_EQ(window.m_hWnd, MessageBoxProbe::s_owner);

    MessageBoxProbe::Arm();
    EXPECT_EQ(IDOK, AfxMessageBox("Clean finish."));
    EXPECT_EQ(kExpectedAppName, MessageBoxProbe::s_caption);
    wnd.Detach();
}

// ---- application object ----------------------------------------------------------

TEST(AppEntryTest, RefusedInitInstanceEndsWithExitInstanceAndNoMessageLoop) {
    theApp.m_initInstanceResult = FALSE;
    theApp.m_exitInstanceCalls = 0;
    PostThreadMessageA(GetCurrentThreadId(), kMarkerMessage, 0, 0);
    EXPECT_EQ(kRefusedExitCode, AfxWinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 0));
    EXPECT_EQ(1, theApp.m_exitInstanceCalls);
    EXPECT_EQ(kExpectedAppName, theApp.m_appNameAtInit) << "named before InitInstance";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, kMarkerMessage, kMarkerMessage, PM_REMOVE))
        << "no message loop ran";
}

TEST(AppEntryTest, AcceptedInitInstanceRunsTheLoopUntilQuit) {
    theApp.m_initInstanceResult = TRUE;
    theApp.m_exitInstanceCalls = 0;
    PostThreadMessageA(GetCurrentThreadId(), kMarkerMessage, 0, 0);
    PostQuitMessage(5);
    EXPECT_EQ(5, AfxWinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 0));
    theApp.m_initInstanceResult = FALSE;
    EXPECT_EQ(1, theApp.m_exitInstanceCalls);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, kMarkerMessage, kMarkerMessage, PM_REMOVE));
}

TEST(WaitCursorTest, CountNestsAndNeverGoesBelowZero) {
    HCURSOR before = GetCursor();
    theApp.BeginWaitCursor();
    {
        CWaitCursor wait;
        EXPECT_EQ(2, theApp.m_nWaitCursorCount);
        EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
    }
    EXPECT_EQ(1, theApp.m_nWaitCursorCount);
    theApp.EndWaitCursor();
    EXPECT_EQ(0, theApp.m_nWaitCursorCount);
    EXPECT_EQ(before, GetCursor()) << "the earlier cursor is back";
    theApp.EndWaitCursor();
    EXPECT_EQ(0, theApp.m_nWaitCursorCount);
}

// ---- profile -----------------------------------------------------------------------

class ProfileTest : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, CompanyPath().c_str());
        theApp.SetRegistryKey(kTestRegistryKey);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, CompanyPath().c_str()); }

    static std::string CompanyPath() { return std::string("Software\\") + kTestRegistryKey; }
    static std::string SectionPath() {
        return CompanyPath() + "\\" + kExpectedAppName + "\\" + kSection;
    }
    static void StoreRaw(DWORD type, const void* data, DWORD size) {
        platform::UniqueHKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath().c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, key.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key.get(), kEntry, 0, type, static_cast<const BYTE*>(data), size));
    }
};

TEST_F(ProfileTest, NamesComeFromTheExecutable) {
    EXPECT_STREQ(kExpectedAppName, theApp.m_pszAppName);
    EXPECT_STREQ(kExpectedAppName, theApp.m_pszExeName);
    EXPECT_STREQ(kExpectedAppName, theApp.m_pszProfileName);
    EXPECT_STREQ(kTestRegistryKey, theApp.m_pszRegistryKey);
}

TEST_F(ProfileTest, ReadingAMissingValueGivesTheDefaultAndCreatesTheKeys) {
    EXPECT_EQ(17, theApp.GetProfileInt(kSection, kEntry, 17));
    platform::UniqueHKey key;
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath().c_str(), 0, KEY_READ, key.put()));
}

TEST_F(ProfileTest, WrittenNumbersAreFourByteDwordsAndReadBack) {
    ASSERT_TRUE(theApp.WriteProfileInt(kSection, kEntry, 0x81));
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath().c_str(), 0, KEY_READ, key.put()));
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key.get(), kEntry, nullptr, &type,
                                              reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0x81u, value);
    EXPECT_EQ(0x81, theApp.GetProfileInt(kSection, kEntry, 0));

    ASSERT_TRUE(theApp.WriteProfileInt(kSection, kEntry, -2));
    EXPECT_EQ(-2, theApp.GetProfileInt(kSection, kEntry, 0));
}

TEST_F(ProfileTest, ValuesOfAnotherTypeOrSizeReadAsTheDefault) {
    const char text[] = "5";
    StoreRaw(REG_SZ, text, sizeof text);
    EXPECT_EQ(-1, theApp.GetProfileInt(kSection, kEntry, -1)) << "REG_SZ";
    const DWORD number = 5;
    StoreRaw(REG_BINARY, &number, sizeof number);
    EXPECT_EQ(-1, theApp.GetProfileInt(kSection, kEntry, -1)) << "REG_BINARY of four bytes";
    const WORD shortNumber = 5;
    StoreRaw(REG_DWORD, &shortNumber, sizeof shortNumber);
    EXPECT_EQ(-1, theApp.GetProfileInt(kSection, kEntry, -1)) << "REG_DWORD of two bytes";
    const ULONGLONG longNumber = 5;
    StoreRaw(REG_DWORD, &longNumber, sizeof longNumber);
    EXPECT_EQ(-1, theApp.GetProfileInt(kSection, kEntry, -1)) << "REG_DWORD of eight bytes";
}

} // namespace
