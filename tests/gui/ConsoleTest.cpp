// QuenbyCmd, the console program, run as a script runs it: its preview of
// traces of all eight kinds changes nothing, its clean of the saved
// selection cleans exactly that, and its exit statuses.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/Traces.h"

#include <utility>

namespace gui {
namespace {

constexpr const char* ConsoleProgram = "QuenbyCmd.exe";
constexpr DWORD ConsoleTimeoutMs = 60000;
constexpr DWORD ReadSize = 4096;
constexpr const char* SavedEntry = "Place";

struct ConsoleRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out;
    std::string err;
};

// Moves what the pipe holds into `text`.
void Drain(HANDLE pipe, std::string& text) {
    DWORD available = 0;
    char buffer[ReadSize];
    DWORD read = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available &&
           ReadFile(pipe, buffer, ReadSize, &read, nullptr) && read)
        text.append(buffer, read);
}

// Runs the console program beside the program under test, with `input` as
// its standard input and its output read through pipes.
ConsoleRun RunConsole(const std::string& arguments, const std::string& input = "") {
    ConsoleRun run;
    const std::string exe =
        Options().quenbyPath.substr(0, Options().quenbyPath.find_last_of('\\') + 1) +
        ConsoleProgram;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    platform::UniqueHandle inRead, inWrite, outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(inRead.put(), inWrite.put(), &inherit, 0) ||
        !CreatePipe(outRead.put(), outWrite.put(), &inherit, 0) ||
        !CreatePipe(errRead.put(), errWrite.put(), &inherit, 0))
        return run;
    SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << exe << " (error " << GetLastError() << ")";
        return run;
    }
    platform::UniqueHandle process(info.hProcess), thread(info.hThread);
    DWORD written = 0;
    WriteFile(inWrite.get(), input.data(), DWORD(input.size()), &written, nullptr);
    inWrite.reset();
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(process.get(), 10) == WAIT_TIMEOUT &&
           GetTickCount() - started < ConsoleTimeoutMs) {
        Drain(outRead.get(), run.out);
        Drain(errRead.get(), run.err);
    }
    Drain(outRead.get(), run.out);
    Drain(errRead.get(), run.err);
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

bool Says(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(QuenbyTest, ConsolePreviewOfAllEightKindsChangesNothing) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets));
    const TreeSnapshot before = traces.Capture(true);
    const RegistrySnapshot settings = TakeSnapshot(CompanyKey);

    const ConsoleRun text = RunConsole("preview --all");
    EXPECT_EQ(text.exitCode, 0u) << text.err;
    for (const char* part :
         {"[realplayer]\n  would delete 8 keys", "MostRecentClips8", "RecentFileList\\File3\n",
          "would zero 3 index files", "History.IE5\\DESKTOP.INI", "TypedURLs\\Extra\\note",
          "e161255a-37c3-11d2-bcaa-00c04fd929db\\Level1\\Level2", "IntelliForms\\SPW",
          "the recycle bin: 1 item"})
        EXPECT_TRUE(Says(text.out, part)) << "no \"" << part << "\" in:\n" << text.out;
    const ConsoleRun json = RunConsole("preview --all --json");
    EXPECT_EQ(json.exitCode, 0u) << json.err;
    EXPECT_TRUE(Says(json.out, "\"name\": \"recycle-bin\"") &&
                Says(json.out, "\"recycleBin\": {\"items\": 1,"))
        << json.out;

    EXPECT_EQ(JoinLines(Differences(before, traces.Capture(true))), "");
    EXPECT_EQ(JoinLines(Differences(settings, TakeSnapshot(CompanyKey))), "");
}

TEST_F(QuenbyTest, ConsoleCleanOfTheSavedSelectionCleansExactlyThat) {
    // The history's planted index file is held open without shared deletion.
    const std::pair<DWORD, DWORD> runs[] = {
        {AllTargets & ~(1u << TargetIEHistory), 0},
        {(1u << TargetIEHistory) | (1u << TargetRealPlayer), 1}};
    for (const auto& [saved, status] : runs) {
        Traces traces;
        ASSERT_TRUE(traces.Plant(AllTargets));
        ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), SavedEntry, saved));
        const TreeSnapshot before = traces.Capture();

        const ConsoleRun run = RunConsole("clean --saved --yes");
        EXPECT_EQ(run.exitCode, status) << run.out << run.err;
        EXPECT_EQ(JoinLines(Differences(traces.AfterClean(before, saved), traces.Capture())), "")
            << "saved selection 0x" << std::hex << saved;
        if (status == 1) {
            EXPECT_TRUE(Says(run.out, "could not remove:\n    file ") &&
                        Says(run.out, "History.IE5\\index.dat: "))
                << run.out;
            traces.ExpectHeldIndexFileWiped();
        }
    }
}

TEST_F(QuenbyTest, ConsoleBadInputAndNoAnswerCleanNothing) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets));
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), SavedEntry, AllTargets));
    const TreeSnapshot before = traces.Capture();
    const std::pair<const char*, DWORD> runs[] = {{"", 2},
                                                  {"bogus", 2},
                                                  {"clean", 2},
                                                  {"clean nosuch", 2},
                                                  {"clean --all --saved", 2},
                                                  {"clean history --json", 2},
                                                  {"preview --yes", 2},
                                                  {"list --all", 2},
                                                  {"clean recent --frobnicate", 2},
                                                  {"clean --all", 1},
                                                  {"clean --saved", 1}};
    for (const auto& [arguments, status] : runs) {
        const ConsoleRun run = RunConsole(arguments, status == 1 ? "n\n" : "y\n");
        EXPECT_EQ(run.exitCode, status) << "QuenbyCmd " << arguments << "\n" << run.out << run.err;
        EXPECT_EQ(status == 2, !run.err.empty()) << arguments << ": " << run.err;
        EXPECT_EQ(JoinLines(Differences(before, traces.Capture())), "") << arguments;
    }
    EXPECT_TRUE(Says(RunConsole("clean nosuch").err, "realplayer, mediaplayer, recent, history"));
    EXPECT_EQ(RunConsole("--help").exitCode, 0u);
}

// "close" while "Are you sure to clean?" waits cleans nothing: only Yes cleans.
TEST_F(QuenbyTest, ConsoleCloseDuringTheCleanQuestionCleansNothing) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets));
    const TreeSnapshot before = traces.Capture();
    ASSERT_TRUE(Start());
    SetBoxes(AllTargets);
    PostMessageA(Control(IdClean), BM_CLICK, 0, 0);
    ASSERT_TRUE(ExpectMessageBox(CleanQuestion));
    EXPECT_EQ(RunConsole("close").exitCode, 0u);
    EXPECT_EQ(JoinLines(Differences(before, traces.Capture())), "");
}

} // namespace
} // namespace gui
