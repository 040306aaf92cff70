// The options dialog: its template as the user sees it, the boxes it shows for
// the stored "Option", what OK and Cancel write, the start-with-Windows entry
// under the current user's "Run" key, the save option at the next exit, and
// the scheduled clean's task.
#include "tests/gui/Files.h"
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

namespace gui {
namespace {

constexpr DWORD TemplateStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
// The dialog manager adds DS_3DLOOK and shows the dialog; the window manager
// clips every top-level window against its siblings; a modal frame with a
// caption brings the extended styles.
constexpr DWORD SystemAddedStyle = WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK;
constexpr DWORD SystemAddedExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
constexpr int DialogWidth = 330;
constexpr int DialogHeight = 109;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD LabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
// The list's scroll bar is the drop-down list's, not the box's.
constexpr DWORD ListStyle = ChildStyle | CBS_DROPDOWNLIST;

// The schedule's controls: when (Off, Daily, Weekly, At sign-in), the day
// (from Monday), the time and the last clean's outcome.
constexpr int IdScheduleKind = 1022;
constexpr int IdScheduleDay = 1024;
constexpr int IdScheduleTime = 1026;
constexpr int IdLastClean = 1027;
constexpr WPARAM Daily = 1, Weekly = 2, Off = 0, Friday = 4;

// The Run value is the whole 128-byte path buffer.
constexpr size_t RunValueSize = 128;
constexpr const char* SpacedFolder = "folder with spaces";
// A folder path long enough that the program's path passes 128 characters.
constexpr size_t LongPathLength = 160;
constexpr const char* DeepFolderName = "a folder further down";

struct ExpectedControl {
    int id;
    DWORD style;
    const char* text;
    RECT units; // x, y, width, height in dialog units
    const char* windowClass = "Button";
};

// clang-format off
const ExpectedControl Controls[] = {
    {IDOK, ChildStyle | BS_DEFPUSHBUTTON, "OK", {21, 66, 50, 14}},
    {IDCANCEL, ChildStyle | BS_PUSHBUTTON, "Cancel", {97, 66, 50, 14}},
    {1002, ChildStyle | BS_AUTOCHECKBOX, "Process before windows shutdown", {7, 7, 127, 10}},
    {1003, ChildStyle | BS_AUTOCHECKBOX, "Save settings as default when exit", {7, 25, 127, 10}},
    {1004, ChildStyle | BS_AUTOCHECKBOX, "Auto run when windows start", {7, 42, 126, 10}},
    // With the schedule off, its day and time are disabled.
    {1020, WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX, "Clean on a schedule", {170, 3, 153, 99}},
    {1021, LabelStyle, "&Run:", {178, 17, 50, 8}, "Static"},
    {1022, ListStyle, "Off", {230, 15, 86, 60}, "ComboBox"},
    {1023, LabelStyle | WS_DISABLED, "&Day:", {178, 33, 50, 8}, "Static"},
    {1024, ListStyle | WS_DISABLED, "Monday", {230, 31, 86, 100}, "ComboBox"},
    {1025, LabelStyle | WS_DISABLED, "&Time (HH:MM):", {178, 49, 50, 8}, "Static"},
    {1026, ChildStyle | ES_AUTOHSCROLL | WS_DISABLED, "20:00", {230, 47, 32, 12}, "Edit"},
    {1027, LabelStyle | SS_NOPREFIX, "Last scheduled clean: not yet run.", {178, 64, 138, 34},
     "Static"},
};
// clang-format on

// The file name after the path's last backslash: the Run value's name.
std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

class OptionsDialogTest : public QuenbyTest {
protected:
    // Windows always has the current user's "Run" key; a fresh Wine prefix
    // does not. It is made here when missing and removed again afterwards,
    // with every value the test added to it.
    void SetUp() override {
        QuenbyTest::SetUp();
        m_createdRunKey = FirstMissingKey(RunKey);
        ASSERT_TRUE(CreateKey(RunKey));
        m_runBefore = TakeSnapshot(RunKey);
    }

    void TearDown() override {
        QuenbyTest::TearDown();
        if (Options().keepState)
            return;
        for (const auto& [entry, value] : TakeSnapshot(RunKey)) {
            if (!m_runBefore.count(entry))
                DeleteValue(RunKey, entry.substr(std::string(RunKey).size() + 1).c_str());
        }
        if (!m_createdRunKey.empty())
            DeleteKeyTree(m_createdRunKey);
    }

