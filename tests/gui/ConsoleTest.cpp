// QuenbyCmd, the console program, run as a script runs it: its preview of
// traces of all eight kinds changes nothing, its clean of the saved
// selection cleans exactly that, and its exit statuses.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/Traces.h"
#include "tests/unit/BrowserFixtures.h"

#include <nlohmann/json.hpp>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <sstream>
#include <utility>

namespace gui {
namespace {

constexpr const char* ConsoleProgram = "QuenbyCmd.exe";
constexpr DWORD ConsoleTimeoutMs = 60000;
constexpr DWORD ReadSize = 4096;
constexpr const char* SavedEntry = "Place";

// Moves what the pipe holds into `text`.
void Drain(HANDLE pipe, std::string& text) {
    DWORD available = 0;
    char buffer[ReadSize];
    DWORD read = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available &&
           ReadFile(pipe, buffer, ReadSize, &read, nullptr) && read)
        text.append(buffer, read);
}

std::string ConsoleExe() {
    return Options().quenbyPath.substr(0, Options().quenbyPath.find_last_of('\\') + 1) +
           ConsoleProgram;
}

// Runs a command line as Windows runs one, with `input` as its standard input
// and its output read through pipes.
ConsoleRun RunCommandLine(std::string commandLine, const std::string& input = "") {
    ConsoleRun run;
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
    PROCESS_INFORMATION info = {};
    if (!StartProcess(nullptr, &commandLine[0], TRUE, CREATE_NO_WINDOW, nullptr, startup, info)) {
        ADD_FAILURE() << "cannot start " << commandLine << " (error " << GetLastError() << ")";
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

} // namespace

// Runs the console program beside the program under test.
ConsoleRun RunConsole(const std::string& arguments, const std::string& input) {
    return RunCommandLine("\"" + ConsoleExe() + "\" " + arguments, input);
}

namespace {

// A target's line as `list --all` prints it (`all`): its label starts two
// blanks after the longest name of all.
std::string ListLine(const std::string& all, const std::string& name, const std::string& label) {
    size_t widest = 0;
    std::istringstream lines(all);
    for (std::string line; std::getline(lines, line);)
        widest = line.empty() || line.back() == ':' ? widest : std::max(widest, line.find(' '));
    return name + std::string(widest + 2 - name.size(), ' ') + label + "\n";
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
                                                  {"list --json", 2},
                                                  {"list history", 2},
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
    // A temporary folder above the profiles' shared folders is refused as a whole.
    wchar_t given[MAX_PATH + 1] = {}, shared[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", given, MAX_PATH + 1);
    SHGetSpecialFolderPathW(nullptr, shared, CSIDL_COMMON_DOCUMENTS, FALSE);
    SetEnvironmentVariableW(L"TMP", (std::wstring(shared) + L"\\..").c_str());
    const ConsoleRun temp = RunConsole("clean temp --yes");
    SetEnvironmentVariableW(L"TMP", given[0] ? given : nullptr);
    EXPECT_EQ(temp.exitCode, 1u);
    EXPECT_TRUE(Says(temp.out, "a folder of the system or the profile")) << temp.out;
    // A saved name that is no more trace is left out and said, and no usage error.
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), "MoreTraces", "temp, bogus"));
    const ConsoleRun saved = RunConsole("preview --saved");
    EXPECT_EQ(saved.exitCode, 0u);
    EXPECT_TRUE(Says(saved.err, "'bogus'") && Says(saved.out, "[temp]")) << saved.out << saved.err;
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

std::string Utf8(const std::wstring& text) {
    std::string utf8(text.size() * 4, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &utf8[0],
                                    int(utf8.size()), nullptr, nullptr));
    return utf8;
}

// Names that JSON must escape (a quote, backslashes, a control character)
// and text outside the Basic Multilingual Plane come back exactly, read by a
// JSON library.
TEST_F(QuenbyTest, ConsolePreviewJsonReadsBackNamesThatNeedEscaping) {
    const std::wstring typedUrls = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
    const std::wstring odd = L"q\"u\\o\x01te \U0001F600";
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, typedUrls.c_str(), key.put()));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.get(), odd.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"),
                             2 * sizeof(wchar_t)));
    wchar_t recent[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, recent, CSIDL_RECENT, TRUE));
    const std::wstring folder = std::wstring(recent) + L"\\\U0001F600 \u4e2d";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    {
        platform::UniqueFile index(CreateFileW((folder + L"\\index.dat").c_str(), GENERIC_WRITE, 0,
                                               nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(index.get(), std::string(100, 'i').data(), 100, &written, nullptr);
    }

    const ConsoleRun run = RunConsole("preview --json typed-urls recent");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const nlohmann::json preview = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(preview.is_discarded()) << run.out;
    const nlohmann::json& targets = preview.at("targets");
    ASSERT_EQ(2u, targets.size()) << run.out;
    // In the clean's order: the recent documents, then the typed addresses.
    ASSERT_EQ(1u, targets[0].at("indexFiles").size()) << run.out;
    ASSERT_EQ(1u, targets[1].at("registryValues").size()) << run.out;
    EXPECT_EQ(targets[0].at("indexFiles").at(0).at("path"), Utf8(folder + L"\\index.dat"));
    EXPECT_EQ(targets[0].at("indexFiles").at(0).at("bytes"), 36);
    EXPECT_EQ(targets[1].at("registryValues").at(0), Utf8(L"HKCU\\" + typedUrls + L"\\" + odd));
    EXPECT_TRUE(targets[0].at("problems").empty() && targets[1].at("problems").empty());

    DeleteFileW((folder + L"\\index.dat").c_str());
    RemoveDirectoryW(folder.c_str());
    SHDeleteKeyW(HKEY_CURRENT_USER, typedUrls.c_str());
}

// Two Chrome profiles, one of Edge and one of Firefox: the preview names
// every profile's rows and changes nothing; the clean keeps the bookmarks,
// and the form clean the saved cards; a Firefox held by another program is
// left alone and named.
TEST_F(QuenbyTest, ConsoleCleansEveryBrowserProfileAndSkipsARunningOne) {
    const std::wstring chrome = UserFolder(CSIDL_LOCAL_APPDATA, L"Google\\Chrome\\User Data");
    const std::wstring edge = UserFolder(CSIDL_LOCAL_APPDATA, L"Microsoft\\Edge\\User Data");
    const std::wstring firefox =
        UserFolder(CSIDL_APPDATA, L"Mozilla\\Firefox\\Profiles\\x.default");
    ASSERT_TRUE(fixtures::SeedChromiumProfile(chrome + L"\\Default") &&
                fixtures::SeedChromiumProfile(chrome + L"\\Profile 1") &&
                fixtures::SeedChromiumProfile(edge + L"\\Default") &&
                fixtures::SeedFirefoxProfile(firefox, firefox));
    const ConsoleRun preview =
        RunConsole("preview --json chrome-history firefox-history explorer-lists temp");
    EXPECT_EQ(preview.exitCode, 0u) << preview.err;
    const nlohmann::json previewed = nlohmann::json::parse(preview.out, nullptr, false);
    const nlohmann::json& targets = previewed.at("targets");
    ASSERT_EQ(4u, targets.size()) << preview.out;
    EXPECT_TRUE(previewed.at("keptSites").empty() && targets[0].at("keptSites").empty());
    // History and Favicons of each Chrome profile.
    ASSERT_EQ(4u, targets[0].at("databases").size()) << preview.out;
    const nlohmann::json& rows = targets[0].at("databases")[0].at("rows");
    EXPECT_EQ(2, rows.at("visits"));
    EXPECT_EQ(1, rows.at("urls"));
    EXPECT_EQ(2u, fixtures::Column(chrome + L"\\Default\\History", "SELECT id FROM visits").size())
        << "the preview changed the database";

    const ConsoleRun clean = RunConsole("clean chrome-history edge-history firefox-history --yes");
    EXPECT_EQ(clean.exitCode, 0u) << clean.out << clean.err;
    for (const std::wstring& profile :
         {chrome + L"\\Default", chrome + L"\\Profile 1", edge + L"\\Default"})
        EXPECT_EQ(2u, fixtures::Column(profile + L"\\History", "SELECT url FROM urls").size());
    EXPECT_EQ(2u,
              fixtures::Column(firefox + L"\\places.sqlite", "SELECT url FROM moz_places").size());
    const ConsoleRun forms = RunConsole("clean chrome-forms --yes");
    EXPECT_EQ(forms.exitCode, 0u) << forms.out << forms.err;
    EXPECT_TRUE(
        fixtures::Column(chrome + L"\\Default\\Web Data", "SELECT * FROM autocomplete").empty());
    EXPECT_EQ(std::vector<std::string>{fixtures::Valuables[0]},
              fixtures::Column(chrome + L"\\Default\\Web Data",
                               "SELECT card_number_encrypted FROM credit_cards"));

    // The sites kept in the window (REG_MULTI_SZ, two of them; the second a
    // public suffix, left out) and one more for this run: their cookies stay.
    const std::wstring cookies = chrome + L"\\Default\\Network\\Cookies";
    const char* const columns = "host_key top_frame_site_key name";
    ASSERT_TRUE(fixtures::AddRows(cookies, {{"cookies", columns, {".kept.example", "", "a"}},
                                            {"cookies", columns, {"www.kept.example", "", "k"}},
                                            {"cookies", columns, {"mail.run.example", "", "b"}},
                                            {"cookies", columns, {"www.gone.example", "", "c"}}}));
    const std::string key = SettingsKey(QuenbyName);
    const wchar_t keepSites[] = L"www.kept.example\0co.uk\0";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CURRENT_USER, std::wstring(key.begin(), key.end()).c_str(),
                              L"KeepSites", REG_MULTI_SZ, keepSites, sizeof keepSites));
    EXPECT_EQ(2u, RunConsole("clean chrome-cookies --keep-site co.uk --yes").exitCode);
    const ConsoleRun kept = RunConsole("preview chrome-cookies --keep-site https://run.example/");
    const std::string perSite = Utf8(cookies) + ": kept.example 2, run.example 1\n";
    EXPECT_TRUE(Says(kept.out, "(their cookies stay): kept.example, run.example") &&
                Says(kept.out, "keeps what belongs to 2 sites kept signed in:\n    " + perSite))
        << kept.out;
    const nlohmann::json keptJson = nlohmann::json::parse(
        RunConsole("preview chrome-cookies --keep-site run.example --json").out, nullptr, false);
    EXPECT_EQ(nlohmann::json::parse(R"(["kept.example", "run.example"])"), keptJson["keptSites"]);
    EXPECT_EQ(nlohmann::json::parse(R"({"kept.example": 2, "run.example": 1})"),
              keptJson["targets"][0]["keptSites"][0]["sites"]);
    const ConsoleRun keptClean = RunConsole("clean chrome-cookies --keep-site run.example --yes");
    EXPECT_EQ(0u, keptClean.exitCode);
    EXPECT_TRUE(Says(keptClean.out, "kept what belongs to 2 sites kept signed in:\n    " + perSite))
        << keptClean.out;
    EXPECT_EQ((std::vector<std::string>{".kept.example", "mail.run.example", "www.kept.example"}),
              fixtures::Column(cookies, "SELECT host_key FROM cookies ORDER BY 1"));

    fixtures::WriteText(firefox + L"\\parent.lock", "");
    platform::UniqueFile lock(CreateFileW((firefox + L"\\parent.lock").c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    fixtures::MakeDatabase(
        firefox + L"\\places.sqlite",
        "INSERT INTO moz_historyvisits(id, place_id, visit_date) VALUES(9, 2, 1)");
    const ConsoleRun held = RunConsole("clean firefox-history --yes");
    EXPECT_EQ(held.exitCode, 1u) << held.out;
    EXPECT_TRUE(
        Says(held.out, "Firefox is running (profile \"x.default\"): close it and clean again"))
        << held.out;
    EXPECT_EQ(
        1u,
        fixtures::Column(firefox + L"\\places.sqlite", "SELECT id FROM moz_historyvisits").size());
}

// Chrome with a profile and Opera GX's folder are found, Edge, Firefox and
// the channels without one are not: list names only what is found, list
// --all every program, and the JSON says so.
TEST_F(QuenbyTest, ConsoleListAndJsonFollowTheProgramsFoundOnThisPc) {
    for (const char* root : {"\\Google", "\\Microsoft\\Edge"})
        RemovePath(SpecialFolder(CSIDL_LOCAL_APPDATA) + root);
    RemovePath(SpecialFolder(CSIDL_APPDATA) + "\\Mozilla");
    ASSERT_TRUE(fixtures::SeedChromiumProfile(
        UserFolder(CSIDL_LOCAL_APPDATA, L"Google\\Chrome\\User Data\\Default")));
    UserFolder(CSIDL_APPDATA, L"Opera Software\\Opera GX Stable");

    const ConsoleRun list = RunConsole("list"), all = RunConsole("list --all");
    EXPECT_EQ(list.exitCode + all.exitCode, 0u) << list.err << all.err;
    auto line = [&](const char* name, const char* label) { return ListLine(all.out, name, label); };
    for (const ConsoleRun* run : {&list, &all})
        EXPECT_TRUE(Says(run->out, line("recycle-bin", "Recycle bin") + "\nGoogle Chrome:\n" +
                                       line("chrome-cache", "Chrome: cache")) &&
                    Says(run->out, "\nWindows:\n" + line("explorer-lists", "Explorer: run, search "
                                                                           "and address lists")))
            << run->out;
    EXPECT_TRUE(Says(list.out, "\nOpera GX:\n" + line("opera-gx-cache", "Opera GX: cache")))
        << list.out;
    EXPECT_FALSE(Says(list.out, "Edge") || Says(list.out, "Firefox") || Says(list.out, "Canary") ||
                 Says(list.out, "office-recent"))
        << list.out;
    EXPECT_TRUE(
        Says(all.out, "\nMicrosoft Edge (not found):\n" + line("edge-cache", "Edge: cache")) &&
        Says(all.out, "\nMozilla Firefox (not found):\n") &&
        Says(all.out, "\nGoogle Chrome Canary (not found):\n" +
                          line("chrome-canary-cache", "Chrome Canary: cache")) &&
        Says(all.out, line("office-recent", "Office: recent files and places (not found)")))
        << all.out;

    const ConsoleRun json = RunConsole("preview --json history chrome-cookies edge-forms");
    const nlohmann::json targets = nlohmann::json::parse(json.out, nullptr, false).at("targets");
    ASSERT_EQ(3u, targets.size()) << json.out;
    EXPECT_TRUE(targets[0].at("program").is_null() && targets[0].at("found") == true) << json.out;
    EXPECT_TRUE(targets[1].at("program") == "Google Chrome" && targets[1].at("found") == true);
    EXPECT_TRUE(targets[2].at("program") == "Microsoft Edge" && targets[2].at("found") == false);
    RemovePath(SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Google");
    RemovePath(SpecialFolder(CSIDL_APPDATA) + "\\Opera Software");
}

// A pinned jump list keeps its pins: the preview names the entries that go
// and the pinned ones that stay, the clean keeps the pinned ones alone, and a
// list that cannot be read stays, named with its reason (exit status 1).
TEST_F(QuenbyTest, ConsoleKeepsThePinnedEntriesOfJumpLists) {
    RemovePath(Utf8(UserFolder(CSIDL_RECENT, L"AutomaticDestinations")));
    const std::wstring lists = UserFolder(CSIDL_RECENT, L"AutomaticDestinations");
    std::wstring fixture =
        L"Z:" QUENBY_JUMPLIST_FIXTURES L"/windows11-v4-pinned.automaticDestinations-ms";
    std::replace(fixture.begin(), fixture.end(), L'/', L'\\');
    ASSERT_TRUE(CopyFileW(fixture.c_str(),
                          (lists + L"\\f01b4d95cf55d32a.automaticDestinations-ms").c_str(), FALSE));
    ASSERT_TRUE(PlantFile(Utf8(lists) + "\\d.automaticDestinations-ms", "damaged"));
    auto previewed = [] {
        const ConsoleRun run = RunConsole("preview --json recent");
        return nlohmann::json::parse(run.out, nullptr, false).at("targets").at(0);
    };

    const nlohmann::json before = previewed();
    ASSERT_EQ(1u, before.at("jumpLists").size()) << before;
    EXPECT_EQ(22u, before.at("jumpLists")[0].at("removed").size());
    EXPECT_EQ(4u, before.at("jumpLists")[0].at("pinned").size());
    ASSERT_EQ(1u, before.at("problems").size()) << before;
    EXPECT_EQ("jump list", before.at("problems")[0].at("kind"));
    const ConsoleRun clean = RunConsole("clean --yes recent");
    EXPECT_EQ(1u, clean.exitCode);
    EXPECT_TRUE(Says(clean.out, "removed 22 entries from 1 jump list; 4 pinned entries stay:") &&
                Says(clean.out, "stayed knownfolder:{") &&
                Says(clean.out, "not a compound file that can be read, so it stays as it is"))
        << clean.out;
    const nlohmann::json after = previewed();
    ASSERT_EQ(1u, after.at("jumpLists").size()) << after;
    EXPECT_TRUE(after.at("jumpLists")[0].at("removed").empty());
    EXPECT_EQ(4u, after.at("jumpLists")[0].at("pinned").size());
    RemovePath(Utf8(lists));
}

// The schedule from the console: registered, shown and replaced; the command
// line it holds, run as Task Scheduler runs it, cleans the saved selection,
// says nothing and leaves its report; "off" removes the task.
TEST_F(QuenbyTest, ConsoleScheduleRegistersRunsAndRemovesTheTask) {
    const std::string task = ScheduledTaskFile();
    RemovePath(LastCleanFile());
    EXPECT_EQ(RunConsole("schedule daily 24:00").exitCode, 2u);
    ConsoleRun set = RunConsole("schedule daily 07:30");
    ASSERT_EQ(set.exitCode, 0u) << set.err;
    EXPECT_TRUE(PathExists(task)) << task;
    const std::string command = "\"" + ConsoleExe() + "\" clean --saved --yes --quiet";
    set = RunConsole("schedule weekly FRI 18:00");
    EXPECT_TRUE(set.exitCode == 0 && PathExists(task)) << set.err;
    const std::optional<RawValue> kept = ReadValue(SettingsKey(QuenbyName), "ScheduleCommand");
    ASSERT_TRUE(kept);
    EXPECT_EQ(std::string(kept->bytes.c_str()), command);
    EXPECT_TRUE(Says(RunConsole("schedule show").out,
                     "Scheduled clean: weekly on Friday at 18:00\nCommand: " + command + "\n"));

    Traces traces;
    const DWORD saved = (1u << TargetRecentDocuments) | (1u << TargetIEAddressBar);
    ASSERT_TRUE(traces.Plant(AllTargets));
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), SavedEntry, saved));
    const TreeSnapshot before = traces.Capture();
    const ConsoleRun scheduled = RunCommandLine(kept->bytes.c_str());
    EXPECT_EQ(scheduled.exitCode, 0u);
    EXPECT_EQ(scheduled.out + scheduled.err, "") << "a quiet clean writes nothing";
    EXPECT_EQ(JoinLines(Differences(traces.AfterClean(before, saved), traces.Capture())), "");
    const nlohmann::json report =
        nlohmann::json::parse(FileContent(LastCleanFile()).value_or(""), nullptr, false);
    ASSERT_TRUE(report.is_object()) << LastCleanFile();
    EXPECT_TRUE(report.at("command") == "clean" && report.at("succeeded") == true &&
                report.at("targets").size() == 2 && report.at("finished").is_string());
    EXPECT_TRUE(Says(RunConsole("schedule show").out, ": everything chosen is gone.\n"));
    RemovePath(LastCleanFile());

    EXPECT_EQ(RunConsole("schedule off").exitCode, 0u);
    EXPECT_FALSE(PathExists(task));
}

