// The settings store, the start-with-Windows entry, the scheduled clean's
// task text and the last clean's report, against the real registry and
// files of the sandbox.
//
// The executable doubles as its own helper: started with --set-autorun=N it
// only calls SetAutoRun(N) and exits with its result, so a copy placed in a
// long folder shows what the entry holds for a long module path.

#include "framework/CWinApp.h"
#include "platform/Handles.h"

#include <shlwapi.h>
#include "settings/AutoRun.h"
#include "settings/CleanSchedule.h"
#include "settings/LastClean.h"
#include "settings/SavedSelection.h"
#include "settings/ScheduledTask.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <winsvc.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <string>
#include <vector>

namespace {

class SettingsTestApp : public CWinApp {};
SettingsTestApp theTestApp;

constexpr const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char kSettingsKey[] = "Software\\Marlowick software\\SettingsTest\\Settings";
constexpr const char kChildSwitch[] = "--set-autorun=";

std::string ModulePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

struct RegValue {
    bool exists = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

RegValue ReadValue(const char* keyPath, const char* name) {
    RegValue value;
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    if (RegQueryValueExA(key.get(), name, nullptr, &value.type, value.data.data(), &size) ==
        ERROR_SUCCESS)
        value.exists = true;
    value.data.resize(size);
    return value;
}

void WriteRawValue(const char* keyPath, const char* name, DWORD type, const void* data,
                   DWORD size) {
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

void EnsureRunKey() {
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
}

void DeleteRunValue(const std::string& name) {
    platform::UniqueHKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS)
        RegDeleteValueA(key.get(), name.c_str());
}

// Runs a copy of this executable at `exePath` as the --set-autorun helper.
DWORD RunChild(const std::string& exePath, int enable) {
    std::string commandLine = "\"" + exePath + "\" " + kChildSwitch + std::to_string(enable);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return 0xDEAD;
    platform::UniqueHandle processHandle(process.hProcess);
    platform::UniqueHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), 30000);
    DWORD exitCode = 0xBEEF;
    GetExitCodeProcess(processHandle.get(), &exitCode);
    return exitCode;
}

// A copy of this executable whose full path is exactly `length` characters,
// in folders whose names hold spaces.
std::string CopyToPathOfLength(size_t length) {
    const std::string base = "C:\\long folder with spaces";
    const std::string exeName = "Quenby Copy.exe";
    const size_t padding = length - (base.size() + 2 + exeName.size());
    const std::string folder = base + "\\" + std::string(padding, 'p');
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + exeName;
    CopyFileA(ModulePath().c_str(), path.c_str(), FALSE);
    return path;
}

} // namespace

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }
};

TEST_F(SettingsStoreTest, MissingValuesReadAsZeroAndTheKeyIsCreated) {
    EXPECT_EQ(0u, ReadCleanSelection());
    EXPECT_EQ(0u, ReadOptionFlags());

    platform::UniqueHKey key;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()))
        << "reading must create the Settings key";
    EXPECT_FALSE(ReadValue(kSettingsKey, kPlaceEntry).exists) << "reading must not write a value";
}

TEST_F(SettingsStoreTest, ValuesAreFourByteDwordsWithUndefinedBitsWrittenAsZero) {
    WriteCleanSelection(0x1FF);
    WriteOptionFlags(0xFF);

    RegValue place = ReadValue(kSettingsKey, kPlaceEntry);
    ASSERT_TRUE(place.exists);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), place.type);
    ASSERT_EQ(4u, place.data.size());
    EXPECT_EQ(0xFFu, *reinterpret_cast<DWORD*>(place.data.data()));
    EXPECT_EQ(0xFFu, ReadCleanSelection());

    RegValue option = ReadValue(kSettingsKey, kOptionEntry);
    ASSERT_TRUE(option.exists);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), option.type);
    EXPECT_EQ(7u, *reinterpret_cast<DWORD*>(option.data.data()));

    WriteCleanSelection(0);
    place = ReadValue(kSettingsKey, kPlaceEntry);
    EXPECT_TRUE(place.exists) << "an empty selection is stored as 0, not deleted";
    EXPECT_EQ(0u, ReadCleanSelection());
}