    // Gives the "Options..." command and waits for the dialog.
    HWND OpenOptions() {
        PostMessageA(Main(), WM_COMMAND, CommandOptions, 0);
        HWND dialog = WaitForDialog();
        if (!dialog) {
            ADD_FAILURE() << "no options dialog opened";
            return nullptr;
        }
        EXPECT_EQ(WindowText(dialog), OptionsTitle);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), Main()) << "the dialog belongs to the main window";
        EXPECT_FALSE(IsWindowEnabled(Main())) << "the dialog is modal to the main window";
        return dialog;
    }

    DWORD OptionsShown(HWND dialog) {
        DWORD options = 0;
        for (int i = 0; i < OptionCount; ++i) {
            if (SendMessageA(GetDlgItem(dialog, IdFirstOption + i), BM_GETCHECK, 0, 0) ==
                BST_CHECKED)
                options |= 1u << i;
        }
        return options;
    }

    void Toggle(HWND dialog, DWORD optionBit) {
        for (int i = 0; i < OptionCount; ++i) {
            if (optionBit & (1u << i)) {
                EXPECT_TRUE(SendWithin(GetDlgItem(dialog, IdFirstOption + i), BM_CLICK, 0, 0));
            }
        }
    }

    // Ends the dialog with a button and waits until the main window is back.
    void Close(HWND dialog, int buttonId) {
        Answer(dialog, buttonId);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main()) != FALSE; }))
            << "the main window stays disabled";
    }

    // Opens the dialog, toggles `toggled`, presses OK.
    // Chooses in a combo box of the dialog as the user does: the selection
    // changes, and the dialog hears of it.
    static void Choose(HWND dialog, int id, WPARAM item) {
        HWND list = GetDlgItem(dialog, id);
        EXPECT_TRUE(SendWithin(list, CB_SETCURSEL, item, 0));
        EXPECT_TRUE(SendWithin(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(list)));
    }

    std::string StoredSchedule() {
        std::optional<RawValue> value = ReadValue(SettingsKey(QuenbyName), "Schedule");
        return value ? value->bytes.c_str() : "";
    }

    void ChangeOptions(DWORD toggled) {
        HWND dialog = OpenOptions();
        ASSERT_TRUE(dialog);
        Toggle(dialog, toggled);
        Close(dialog, IDOK);
    }

    std::optional<DWORD> StoredOptions(const std::string& application = QuenbyName) {
        return ReadDword(SettingsKey(application), OptionValue);
    }

    std::string RunChanges() { return JoinLines(Differences(m_runBefore, TakeSnapshot(RunKey))); }

    // Checks the Run value that `program` wrote for itself: named after its
    // file, REG_SZ, its full path in quotes in the 128-byte buffer, and
    // nothing but zeros after the path (no stray memory in the registry).
    void ExpectRunValueFor(const std::string& program) {
        std::optional<RawValue> value = ReadValue(RunKey, FileNameOf(program).c_str());
        ASSERT_TRUE(value) << "no Run value named " << FileNameOf(program);
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->bytes.size(), RunValueSize);
        EXPECT_EQ(std::string(value->bytes.c_str()), Quoted(program)) << "the path in the value";
        EXPECT_EQ(value->bytes.find_first_not_of('\0', program.size() + 2), std::string::npos)
            << "bytes after the path";
    }

    static std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

    // Starts the Run value of `program` as Windows starts it at log-on, as a
    // command line, where an unquoted path with spaces is tried piece by
    // piece. A copy of the program waits where a cut path leads
    // (C:\Program.exe for C:\Program Files\...): the program must start.
    void ExpectRunValueStartsOnlyTheProgram(const std::string& program) {
        ASSERT_NE(program.find(' '), std::string::npos) << program;
        const std::string decoy = program.substr(0, program.find(' ')) + ".exe";
        ASSERT_TRUE(CopyFileA(program.c_str(), decoy.c_str(), TRUE)) << decoy;
        std::optional<RawValue> value = ReadValue(RunKey, FileNameOf(program).c_str());
        ASSERT_TRUE(value);
        EXPECT_TRUE(StartProgram("", value->bytes.c_str()));
        EXPECT_EQ(_stricmp(Process().ImagePath().c_str(), program.c_str()), 0)
            << "the Run value started " << Process().ImagePath();
        EXPECT_TRUE(Process().End());
        EXPECT_TRUE(DeleteFileA(decoy.c_str())) << decoy;
    }

    RegistrySnapshot m_runBefore;
    // The part of the Run key's path that SetUp created; empty when it existed.
    std::string m_createdRunKey;
};