// The user's cleaning definitions in %APPDATA%\Quenby: reported with their
// refusals by line, listed, and an entry cleaned by its console name.
TEST_F(QuenbyTest, ConsoleReadsTheDefinitionsAndCleansAnEntryByItsName) {
    const std::string roaming = SpecialFolder(CSIDL_APPDATA), app = roaming + "\\QuenbyCmdApp";
    ASSERT_TRUE(MakeFolders(roaming + "\\Quenby") && MakeFolders(app));
    ASSERT_TRUE(PlantFile(roaming + "\\Quenby\\winapp2.ini",
                          "; Version: 123\r\n[Cmd App *]\r\nLangSecRef=3021\r\n"
                          "FileKey1=%AppData%\\QuenbyCmdApp|*.log\r\n"
                          "RegKey1=HKLM\\Software\\QuenbyCmdApp\r\n[Broken *]\r\nno key\r\n"));
    ASSERT_TRUE(PlantFile(app + "\\a.log", "x") && PlantFile(app + "\\keep.txt", "x"));

    const ConsoleRun read = RunConsole("definitions");
    EXPECT_EQ(0u, read.exitCode) << read.err;
    for (const char* line : {"Version: 123\n", "Entries: 2 (1 run, 1 refused", "line 7 [Broken]",
                             "line 5 [Cmd App]: reaches outside HKCU"})
        EXPECT_TRUE(Says(read.out, line)) << line << " in\n" << read.out;
    EXPECT_TRUE(Says(RunConsole("list").out, "\nApplications:\nwinapp2:Cmd App"));
    const ConsoleRun clean = RunConsole("clean --yes \"winapp2:cmd app\"");
    EXPECT_EQ(0u, clean.exitCode) << clean.out << clean.err;
    EXPECT_FALSE(PathExists(app + "\\a.log"));
    EXPECT_TRUE(PathExists(app + "\\keep.txt"));
    RemovePath(app);
    RemovePath(roaming + "\\Quenby\\winapp2.ini");
}

} // namespace
} // namespace gui