TEST_F(SettingsStoreTest, ValuesOfAnotherTypeOrSizeReadAsZero) {
    const char text[] = "5";
    WriteRawValue(kSettingsKey, kPlaceEntry, REG_SZ, text, sizeof(text));
    EXPECT_EQ(0u, ReadCleanSelection()) << "REG_SZ";

    const BYTE binary[4] = {0x05, 0, 0, 0};
    WriteRawValue(kSettingsKey, kPlaceEntry, REG_BINARY, binary, sizeof(binary));
    EXPECT_EQ(0u, ReadCleanSelection()) << "REG_BINARY of four bytes";

    const BYTE shortDword[2] = {0x05, 0};
    WriteRawValue(kSettingsKey, kOptionEntry, REG_DWORD, shortDword, sizeof(shortDword));
    EXPECT_EQ(0u, ReadOptionFlags()) << "REG_DWORD of two bytes";

    const ULONGLONG qword = 0x0000000500000007ull;
    WriteRawValue(kSettingsKey, kOptionEntry, REG_QWORD, &qword, sizeof(qword));
    EXPECT_EQ(0u, ReadOptionFlags()) << "REG_QWORD";
}

// Names with commas, percent signs, blanks at their ends and text outside the
// code page come back as they were; plain names are stored as they always
// were, and a value written by hand reads as before.
TEST_F(SettingsStoreTest, MoreTracesKeepEveryNameAndReadOlderValuesTheSame) {
    const std::vector<std::wstring> names = {L"chrome-history", L"winapp2:A, B", L"100%",
                                             L" padded ", L"Notepad++ \u00e9\u4e2d"};
    WriteMoreTraces(names);
    EXPECT_EQ(names, ReadMoreTraces());
    EXPECT_EQ(names, ReadSavedMoreTraces("SettingsTest"));
    wchar_t stored[256] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(ERROR_SUCCESS, SHGetValueW(HKEY_CURRENT_USER,
                                         L"Software\\Marlowick software\\"
                                         L"SettingsTest\\Settings",
                                         L"MoreTraces", nullptr, stored, &size));
    EXPECT_EQ(std::wstring(L"chrome-history,winapp2:A%2C B,100%25,%20padded%20,"
                           L"Notepad++ \u00e9\u4e2d"),
              stored);

    const char older[] = " chrome-history , temp,,50%,%zz";
    WriteRawValue(kSettingsKey, kMoreTracesEntry, REG_SZ, older, sizeof older);
    EXPECT_EQ((std::vector<std::wstring>{L"chrome-history", L"temp", L"50%", L"%zz"}),
              ReadMoreTraces());
    WriteMoreTraces({});
    EXPECT_TRUE(ReadValue(kSettingsKey, kMoreTracesEntry).exists) << "none is an empty text";
    EXPECT_TRUE(ReadMoreTraces().empty());
}

class AutoRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureRunKey();
        DeleteRunValue(FileNameOf(ModulePath()));
    }
    void TearDown() override { DeleteRunValue(FileNameOf(ModulePath())); }
};

// Windows starts the entry as a command line: unquoted, a path with spaces
// would start C:\Program.exe when there is one.
TEST_F(AutoRunTest, WritesTheQuotedFullPathNamedAfterTheExecutableIn128ZeroPaddedBytes) {
    const std::string quoted = "\"" + ModulePath() + "\"";
    ASSERT_LT(quoted.size(), 127u);

    EXPECT_EQ(0, SetAutoRun(OptionAutoRun));

    RegValue value = ReadValue(kRunKey, FileNameOf(ModulePath()).c_str());
    ASSERT_TRUE(value.exists) << "no Run value named " << FileNameOf(ModulePath());
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    ASSERT_EQ(128u, value.data.size());
    EXPECT_STREQ(quoted.c_str(), reinterpret_cast<const char*>(value.data.data()));
    for (size_t i = quoted.size(); i < value.data.size(); ++i)
        EXPECT_EQ(0, value.data[i]) << "byte " << i << " after the path is not zero";
}