TEST_F(OptionsDialogTest, ShowsTemplate136WithTheFocusOnOk) {
    ASSERT_TRUE(Start());
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ClassName(dialog), "#32770");
    DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    EXPECT_EQ(style & ~SystemAddedStyle, TemplateStyle) << std::hex << "style 0x" << style;
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & ~SystemAddedExStyle, 0u) << std::hex << "extended style 0x" << exStyle;

    std::optional<POINT> baseUnits = BaseUnitsWithClientSize(dialog, DialogWidth, DialogHeight);
    ASSERT_TRUE(baseUnits);

    std::vector<HWND> children = ChildWindows(dialog);
    ASSERT_EQ(children.size(), std::size(Controls)) << "controls of the dialog";
    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& expected = Controls[i];
        HWND child = children[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(expected.id));
        EXPECT_EQ(GetDlgCtrlID(child), expected.id);
        EXPECT_EQ(_stricmp(ClassName(child).c_str(), expected.windowClass), 0) << ClassName(child);
        DWORD childStyle = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ(childStyle, expected.style)
            << std::hex << "style 0x" << childStyle << ", expected 0x" << expected.style;
        EXPECT_EQ(WindowText(child), expected.text);
        RECT seen{};
        GetWindowRect(child, &seen);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&seen), 2);
        RECT want = DialogUnitsToPixels(expected.units, *baseUnits);
        if (expected.windowClass == std::string("ComboBox"))
            want.bottom = seen.bottom; // the list's height is not the box's
        EXPECT_TRUE(EqualRect(&seen, &want))
            << "at " << DescribeRect(seen) << ", expected " << DescribeRect(want);
    }

    EXPECT_EQ(Focus(), GetDlgItem(dialog, IDOK)) << "focus on control " << GetDlgCtrlID(Focus());
    HWND current = GetDlgItem(dialog, IDOK);
    for (int expected : {IDCANCEL, 1002, 1003, 1004, IdScheduleKind, IDOK}) {
        current = GetNextDlgTabItem(dialog, current, FALSE);
        EXPECT_EQ(GetDlgCtrlID(current), expected) << "next tab stop";
    }
    Close(dialog, IDCANCEL);
}

TEST_F(OptionsDialogTest, WithoutOptionShowsNothingCheckedAndOkStoresZeroLeavingRunAlone) {
    ASSERT_TRUE(Start());
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(OptionsShown(dialog), 0u);
    Close(dialog, IDOK);
    EXPECT_EQ(StoredOptions(), DWORD{0});
    EXPECT_EQ(RunChanges(), "");
}

TEST_F(OptionsDialogTest, ShowsTheStoredBitsAsBoxes) {
    ASSERT_TRUE(
        WriteDword(SettingsKey(QuenbyName), OptionValue, OptionCleanAtShutdown | OptionAutoRun));
    ASSERT_TRUE(Start());
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(OptionsShown(dialog), OptionCleanAtShutdown | OptionAutoRun);
    Close(dialog, IDCANCEL);
}

TEST_F(OptionsDialogTest, AutoRunWritesTheFullPathAndRemovesOnlyItsOwnValue) {
    std::string other = CopyProgram(SpacedFolder, "Other.exe");
    std::string quenby = CopyProgram(SpacedFolder, "Quenby.exe");
    ASSERT_FALSE(other.empty() || quenby.empty());

    ASSERT_TRUE(StartProgram(other));
    ChangeOptions(OptionAutoRun);
    EXPECT_EQ(StoredOptions("Other"), OptionAutoRun);
    ExpectRunValueFor(other);

    ASSERT_TRUE(StartProgram(quenby));
    ChangeOptions(OptionAutoRun);
    EXPECT_EQ(StoredOptions(), OptionAutoRun);
    ExpectRunValueFor(quenby);

    ChangeOptions(OptionAutoRun);
    EXPECT_EQ(StoredOptions(), DWORD{0});
    EXPECT_FALSE(ValueExists(RunKey, FileNameOf(quenby).c_str())) << "the value stays";
    ExpectRunValueFor(other);
    ExpectRunValueStartsOnlyTheProgram(other);
}

