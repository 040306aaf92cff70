// Every way of ending the program: each ends the process and removes the
// notification-area icon without asking anything; only the cancel command
// saves the selection, and only when the option asks for it, whatever else
// "Option" holds.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

#include <shellapi.h>

#include <cstdlib>

namespace gui {
namespace {

enum class Way {
    ExitButton,
    FileExitCommand,
    EscapeKey,
    CloseMessage,
    CloseBox,
    EnterOnCheckBox,
    TrayMenuExit,
    TrayMenuExitWhileHidden,
    CloseCommand,
};

struct Ending {
    Way way;
    const char* name;
    // Whether this way is the cancel command, which runs the exit path with
    // its optional save.
    bool isCancel;
};

const Ending Endings[] = {
    {Way::ExitButton, "ExitButton", true},
    {Way::FileExitCommand, "FileExitCommand", true},
    {Way::EscapeKey, "EscapeKey", true},
    {Way::CloseMessage, "CloseMessage", true},
    {Way::CloseBox, "CloseBox", true},
    {Way::EnterOnCheckBox, "EnterOnCheckBox", false},
    {Way::TrayMenuExit, "TrayMenuExit", false},
    {Way::TrayMenuExitWhileHidden, "TrayMenuExitWhileHidden", false},
    {Way::CloseCommand, "CloseCommand", false},
};

// Names the way in test output instead of its bytes.
void PrintTo(const Ending& ending, std::ostream* out) {
    *out << ending.name;
}

// The boxes the tests check before ending: "Real Player" and "Recycle bin".
constexpr DWORD CheckedSelection = 0x81;
constexpr int MaxTabPresses = 12;
constexpr DWORD InstallerTimeout = 60000;

class EndingTest : public QuenbyTest, public testing::WithParamInterface<Ending> {
protected:
    // Ends the program the given way, as the user or Windows does.
    void EndBy(Way way) {
        switch (way) {
        case Way::ExitButton:
            PostMessageA(Control(IdExit), BM_CLICK, 0, 0);
            break;
        case Way::FileExitCommand:
            PostMessageA(Main(), WM_COMMAND, CommandExit, 0);
            break;
        case Way::EscapeKey:
            Press(VK_ESCAPE);
            break;
        case Way::CloseMessage:
            PostMessageA(Main(), WM_CLOSE, 0, 0);
            break;
        case Way::CloseBox:
            PostMessageA(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Way::EnterOnCheckBox:
            FocusACheckBox();
            Press(VK_RETURN);
            break;
        case Way::TrayMenuExitWhileHidden:
            ASSERT_TRUE(SendWithin(Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0));
            ASSERT_FALSE(IsWindowVisible(Main()));
            [[fallthrough]];
        case Way::TrayMenuExit:
            ASSERT_TRUE(OpenTrayMenu(WM_RBUTTONDOWN)) << "no tray menu";
            ChooseMenuItem(1); // "Exit"
            break;
        case Way::CloseCommand: {
            const std::string& program = Options().quenbyPath;
            QuenbyProcess closer(program.substr(0, program.rfind('\\') + 1) + "QuenbyCmd.exe",
                                 "close");
            ASSERT_TRUE(closer.WaitForExit(InstallerTimeout));
            EXPECT_EQ(closer.ExitCode(), 0u);
            break;
        }
        }
    }

    // Moves the focus with Tab until a check box has it.
    void FocusACheckBox() {
        for (int i = 0; i < MaxTabPresses; ++i) {
            int id = GetDlgCtrlID(Focus());
            if (id >= IdFirstCheckBox && id <= IdLastCheckBox)
                return;
            HWND before = Focus();
            Press(VK_TAB);
            WaitUntil([&] { return Focus() != before; });
        }
        FAIL() << "Tab never reached a check box";
    }

    // Checks the boxes of CheckedSelection by clicking them.
    void CheckBoxes() {
        for (int i = 0; i < CheckBoxCount; ++i) {
            if (CheckedSelection & (1u << i)) {
                ASSERT_TRUE(SendWithin(Control(IdFirstCheckBox + i), BM_CLICK, 0, 0));
            }
        }
        for (int i = 0; i < CheckBoxCount; ++i) {
            LRESULT want = (CheckedSelection & (1u << i)) ? BST_CHECKED : BST_UNCHECKED;
            ASSERT_EQ(SendMessageA(Control(IdFirstCheckBox + i), BM_GETCHECK, 0, 0), want)
                << "box " << IdFirstCheckBox + i;
        }
    }

    void ExpectEnded(HWND main) {
        EXPECT_TRUE(Process().WaitForExit(ShortTimeout)) << "the program still runs";
        EXPECT_EQ(Tray().Requests(NIM_DELETE, main).size(), 1u)
            << "the program did not ask once to remove its icon";
        for (const TrayRequest& removal : Tray().Requests(NIM_DELETE, main))
            EXPECT_EQ(removal.id, 0u) << "removal of another icon than the one added";
        EXPECT_FALSE(TrayIconExists(main)) << "the notification-area icon remains";
        EXPECT_TRUE(TopLevelWindows(Process().ProcessId()).empty()) << "a window remains";
    }
};

TEST_P(EndingTest, EndsTheProgramAndRemovesTheIcon) {
    HWND main = Start();
    ASSERT_TRUE(main);
    ASSERT_TRUE(TrayIconExists(main));
    ASSERT_NO_FATAL_FAILURE(EndBy(GetParam().way));
    ExpectEnded(main);
}

TEST_P(EndingTest, WithoutTheSaveOptionWritesNoSelection) {
    HWND main = Start();
    ASSERT_TRUE(main);
    CheckBoxes();
    ASSERT_NO_FATAL_FAILURE(EndBy(GetParam().way));
    ExpectEnded(main);
    EXPECT_FALSE(ReadDword(SettingsKey(QuenbyName), PlaceValue)) << "\"Place\" was written";
}

// "Process before windows shutdown" and "Auto run when windows start" play no
// part in an exit: no question, no save, no change to the "Run" key.
TEST_P(EndingTest, WithTheOtherOptionsAsksNothingAndWritesNothing) {
    const DWORD otherOptions = OptionCleanAtShutdown | OptionAutoRun;
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, otherOptions));
    RegistrySnapshot runBefore = TakeSnapshot(RunKey);
    HWND main = Start();
    ASSERT_TRUE(main);
    CheckBoxes();
    ASSERT_NO_FATAL_FAILURE(EndBy(GetParam().way));
    ExpectEnded(main);
    EXPECT_FALSE(ReadDword(SettingsKey(QuenbyName), PlaceValue)) << "\"Place\" was written";
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), OptionValue), otherOptions);
    EXPECT_TRUE(Differences(runBefore, TakeSnapshot(RunKey)).empty()) << "the Run key changed";
}