// Only this program's own unquoted path, as earlier versions wrote it, is
// rewritten; nothing is created.
TEST_F(AutoRunTest, RequoteRewritesOnlyThisProgramsUnquotedPath) {
    const std::string name = FileNameOf(ModulePath()), path = ModulePath();
    for (const std::string& stored :
         {std::string("C:\\Tools\\Other.exe"), "\"" + path + "\" /x", path}) {
        WriteRawValue(kRunKey, name.c_str(), REG_SZ, stored.c_str(), stored.size() + 1);
        EXPECT_EQ(0, RequoteAutoRun());
        RegValue value = ReadValue(kRunKey, name.c_str());
        const std::string want = stored == path ? "\"" + path + "\"" : stored;
        EXPECT_EQ(want, reinterpret_cast<const char*>(value.data.data()));
    }
    DeleteRunValue(name);
    EXPECT_EQ(0, RequoteAutoRun());
    EXPECT_FALSE(ReadValue(kRunKey, name.c_str()).exists) << "a missing entry was created";
}

TEST_F(AutoRunTest, DisablingDeletesOnlyThisExecutablesEntry) {
    const char other[] = "C:\\Tools\\Other.exe";
    WriteRawValue(kRunKey, "Other.exe", REG_SZ, other, sizeof(other));

    EXPECT_EQ(0, SetAutoRun(OptionAutoRun));
    EXPECT_EQ(0, SetAutoRun(0));
    EXPECT_FALSE(ReadValue(kRunKey, FileNameOf(ModulePath()).c_str()).exists);
    EXPECT_TRUE(ReadValue(kRunKey, "Other.exe").exists) << "another name's entry must stay";
    EXPECT_EQ(0, SetAutoRun(0)) << "deleting a missing entry is not an error";

    DeleteRunValue("Other.exe");
}

TEST_F(AutoRunTest, AMissingRunKeyFailsWithoutCreatingIt) {
    const char other[] = "C:\\Tools\\Other.exe";
    SHDeleteKeyA(HKEY_CURRENT_USER, kRunKey);

    EXPECT_EQ(-1, SetAutoRun(OptionAutoRun));
    platform::UniqueHKey key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, key.put()))
        << "the Run key must never be created";

    EnsureRunKey();
    WriteRawValue(kRunKey, "Other.exe", REG_SZ, other, sizeof(other));
    DeleteRunValue("Other.exe");
}

// A module path of 128 characters or more would not fit a 128-byte buffer:
// cut, it would name another file. The entry must hold the whole path.
TEST_F(AutoRunTest, ModulePathsOf127To200CharactersAreWrittenWhole) {
    for (size_t length : {127u, 128u, 129u, 200u}) {
        const std::string copy = CopyToPathOfLength(length);
        ASSERT_EQ(length, copy.size());
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.c_str())) << copy;

        EXPECT_EQ(0u, RunChild(copy, OptionAutoRun)) << copy;
        RegValue value = ReadValue(kRunKey, "Quenby Copy.exe");
        ASSERT_TRUE(value.exists) << copy;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
        EXPECT_GE(value.data.size(), std::max<size_t>(128u, length + 3)) << copy;
        EXPECT_EQ("\"" + copy + "\"",
                  std::string(reinterpret_cast<const char*>(value.data.data()),
                              strnlen(reinterpret_cast<const char*>(value.data.data()),
                                      value.data.size())));
        EXPECT_EQ(0, value.data[length + 2]) << "the path must be terminated";

        EXPECT_EQ(0u, RunChild(copy, 0));
        EXPECT_FALSE(ReadValue(kRunKey, "Quenby Copy.exe").exists) << copy;
        DeleteFileA(copy.c_str());
    }
}

