// The main dialog in-process: what the end-to-end driver cannot see from
// outside. The order of message boxes, wait-cursor changes and settings
// writes during a clean run and the shutdown query, and the data-exchange
// flags that a refused confirmation must leave alone.
//
// Message boxes are answered by a thread CBT hook: it records each box's text
// and caption when the box is activated and posts the scripted answer.

#include "app/CleanerDlg.h"
#include "app/PreviewRows.h"
#include "app/TraceChoice.h"
#include "app/UiText.h"
#include "framework/CWinApp.h"
#include "framework/StepMarks.h"
#include "platform/Handles.h"
#include "res/resource.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <deque>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Everything observable in one scenario, in the order it happened.
std::vector<std::string> g_events;
std::deque<int> g_answers; // answers for the coming message boxes, in order
bool g_placeStoredAtLastBox = false;

bool PlaceStored(DWORD* value = nullptr);

class AppTestApp : public CWinApp {
public:
    void DoWaitCursor(int nCode) override {
        if (nCode != 0)
            g_events.push_back(nCode > 0 ? "wait begin" : "wait end");
        CWinApp::DoWaitCursor(nCode);
    }
};
AppTestApp theTestApp;

constexpr const char kSettingsKey[] = "Software\\Marlowick software\\AppTest\\Settings";
constexpr int kMessageBoxTextId = 0xFFFF; // the static that holds a box's text