// The program as shipped: in the packages' tests, the entry stays for the
// uninstaller to remove, and the one in Program Files starts from it.
TEST_F(OptionsDialogTest, AutoRunOfTheProgramUnderTestNamesItsOwnPath) {
    ASSERT_TRUE(Start());
    ChangeOptions(OptionAutoRun);
    EXPECT_EQ(StoredOptions(), OptionAutoRun);
    ExpectRunValueFor(Options().quenbyPath);
    if (Options().quenbyPath.find(' ') != std::string::npos)
        ExpectRunValueStartsOnlyTheProgram(Options().quenbyPath);
}

// A path that does not fit 127 characters is written whole, never cut: a cut
// path would start another file or none.
TEST_F(OptionsDialogTest, AutoRunWritesALongPathWhole) {
    std::string folder = SpacedFolder;
    while (Options().scratchFolder.size() + folder.size() < LongPathLength)
        folder += "\\" + std::string(DeepFolderName);
    std::string program = CopyProgram(folder, "Quenby.exe");
    ASSERT_FALSE(program.empty());
    ASSERT_GE(program.size(), RunValueSize);
    ASSERT_TRUE(StartProgram(program));
    ChangeOptions(OptionAutoRun);
    std::optional<RawValue> value = ReadValue(RunKey, "Quenby.exe");
    ASSERT_TRUE(value) << "no Run value";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(value->bytes.c_str()), Quoted(program)) << "the path in the value";
    EXPECT_GT(value->bytes.size(), program.size() + 2) << "the value holds no terminator";
}

TEST_F(OptionsDialogTest, OkWithAutoRunStillCheckedDoesNotRecreateADeletedValue) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, OptionAutoRun));
    ASSERT_TRUE(Start());
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(OptionsShown(dialog), OptionAutoRun);
    Close(dialog, IDOK);
    EXPECT_EQ(StoredOptions(), OptionAutoRun);
    EXPECT_EQ(RunChanges(), "");
}

// An entry an earlier version wrote without quotes still shows the option on;
// OK rewrites it quoted.
TEST_F(OptionsDialogTest, OkRewritesTheUnquotedEntryOfAnEarlierVersion) {
    std::string program = CopyProgram(SpacedFolder, "Quenby.exe");
    ASSERT_FALSE(program.empty());
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, OptionAutoRun));
    ASSERT_TRUE(WriteString(RunKey, "Quenby.exe", program));
    ASSERT_TRUE(StartProgram(program));
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(OptionsShown(dialog), OptionAutoRun);
    Close(dialog, IDOK);
    ExpectRunValueFor(program);
}

TEST_F(OptionsDialogTest, WithoutARunKeyStoresTheOptionAndCreatesNoKey) {
    // As in a fresh Wine prefix: the key is never created by the program.
    RegistrySnapshot runKey = TakeSnapshot(RunKey);
    if (runKey.size() > 1)
        GTEST_SKIP() << "the Run key holds values of others";
    DeleteKeyTree(RunKey);
    ASSERT_TRUE(Start());
    ChangeOptions(OptionAutoRun);
    EXPECT_EQ(StoredOptions(), OptionAutoRun);
    EXPECT_FALSE(KeyExists(RunKey)) << "the Run key was created";
    if (m_createdRunKey.empty())
        CreateKey(RunKey);
}

// Cancel, Escape and the close box end the dialog without writing anything.
enum class CancelWay { CancelButton, EscapeKey, CloseBox };

class CancelOptionsTest : public OptionsDialogTest,
                          public testing::WithParamInterface<CancelWay> {};

TEST_P(CancelOptionsTest, WritesNothingAndLeavesRunAsItWas) {
    const DWORD stored = OptionCleanAtShutdown | OptionAutoRun;
    std::string program = CopyProgram(SpacedFolder, "Quenby.exe");
    ASSERT_FALSE(program.empty());
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, stored));
    ASSERT_TRUE(WriteString(RunKey, "Quenby.exe", program));
    RegistrySnapshot runBefore = TakeSnapshot(RunKey);
    RegistrySnapshot settingsBefore = TakeSnapshot(CompanyKey);
    ASSERT_TRUE(StartProgram(program));
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    Toggle(dialog, OptionSaveAtExit | OptionAutoRun);
    EXPECT_EQ(OptionsShown(dialog), OptionCleanAtShutdown | OptionSaveAtExit);
    switch (GetParam()) {
    case CancelWay::CancelButton:
        PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        break;
    case CancelWay::EscapeKey:
        Press(VK_ESCAPE);
        break;
    case CancelWay::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "the dialog stays open";
    EXPECT_EQ(JoinLines(Differences(settingsBefore, TakeSnapshot(CompanyKey))), "");
    EXPECT_EQ(JoinLines(Differences(runBefore, TakeSnapshot(RunKey))), "");
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelOptionsTest,
                         testing::Values(CancelWay::CancelButton, CancelWay::EscapeKey,
                                         CancelWay::CloseBox),
                         [](const testing::TestParamInfo<CancelWay>& info) {
                             switch (info.param) {
                             case CancelWay::CancelButton:
                                 return "CancelButton";
                             case CancelWay::EscapeKey:
                                 return "EscapeKey";
                             case CancelWay::CloseBox:
                                 return "CloseBox";
                             }
                             return "Unknown";
                         });