// The schedule's words, as the console takes them and the settings keep
// them, come back as they were; anything else is refused.
TEST(CleanScheduleTest, TextReadsBackAndBadWordsAreRefused) {
    const std::vector<std::vector<std::wstring>> good = {
        {L"daily", L"7:05"}, {L"WEEKLY", L"sun", L"23:59"}, {L"logon"}, {L"off"}};
    for (const std::vector<std::wstring>& words : good) {
        CleanSchedule schedule, again;
        std::wstring error;
        ASSERT_TRUE(ParseSchedule(words, schedule, error)) << words[0];
        EXPECT_TRUE(ParseScheduleText(ScheduleText(schedule), again, error) && again == schedule)
            << ScheduleText(schedule);
    }
    EXPECT_EQ(L"weekly sunday 23:59", ScheduleText({ScheduleKind::Weekly, 0, 23, 59}));
    for (const std::vector<std::wstring>& bad :
         std::vector<std::vector<std::wstring>>{{L"daily", L"24:00"},
                                                {L"daily", L"7:5"},
                                                {L"daily", L"07:30x"},
                                                {L"daily"},
                                                {L"weekly", L"funday", L"07:30"},
                                                {L"logon", L"x"},
                                                {}}) {
        CleanSchedule schedule;
        std::wstring error;
        EXPECT_FALSE(ParseSchedule(bad, schedule, error)) << (bad.empty() ? L"" : bad.back());
        EXPECT_FALSE(error.empty());
    }
}

// The task starts at the schedule's next time, never in the past (Task
// Scheduler would run a clean at once), its command is the quoted program
// with markup escaped, and reading it back gives the schedule and the exact
// command line; a task as Wine 8 keeps it (no trigger, an empty action) reads
// as nothing.
TEST(CleanScheduleTest, TaskXmlStartsAtTheNextTimeAndReadsBack) {
    const SYSTEMTIME tuesdayEvening = {2026, 12, 2, 8, 21, 0, 0, 0};
    const std::wstring program = L"C:\\R&D <tools>\\QuenbyCmd.exe";
    const std::pair<CleanSchedule, const wchar_t*> cases[] = {
        {{ScheduleKind::Daily, 0, 7, 30}, L"<StartBoundary>2026-12-09T07:30:00<"},
        {{ScheduleKind::Daily, 0, 22, 0}, L"<StartBoundary>2026-12-08T22:00:00<"},
        {{ScheduleKind::Weekly, 1, 7, 30}, L"<StartBoundary>2026-12-14T07:30:00<"},
        {{ScheduleKind::Weekly, 2, 21, 0}, L"<StartBoundary>2026-12-15T21:00:00<"},
        {{ScheduleKind::Logon, 1, 0, 0}, L"<LogonTrigger><UserId>S-1-5-21-1</UserId>"}};
    for (const auto& [schedule, start] : cases) {
        const std::wstring xml = ScheduledTaskXml(schedule, L"S-1-5-21-1", program, tuesdayEvening);
        EXPECT_NE(xml.find(start), std::wstring::npos) << xml;
        EXPECT_NE(xml.find(L"<Command>\"C:\\R&amp;D &lt;tools&gt;\\QuenbyCmd.exe\"</Command>"),
                  std::wstring::npos);
        CleanSchedule read;
        std::wstring commandLine;
        ASSERT_TRUE(ReadTaskXml(xml, read, commandLine)) << xml;
        EXPECT_TRUE(read == schedule) << ScheduleText(read);
        EXPECT_EQ(ScheduledCommandLine(program), commandLine);
        EXPECT_EQ(program, ProgramOf(commandLine));
    }
    const std::wstring stripped = L"<Task><Triggers/><Actions><Exec/></Actions></Task>";
    CleanSchedule read;
    std::wstring commandLine;
    EXPECT_FALSE(ReadTaskXml(stripped, read, commandLine));
    const std::wstring longest = L"C:\\" + std::wstring(258 - 3, L'x');
    EXPECT_FALSE(ScheduledTaskXml(cases[0].first, L"S-1", longest, tuesdayEvening).empty());
    EXPECT_TRUE(ScheduledTaskXml(cases[0].first, L"S-1", longest + L"x", tuesdayEvening).empty())
        << "Task Scheduler takes a command of 260 characters at most";
}

