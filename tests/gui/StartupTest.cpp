// Start-up and identity: the command line is not read, the settings key is
// named after the executable, nothing else lands in the registry, and the
// help command shows nothing of the program's own.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

namespace gui {
namespace {

constexpr const char* SoftwareKey = "Software";
constexpr const char* HelpViewerClass = "HH Parent";
// The title of the help file that the build makes.
constexpr const char* HelpFileTitle = "Quenby Help";
// HTML Help opens its viewer inside the call and loads COM components for it,
// which can take seconds in a fresh prefix.
constexpr DWORD HelpTimeout = 20000;

// What a start and an exit may add below HKCU\Software: the settings key and
// the keys above it.
std::vector<std::string> SettingsKeyCreation(const std::string& applicationName) {
    std::string company = CompanyKey;
    std::string application = company + "\\" + applicationName;
    return {"added " + company + "\\ = key", "added " + application + "\\ = key",
            "added " + SettingsKey(applicationName) + "\\ = key"};
}

class StartupTest : public QuenbyTest {
protected:
    // Ends the program with its "E&xit" button and waits until it is gone.
    void ExitByButton() {
        PostMessageA(Control(IdExit), BM_CLICK, 0, 0);
        EXPECT_TRUE(Process().WaitForExit(ShortTimeout)) << "the program still runs";
    }
};

TEST_F(StartupTest, CommandLineArgumentsChangeNothing) {
    const char* argumentSets[] = {"/hide", "-clean --minimized /s", "C:\\nothing.txt \"a b\" 7"};
    for (const char* arguments : argumentSets) {
        SCOPED_TRACE(std::string("arguments: ") + arguments);
        RegistrySnapshot before = TakeSnapshot(SoftwareKey);
        HWND main = Start(arguments);
        ASSERT_TRUE(main);
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_FALSE(IsIconic(main));
        EXPECT_TRUE(TrayIconExists(main));
        EXPECT_EQ(Focus(), Control(IdClean));
        for (int id = IdFirstCheckBox; id <= IdLastCheckBox; ++id)
            EXPECT_EQ(SendMessageA(Control(id), BM_GETCHECK, 0, 0), BST_UNCHECKED) << id;
        EXPECT_TRUE(DialogsOf(Process().ProcessId(), main).empty()) << "a message box opened";
        ExitByButton();
        EXPECT_EQ(JoinLines(Differences(before, TakeSnapshot(SoftwareKey))),
                  JoinLines(SettingsKeyCreation(QuenbyName)));
        DeleteKeyTree(CompanyKey);
    }
}

TEST_F(StartupTest, StartAndExitWriteNothingButTheSettingsKey) {
    RegistrySnapshot before = TakeSnapshot(SoftwareKey);
    RegistrySnapshot runBefore = TakeSnapshot(RunKey);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(KeyExists(SettingsKey(QuenbyName))) << "the settings key is made at start";
    ExitByButton();
    EXPECT_EQ(JoinLines(Differences(before, TakeSnapshot(SoftwareKey))),
              JoinLines(SettingsKeyCreation(QuenbyName)));
    EXPECT_EQ(JoinLines(Differences(runBefore, TakeSnapshot(RunKey))), "");
}

TEST_F(StartupTest, ACopyUnderAnotherNameUsesItsOwnSettingsKey) {
    std::string other = CopyProgram("renamed", "Other.exe");
    ASSERT_FALSE(other.empty());
    RegistrySnapshot before = TakeSnapshot(SoftwareKey);
    ASSERT_TRUE(StartProgram(other));
    EXPECT_TRUE(KeyExists(SettingsKey("Other")));
    ExitByButton();
    EXPECT_FALSE(KeyExists(std::string(CompanyKey) + "\\" + QuenbyName))
        << "the copy used the settings of Quenby.exe";
    EXPECT_EQ(JoinLines(Differences(before, TakeSnapshot(SoftwareKey))),
              JoinLines(SettingsKeyCreation("Other")));
}

TEST_F(StartupTest, TwoCopiesRunSideBySideEachWithItsOwnIcon) {
    HWND first = Start();
    ASSERT_TRUE(first);
    QuenbyProcess& firstProcess = Process();
    HWND second = Start();
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_TRUE(TrayIconExists(first));
    EXPECT_TRUE(TrayIconExists(second));
    ExitByButton();
    EXPECT_FALSE(TrayIconExists(second));
    EXPECT_TRUE(TrayIconExists(first)) << "ending one copy removed the other's icon";
    EXPECT_TRUE(firstProcess.IsRunning());
}

class HelpCommandTest : public QuenbyTest {
protected:
    // Gives the help command and checks that the program answers it without
    // a message box of its own. HTML Help's own viewer window, when it
    // appears, is the component's and is closed here.
    // Answers the titles of the help viewers that opened.
    std::vector<std::string> GiveHelpCommand() {
        EXPECT_TRUE(SendWithin(Main(), WM_COMMAND, CommandHelpTopics, 0, HelpTimeout))
            << "the help command waits for something";
        std::vector<HWND> dialogs = DialogsOf(Process().ProcessId(), Main());
        for (HWND dialog : dialogs)
            ADD_FAILURE() << "a box titled \"" << WindowText(dialog) << "\" opened";
        std::vector<std::string> viewers;
        for (HWND viewer : TopLevelWindows(Process().ProcessId(), HelpViewerClass)) {
            viewers.push_back(WindowText(viewer));
            PostMessageA(viewer, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(Process().IsRunning());
        EXPECT_TRUE(SendWithin(Main(), WM_NULL, 0, 0)) << "the window does not answer";
        return viewers;
    }
};

TEST_F(HelpCommandTest, WithoutAHelpFileShowsNoMessage) {
    std::string program = CopyProgram("nohelp", "Quenby.exe");
    ASSERT_FALSE(program.empty());
    ASSERT_TRUE(StartProgram(program));
    GiveHelpCommand();
}

// From a 240-character folder: the module path, read up to 256, is cut in its file name.
TEST_F(HelpCommandTest, WithAHelpFileOpensItBesideTheProgramAndShowsNoMessage) {
    if (Options().helpFilePath.empty())
        GTEST_SKIP() << "the runner could not make a help file";
    const std::string folder(240 - Options().scratchFolder.size() - 1, 'h');
    std::string program = CopyProgram(folder, "Quenby-copy.exe");
    ASSERT_FALSE(program.empty());
    std::string helpFolder = Options().scratchFolder + "\\" + folder + "\\help";
    CreateDirectoryA(helpFolder.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileA(Options().helpFilePath.c_str(), (helpFolder + "\\Quenby.chm").c_str(), FALSE));
    ASSERT_TRUE(StartProgram(program));
    std::vector<std::string> viewers = GiveHelpCommand();
    // The viewer carries the title stored in the file: the program opened
    // <its folder>\help\Quenby.chm.
    EXPECT_EQ(JoinLines(viewers), std::string(HelpFileTitle) + "\n");
}

TEST_F(HelpCommandTest, OpensTheHelpShippedBesideTheProgram) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(JoinLines(GiveHelpCommand()), std::string(HelpFileTitle) + "\n");
}

} // namespace
} // namespace gui