std::string WindowText(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

// Records "box <text> | <caption>" and, with it, whether "Place" exists at
// that moment, then answers the box.
LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(hwnd, className, sizeof(className));
        HWND textControl = GetDlgItem(hwnd, kMessageBoxTextId);
        if (std::string(className) == "#32770" && textControl) {
            g_events.push_back("box " + WindowText(textControl) + " | " + WindowText(hwnd));
            g_placeStoredAtLastBox = PlaceStored();
            int answer = g_answers.empty() ? IDCANCEL : g_answers.front();
            if (!g_answers.empty())
                g_answers.pop_front();
            PostMessageA(hwnd, WM_COMMAND, answer, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool PlaceStored(DWORD* value) {
    DWORD data = 0, size = sizeof(data), type = 0;
    LONG result = SHGetValueA(HKEY_CURRENT_USER, kSettingsKey, kPlaceEntry, &type, &data, &size);
    if (value)
        *value = data;
    return result == ERROR_SUCCESS;
}

void StoreOption(DWORD value) {
    SHSetValueA(HKEY_CURRENT_USER, kSettingsKey, kOptionEntry, REG_DWORD, &value, sizeof(value));
}

void StorePlace(DWORD value) {
    SHSetValueA(HKEY_CURRENT_USER, kSettingsKey, kPlaceEntry, REG_DWORD, &value, sizeof(value));
}

void Unhook(HHOOK hook) {
    UnhookWindowsHookEx(hook);
}
using UniqueHook = platform::UniqueAny<platform::detail::NullTraits<HHOOK, Unhook>>;

// The main dialog with a scenario that runs once the dialog is up; the dialog
// ends after it.
class ScriptedCleanerDlg : public CleanerDlg {
public:
    std::function<void(ScriptedCleanerDlg&)> m_scenario;

    int* TargetFlags() { return m_targetChecked; }
    BOOL QueryEndSession() {
        return static_cast<BOOL>(SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    }
    bool BoxChecked(int id) { return SendDlgItemMessage(id, BM_GETCHECK) == BST_CHECKED; }
    void SetBox(int id, bool checked) {
        SendDlgItemMessage(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    }

    BOOL OnInitDialog() override {
        BOOL result = CleanerDlg::OnInitDialog();
        ::SetTimer(m_hWnd, kScenarioTimer, 0, &ScriptedCleanerDlg::RunScenario);
        return result;
    }

private:
    static constexpr UINT_PTR kScenarioTimer = 0x5C;
    static ScriptedCleanerDlg* s_running;

    static void CALLBACK RunScenario(HWND hwnd, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(hwnd, id);
        ScriptedCleanerDlg* self = s_running;
        if (self->m_scenario)
            self->m_scenario(*self);
        self->EndDialog(IDABORT);
    }

public:
    INT_PTR RunModal() {
        s_running = this;
        UniqueHook hook(
            SetWindowsHookExA(WH_CBT, AnswerMessageBoxes, nullptr, GetCurrentThreadId()));
        return DoModal();
    }
};
ScriptedCleanerDlg* ScriptedCleanerDlg::s_running = nullptr;

class CleanerDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
        g_events.clear();
        g_answers.clear();
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }

    // Runs the dialog with the scenario; the dialog must end through it.
    void Run(std::function<void(ScriptedCleanerDlg&)> scenario) {
        ScriptedCleanerDlg dlg;
        dlg.m_scenario = std::move(scenario);
        ASSERT_EQ(IDABORT, dlg.RunModal());
    }

    const std::string kConfirm = "box Are you sure to clean? | AppTest";
    const std::string kFinished = "box Clean finish.\t\t | AppTest";
};

} // namespace

TEST_F(CleanerDlgTest, NoAtTheConfirmationLeavesFlagsAndCursorAlone) {
    g_answers = {IDNO};
    Run([](ScriptedCleanerDlg& dlg) {
        int* flags = dlg.TargetFlags();
        flags[0] = 1;
        flags[5] = 7;
        dlg.SetBox(IDC_CHECK_IEHISTORY, true);

        dlg.OnClean();

        EXPECT_EQ(1, flags[0]) << "m_targetChecked must keep its old values after No";
        EXPECT_EQ(7, flags[5]);
        EXPECT_EQ(0, flags[3]) << "No must not run the data exchange";
    });
    EXPECT_EQ(std::vector<std::string>({kConfirm}), g_events);
    EXPECT_EQ(0, theTestApp.m_nWaitCursorCount);
}

TEST_F(CleanerDlgTest, YesRefreshesFlagsFromTheBoxesAndEndsTheWaitCursorBeforeTheReport) {
    g_answers = {IDYES, IDOK};
    Run([](ScriptedCleanerDlg& dlg) {
        int* flags = dlg.TargetFlags();
        flags[0] = 1;
        dlg.SetBox(IDC_CHECK_IEADDRESSBAR, true);
        dlg.SetBox(IDC_CHECK_IEPASSWORDS, true);

        dlg.OnClean();

        const int expected[CleanTargetCount] = {0, 0, 0, 0, 1, 0, 1, 0};
        for (int i = 0; i < CleanTargetCount; ++i)
            EXPECT_EQ(expected[i], flags[i] ? 1 : 0) << "target " << i;
    });
    EXPECT_EQ(std::vector<std::string>({kConfirm, "wait begin", "wait end", kFinished}), g_events);
    EXPECT_EQ(0, theTestApp.m_nWaitCursorCount);
}

TEST_F(CleanerDlgTest, ConfirmingWithNoBoxCheckedStillReportsCompletion) {
    g_answers = {IDYES, IDOK};
    Run([](ScriptedCleanerDlg& dlg) { dlg.OnClean(); });
    EXPECT_EQ(std::vector<std::string>({kConfirm, "wait begin", "wait end", kFinished}), g_events);
}

TEST_F(CleanerDlgTest, StartUpChecksTheStoredBoxesAndLeavesTheFlagsClear) {
    StorePlace(0x05);
    Run([](ScriptedCleanerDlg& dlg) {
        for (int i = 0; i < CleanTargetCount; ++i) {
            EXPECT_EQ(i == 0 || i == 2, dlg.BoxChecked(IDC_CHECK_REALPLAYER + i)) << "box " << i;
            EXPECT_EQ(0, dlg.TargetFlags()[i]) << "restore must not write m_targetChecked";
        }
    });
}

TEST_F(CleanerDlgTest, ShutdownQueryWithoutOptionsShowsAndWritesNothing) {
    StoreOption(0);
    Run([](ScriptedCleanerDlg& dlg) {
        dlg.SetBox(IDC_CHECK_RECYCLEBIN, true);
        EXPECT_EQ(TRUE, dlg.QueryEndSession());
    });
    EXPECT_TRUE(g_events.empty());
    EXPECT_FALSE(PlaceStored());
}

TEST_F(CleanerDlgTest, ShutdownQueryCleansAfterAskingAndAnswersTrueEitherWay) {
    StoreOption(OptionCleanAtShutdown);
    g_answers = {IDNO, IDYES, IDOK};
    Run([](ScriptedCleanerDlg& dlg) {
        EXPECT_EQ(TRUE, dlg.QueryEndSession()) << "after No";
        EXPECT_EQ(TRUE, dlg.QueryEndSession()) << "after Yes";
    });
    EXPECT_EQ(std::vector<std::string>({kConfirm, kConfirm, "wait begin", "wait end", kFinished}),
              g_events);
    EXPECT_FALSE(PlaceStored()) << "without the save option nothing is written";
}

TEST_F(CleanerDlgTest, ShutdownQuerySavesTheBoxesOnScreen) {
    StoreOption(OptionSaveAtExit);
    Run([](ScriptedCleanerDlg& dlg) {
        dlg.SetBox(IDC_CHECK_MEDIAPLAYER, true);
        dlg.SetBox(IDC_CHECK_RECYCLEBIN, true);
        EXPECT_EQ(TRUE, dlg.QueryEndSession());
    });
    EXPECT_TRUE(g_events.empty()) << "no message box without the clean option";
    DWORD place = 0;
    ASSERT_TRUE(PlaceStored(&place));
    EXPECT_EQ(0x82u, place);
}

TEST_F(CleanerDlgTest, ShutdownQueryWithBothOptionsSavesAfterTheCleanRun) {
    StoreOption(OptionCleanAtShutdown | OptionSaveAtExit);
    g_answers = {IDNO};
    g_placeStoredAtLastBox = true;
    Run([&](ScriptedCleanerDlg& dlg) {
        dlg.SetBox(IDC_CHECK_REALPLAYER, true);
        EXPECT_EQ(TRUE, dlg.QueryEndSession());
    });
    EXPECT_EQ(std::vector<std::string>({kConfirm}), g_events);
    EXPECT_FALSE(g_placeStoredAtLastBox) << "the selection must be saved after the question";
    DWORD place = 0;
    ASSERT_TRUE(PlaceStored(&place));
    EXPECT_EQ(0x01u, place);
}

void NoteStep(const char* step) {
    g_events.push_back(step);
}

// The start-up benchmark times these steps (framework/StepMarks.h); they come
// in the order in which the window is specified to initialise, the icon goes
// with the window, and the selection is restored last. (This program hosts no
// controls, so OLE is not started.)
TEST_F(CleanerDlgTest, StartUpStepsComeInTheirOrderAndTheIconGoesWithTheWindow) {
    framework::seam::MarkStep = &NoteStep;
    Run([](ScriptedCleanerDlg&) { g_events.push_back("scenario"); });
    framework::seam::MarkStep = nullptr;
    EXPECT_EQ(
        std::vector<std::string>({"dialog and controls", "notification icon",
                                  "about item and window icons", "web pane", "first navigation",
                                  "selection restored", "scenario", "icon removed"}),
        g_events);
}

// A program found with three traces (the first warns, the last says itself
// that it is not found) and one not found, after one window trace.
struct ChoiceCatalogue {
    Catalogue catalogue;
    int lookups = 0;
    ChoiceCatalogue() {
        catalogue.AddWindowTrace(Named(L"window", L""));
        std::vector<Trace> found = {Named(L"a1", L"You lose it."), Named(L"a2", L""),
                                    Named(L"a3", L"")};
        found[2].found = [] { return false; };
        catalogue.AddProgram({"a", L"A", L"", [this] { return ++lookups > 0; }, {}}, found);
        catalogue.AddProgram({"b", L"B", L"", [] { return false; }, {}}, {Named(L"b1", L"")});
    }
    static Trace Named(const wchar_t* name, const wchar_t* warning) {
        Trace trace;
        trace.name = trace.label = name;
        trace.warning = warning;
        return trace;
    }
};

// A program's box shows its traces; a toggle changes only what is found and
// asks for each warning once; what is not found keeps its stored choice.
TEST(TraceChoiceTest, ProgramsAreMixedAndTogglesKeepWhatIsNotFound) {
    ChoiceCatalogue test;
    TraceSet stored;
    for (size_t trace : {0, 3, 4})
        stored.Add(trace);
    TraceChoice choice(test.catalogue, stored);
    EXPECT_EQ(1, test.lookups) << "each program is looked for once";
    const std::vector<size_t>& a = test.catalogue.Programs()[0].traces;
    EXPECT_EQ(CheckState::Mixed, choice.StateOf(a));
    EXPECT_EQ(CheckState::Unchecked, choice.StateOf({1, 2}));
    EXPECT_TRUE(choice.ProgramFound(0) && !choice.ProgramFound(1) && !choice.Changeable(3));

    Toggle check = choice.ToggleOf(a);
    EXPECT_TRUE(check.check && check.traces == (std::vector<size_t>{1, 2}));
    EXPECT_EQ(std::vector<size_t>{1}, choice.ToConfirm(check));
    choice.Apply(check);
    EXPECT_EQ(CheckState::Checked, choice.StateOf(a));
    const Toggle clear = choice.ToggleOf(a);
    EXPECT_FALSE(clear.check);
    choice.Apply(clear);
    EXPECT_EQ(CheckState::Mixed, choice.StateOf(a)) << "a3 is not found and stays checked";
    EXPECT_TRUE(choice.ToConfirm(choice.ToggleOf({1})).empty()) << "confirmed once";
    EXPECT_TRUE(choice.ToggleOf({4}).traces.empty()) << "b1 is not found";

    const TraceSet chosen = choice.Chosen();
    EXPECT_TRUE(!chosen.Has(0) && !chosen.Has(1) && chosen.Has(3) && chosen.Has(4))
        << "the window's traces are never among them; the stored ones not found are";

    TraceChoice none(test.catalogue, TraceSet());
    none.Apply(none.ToggleOf(a));
    EXPECT_EQ(CheckState::Checked, none.StateOf(a)) << "a3, not found and clear, does not count";
}

// The row: what goes (tables count as items), the sizes of what has one with
// the rows after them, and the first problem with how many more.
TEST(PreviewRowsTest, ARowCountsWhatGoesAndNamesTheFirstProblem) {
    CleanReport report;
    report.Add({CleanItemKind::File, L"C:\\f1", 100});
    report.Add({CleanItemKind::File, L"C:\\f2", 50});
    report.Add({CleanItemKind::Folder, L"C:\\d"});
    report.Add({CleanItemKind::IndexFile, L"C:\\index.dat", 1000});
    report.Add({CleanItemKind::KeptDesktopIni, L"C:\\desktop.ini", 4});
    report.Add(
        {CleanItemKind::DatabaseRows, L"C:\\History", 0, 3, 0, CleanStatus::Gone, L"visits"});
    report.Add({CleanItemKind::DatabaseRows, L"C:\\History", 0, 1, 0, CleanStatus::Gone, L"urls"});
    report.Add({CleanItemKind::Problem, L"C:\\x", 0, 1, ERROR_ACCESS_DENIED});
    report.Add({CleanItemKind::Problem, L"C:\\y", 0, 1, ERROR_ACCESS_DENIED});
    // What stays for the sites kept signed in: counted apart, never as going.
    for (const auto& [path, site, count] :
         {std::tuple(L"C:\\Cookies", L"a.test", 2), std::tuple(L"C:\\Cookies", L"b.test", 1),
          std::tuple(L"C:\\IndexedDB\\a", L"a.test", 1)})
        report.Add(
            {CleanItemKind::SiteKept, path, 0, ULONGLONG(count), 0, CleanStatus::Kept, site});
    Trace trace;
    trace.label = L"T";
    const PreviewRow row = RowOf(trace, report);
    EXPECT_EQ(L"6", row.items);
    EXPECT_EQ(L"3 files, " + ByteSizeText(1150) + L"; 4 rows; 4 kept for 2 sites", row.size);
    EXPECT_EQ(L"C:\\x: " + ReasonText(ERROR_ACCESS_DENIED) + L" (and 1 more)", row.problems);

    CleanReport one;
    one.Add({CleanItemKind::ProfileInUse, L"C:\\p", 0, 1, ERROR_SHARING_VIOLATION,
             CleanStatus::InUse, L"Chrome is running"});
    one.Add({CleanItemKind::DatabaseRows, L"C:\\History", 0, 1, 0, CleanStatus::Gone, L"urls"});
    const PreviewRow skipped = RowOf(trace, one);
    EXPECT_TRUE(skipped.size == L"1 row" && skipped.problems == L"Chrome is running");

    const ItemRow table = ItemRowOf(report.Items()[5], false);
    EXPECT_TRUE(table.kind == L"table" && table.path == L"C:\\History: visits" &&
                table.size == L"3 rows" && table.note.empty());
    EXPECT_EQ(L"stays", ItemRowOf(report.Items()[4], false).note);
    const ItemRow site = ItemRowOf(report.Items()[9], false);
    EXPECT_TRUE(site.path == L"C:\\Cookies: a.test" && site.size == L"2" &&
                site.note == L"stays: a site kept signed in");
    const CleanItem held{CleanItemKind::File, L"C:\\t", 9, 1, ERROR_SHARING_VIOLATION};
    EXPECT_EQ(L"in use: stays", ItemRowOf(held, true).note);
    EXPECT_EQ(ReasonText(ERROR_SHARING_VIOLATION), ItemRowOf(held, false).note);
}

// The manifest asks for version 6 of the common controls for this build's own
// processor: the loader then maps comctl32 from the side-by-side store, where
// a manifest naming another processor leaves the system's version 5 copy.
TEST(ManifestTest, CommonControlsComeFromTheSideBySideAssembly) {
    HMODULE controls = LoadLibraryA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(controls, path, sizeof(path));
    FreeLibrary(controls);
    EXPECT_NE(StrStrIA(path, "\\winsxs\\"), nullptr) << "comctl32 loaded from " << path;
}

int main(int argc, char** argv) {
    AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    theTestApp.SetRegistryKey("Marlowick software");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