// The packages' tests' installer (QUENBY_TEST_*, all set) ends the hidden program,
// or, when that cannot answer, leaves it with 3010; a copy elsewhere runs on.
TEST_F(EndingTest, AnInstallerEndsOnlyTheCopyOfItsFolder) {
    const char* installer = std::getenv("QUENBY_TEST_INSTALLER");
    const char* hangSet = std::getenv("QUENBY_TEST_HANG");
    const bool hang = hangSet && *hangSet;
    if (!installer)
        GTEST_SKIP() << "for the packages' tests";
    ASSERT_TRUE(StartProgram(CopyProgram("elsewhere", "Quenby.exe")));
    QuenbyProcess& elsewhere = Process();
    HWND main = Start();
    ASSERT_TRUE(main && SendWithin(main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    platform::UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, Process().ThreadId()));
    ASSERT_TRUE(!hang || SuspendThread(thread.get()) == 0);
    QuenbyProcess run(installer, std::getenv("QUENBY_TEST_INSTALLER_ARGS"));
    ASSERT_TRUE(run.WaitForExit(InstallerTimeout));
    EXPECT_EQ(run.ExitCode(), hang ? 3010u : 0u) << installer;
    EXPECT_EQ(Process().IsRunning(), hang);
    ResumeThread(thread.get()); // the request waits in its queue
    ExpectEnded(main);
    EXPECT_TRUE(elsewhere.IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Ways, EndingTest, testing::ValuesIn(Endings),
                         [](const testing::TestParamInfo<Ending>& info) {
                             return std::string(info.param.name);
                         });

// With "Save settings as default when exit" stored, the cancel command saves
// the boxes as they are on screen; Enter and the tray menu's "Exit" end the
// program without that save.
class SaveAtExitTest : public EndingTest {};

TEST_P(SaveAtExitTest, SavesTheSelectionOnlyOnTheCancelCommand) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, OptionSaveAtExit));
    HWND main = Start();
    ASSERT_TRUE(main);
    CheckBoxes();
    ASSERT_NO_FATAL_FAILURE(EndBy(GetParam().way));
    ExpectEnded(main);
    std::optional<DWORD> place = ReadDword(SettingsKey(QuenbyName), PlaceValue);
    if (GetParam().isCancel) {
        ASSERT_TRUE(place) << "\"Place\" was not written";
        EXPECT_EQ(*place, CheckedSelection);
    } else {
        EXPECT_FALSE(place) << "\"Place\" was written: " << place.value_or(0);
    }
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), OptionValue), OptionSaveAtExit);
}

// With every option stored, the cancel command saves a selection cleared on
// screen as 0 (the value stays); the other ways keep the stored one.
TEST_P(SaveAtExitTest, WithAllOptionsSavesAClearedSelectionAsZeroOnlyOnTheCancelCommand) {
    const DWORD allOptions = OptionCleanAtShutdown | OptionSaveAtExit | OptionAutoRun;
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, allOptions));
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), PlaceValue, CheckedSelection));
    HWND main = Start();
    ASSERT_TRUE(main);
    ASSERT_EQ(BoxesOnScreen(), CheckedSelection);
    SetBoxes(0);
    ASSERT_NO_FATAL_FAILURE(EndBy(GetParam().way));
    ExpectEnded(main);
    DWORD expected = GetParam().isCancel ? 0 : CheckedSelection;
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), expected);
}

INSTANTIATE_TEST_SUITE_P(Ways, SaveAtExitTest, testing::ValuesIn(Endings),
                         [](const testing::TestParamInfo<Ending>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace gui