// Daily at a time registers the user's task and keeps its copy, Weekly on a
// day replaces it, Off removes it; a time that is no time keeps the dialog
// open and writes nothing. The last scheduled clean's report shows.
TEST_F(OptionsDialogTest, ScheduleRegistersReplacesAndRemovesTheTaskAndShowsTheLastClean) {
    ASSERT_TRUE(MakeFolders(LastCleanFile().substr(0, LastCleanFile().find_last_of('\\'))));
    ASSERT_TRUE(PlantFile(LastCleanFile(), "{\"finished\": \"2026-12-08T06:30:02Z\", "
                                           "\"succeeded\": false, \"targets\": [{}]}"));
    // Quenby's copy of a schedule whose task is gone (uninstalled) shows Off.
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), "Schedule", "weekly friday 09:00"));
    ASSERT_TRUE(Start());
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IdScheduleKind)), "Off");
    EXPECT_NE(WindowText(GetDlgItem(dialog, IdLastClean)).find("some items could not be removed"),
              std::string::npos);
    Choose(dialog, IdScheduleKind, Daily);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IdScheduleTime)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IdScheduleDay)));
    SendWithin(GetDlgItem(dialog, IdScheduleTime), WM_SETTEXT, 0, LPARAM("7:3"));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        for (HWND window : DialogsOf(Process().ProcessId(), Main()))
            box = GetWindow(window, GW_OWNER) == dialog ? window : box;
        return box != nullptr;
    })) << "no message box for the bad time";
    Answer(box, IDOK);
    EXPECT_TRUE(IsWindow(dialog) && !ValueExists(SettingsKey(QuenbyName), OptionValue))
        << "a bad time closed the dialog or wrote the options";
    SendWithin(GetDlgItem(dialog, IdScheduleTime), WM_SETTEXT, 0, LPARAM("07:30"));
    Close(dialog, IDOK);
    EXPECT_EQ(StoredSchedule(), "daily 07:30");
    EXPECT_TRUE(PathExists(ScheduledTaskFile())) << ScheduledTaskFile();

    ASSERT_TRUE(dialog = OpenOptions());
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IdScheduleTime)), "07:30");
    Choose(dialog, IdScheduleKind, Weekly);
    Choose(dialog, IdScheduleDay, Friday);
    Close(dialog, IDOK);
    EXPECT_EQ(StoredSchedule(), "weekly friday 07:30");
    EXPECT_TRUE(PathExists(ScheduledTaskFile()));

    ASSERT_TRUE(dialog = OpenOptions());
    Choose(dialog, IdScheduleKind, Off);
    Close(dialog, IDOK);
    EXPECT_EQ(StoredSchedule(), "off");
    EXPECT_FALSE(PathExists(ScheduledTaskFile()));
    RemovePath(LastCleanFile());
}

TEST_F(OptionsDialogTest, SaveAtExitTakesEffectAtTheNextExitOfTheSameRun) {
    ASSERT_TRUE(Start());
    const DWORD selection = (1u << TargetRealPlayer) | (1u << TargetRecycleBin);
    SetBoxes(selection);
    ChangeOptions(OptionSaveAtExit);
    EXPECT_EQ(StoredOptions(), OptionSaveAtExit);
    EXPECT_FALSE(ValueExists(SettingsKey(QuenbyName), PlaceValue)) << "saved before the exit";
    PostMessageA(Control(IdExit), BM_CLICK, 0, 0);
    EXPECT_TRUE(Process().WaitForExit(ShortTimeout)) << "the program still runs";
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), selection);
}

} // namespace
} // namespace gui