// The report replaces the earlier one whole, and reads as how the clean ended.
TEST(LastCleanTest, ReportIsReplacedWholeAndReadAsItsOutcome) {
    const std::string finished = "\"finished\": \"2026-12-08T06:30:02Z\", ";
    const std::pair<std::string, LastCleanState> reports[] = {
        {"{" + finished + "\"succeeded\": true, \"targets\": [{}]}", LastCleanState::AllGone},
        {"{" + finished + "\"succeeded\": true, \"targets\": []}", LastCleanState::NothingChosen},
        {"{" + finished + "\"succeeded\": false, \"targets\": [{}]}", LastCleanState::NotAllGone},
        {"{" + finished + "\"succeeded\": true}", LastCleanState::Unreadable},
        {"{\"finished\": \"yesterday\", \"succeeded\": true, \"targets\": []}",
         LastCleanState::Unreadable},
        {"{" + finished, LastCleanState::Unreadable}};
    for (const auto& [report, state] : reports) {
        ASSERT_TRUE(ReplaceLastClean(report));
        const LastCleanResult read = ReadLastClean();
        EXPECT_EQ(int(state), int(read.state)) << report;
        EXPECT_EQ(state == LastCleanState::Unreadable, read.finished.wYear == 0) << report;
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((LastCleanPath() + L".new").c_str()));
    ASSERT_TRUE(DeleteFileW(LastCleanPath().c_str()));
    EXPECT_EQ(int(LastCleanState::None), int(ReadLastClean().state));
}

struct ServiceCloser {
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceCloser>;

// Without Task Scheduler's service (disabled before anything started it),
// the schedule is refused, saying so, and Quenby's copy stays as it was.
TEST(ScheduledTaskTest, WithoutTheServiceTheScheduleIsRefusedSayingSo) {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ServiceHandle service(
        OpenServiceW(manager.get(), L"Schedule", SERVICE_QUERY_STATUS | SERVICE_CHANGE_CONFIG));
    SERVICE_STATUS status = {};
    ASSERT_TRUE(service && QueryServiceStatus(service.get(), &status));
    if (status.dwCurrentState != SERVICE_STOPPED)
        GTEST_SKIP() << "the service runs already, and Wine cannot stop it";
    ASSERT_TRUE(ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DISABLED,
                                     SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr));
    const HRESULT hr = SetScheduledClean({ScheduleKind::Daily, 0, 7, 30}, L"C:\\QuenbyCmd.exe");
    ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(SCHED_E_SERVICE_NOT_RUNNING, hr);
    EXPECT_NE(std::wstring::npos, ScheduleFailureText(hr).find(L"service is not running"));
    EXPECT_EQ(int(ScheduleKind::Off), int(ReadStoredSchedule().schedule.kind));
}

// Through the COM interface, with the service started as Windows always has
// it: the task registered and read back, replaced, and removed as the
// uninstallers remove it; Off then finds none and clears Quenby's copy.
TEST(ScheduledTaskTest, TaskIsRegisteredReadBackReplacedAndRemoved) {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(OpenServiceW(manager.get(), L"Schedule", SERVICE_START));
    ASSERT_TRUE(service && (StartServiceW(service.get(), 0, nullptr) ||
                            GetLastError() == ERROR_SERVICE_ALREADY_RUNNING));
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, &program[0], MAX_PATH));
    ScheduledClean clean;
    for (const CleanSchedule& schedule : {CleanSchedule{ScheduleKind::Daily, 0, 7, 30},
                                          CleanSchedule{ScheduleKind::Weekly, 5, 18, 0}}) {
        ASSERT_EQ(S_OK, SetScheduledClean(schedule, program));
        ASSERT_EQ(S_OK, ReadScheduledClean(clean));
        EXPECT_TRUE(clean.registered && clean.schedule == schedule) << ScheduleText(clean.schedule);
        EXPECT_EQ(ScheduledCommandLine(program), clean.commandLine);
    }
    int removed = 0;
    EXPECT_EQ(S_OK, RemoveScheduledCleansOf(program.substr(0, program.rfind(L'\\')), removed));
    EXPECT_EQ(1, removed);
    ASSERT_EQ(S_OK, ReadScheduledClean(clean));
    EXPECT_FALSE(clean.registered);
    EXPECT_EQ(S_OK, SetScheduledClean(CleanSchedule(), program));
    EXPECT_EQ(L"", ReadStoredSchedule().commandLine);
}

int main(int argc, char** argv) {
    AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    theTestApp.SetRegistryKey("Marlowick software");
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kChildSwitch, std::strlen(kChildSwitch)) == 0)
            return SetAutoRun(std::atoi(argv[i] + std::strlen(kChildSwitch)));
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
