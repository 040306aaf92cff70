// "Settings > More traces...": the chooser opened from the menu, its tree of
// programs and traces with their checks (mixed, greyed), the warning it asks
// once, what Enter, OK, Cancel and Escape store; its preview (the same rows
// as the console's, changing nothing, cancelled between traces); and the
// clean run: with none chosen the old one, else the eight then the chosen
// ones, with its progress and what did not go, but not at shutdown; and an
// entry of the user's cleaning definitions listed, chosen, previewed and
// cleaned.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/SessionQuery.h"
#include "tests/gui/Traces.h"
#include "tests/unit/BrowserFixtures.h"

#include <commctrl.h>
#include <nlohmann/json.hpp>
#include <shlobj.h>
#include <shlwapi.h>

#include <set>

namespace gui {
namespace {

constexpr const char* MoreTracesValue = "MoreTraces";
constexpr int IdTree = 1201, IdShowAll = 1204, IdPreview = 1205;
constexpr int IdPreviewStatus = 1210, IdPreviewList = 1212, IdItemsList = 1221;
constexpr int IdProgressText = 1230;
// State images: clear, checked, mixed (4 to 6: the same greyed).
constexpr int Clear = 1, Checked = 2, Mixed = 3, Greyed = 3;
// The window's thread answers within this while a run goes on.
constexpr DWORD AnswerMs = 250;
constexpr int IdSiteEdit = 1300, IdSiteAdd = 1301, IdSiteList = 1302, IdSuggestions = 1304,
              IdKeepSites = 1306;

class MoreTracesTest : public QuenbyTest {
protected:
    // No browser profile is left from another test, nor to the next one.
    MoreTracesTest() { RemoveBrowsers(); }
    ~MoreTracesTest() override { RemoveBrowsers(); }
    static void RemoveBrowsers() {
        for (const char* root : {"\\Google", "\\Microsoft\\Edge"})
            RemovePath(SpecialFolder(CSIDL_LOCAL_APPDATA) + root);
        RemovePath(SpecialFolder(CSIDL_APPDATA) + "\\Mozilla");
    }
    static std::wstring Chrome() {
        return UserFolder(CSIDL_LOCAL_APPDATA, L"Google\\Chrome\\User Data\\Default");
    }
    static std::vector<std::string> Visits() {
        return fixtures::Column(Chrome() + L"\\History", "SELECT count(*) FROM visits");
    }
    // A Chrome profile whose cache holds `files` more files, a hundred a
    // folder: Wine looks through a folder for each name it creates.
    static bool SeedChromeWithCache(int files) {
        const bool seeded = fixtures::SeedChromiumProfile(Chrome());
        for (int i = 0; i < files; ++i) {
            const std::wstring folder = Chrome() + L"\\Cache\\" + std::to_wstring(i / 100);
            CreateDirectoryW(folder.c_str(), nullptr);
            fixtures::WriteText(folder + L"\\f_" + std::to_wstring(i), "cached");
        }
        return seeded;
    }

    // "&Settings" by its mnemonic, then "&More traces..." by its own.
    HWND OpenMoreTraces() {
        PostMessageA(Main(), WM_SYSCOMMAND, SC_KEYMENU, 's');
        EXPECT_TRUE(WaitUntil([&] { return PopupMenuOf(Process().ProcessId()) != nullptr; }));
        PressKey(Main(), 'M');
        HWND dialog = WaitForOwned(Main(), "More traces");
        EXPECT_TRUE(dialog && !IsWindowEnabled(Main()));
        return dialog;
    }
    // The visible window titled `title` (any, when null) that `owner` owns.
    HWND WaitForOwned(HWND owner, const char* title, DWORD timeoutMs = ShortTimeout) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND dialog : DialogsOf(Process().ProcessId(), nullptr)) {
                    if (GetWindow(dialog, GW_OWNER) == owner &&
                        (!title || WindowText(dialog) == title))
                        found = dialog;
                }
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }

    std::vector<TreeItem> Items(HWND dialog) {
        std::optional<std::vector<TreeItem>> items = Probe().Tree(GetDlgItem(dialog, IdTree));
        EXPECT_TRUE(items) << "the program did not describe its tree";
        return items.value_or(std::vector<TreeItem>());
    }
    // The tree as text: each item indented by its depth, with its state
    // image; with `programs`, theirs alone.
    std::string Shown(HWND dialog, const std::set<std::string>& programs = {}) {
        std::string text;
        bool chosen = true;
        for (const TreeItem& item : Items(dialog)) {
            chosen = item.depth == 0 ? programs.empty() || programs.count(item.text) : chosen;
            if (chosen)
                text += std::string(2 * item.depth, ' ') + item.text + " " +
                        std::to_string(item.state) + "\n";
        }
        return text;
    }
    // The item `child` ("" for the program itself) of the program `program`.
    TreeItem Find(HWND dialog, const std::string& program, const std::string& child = "") {
        bool inProgram = false;
        for (const TreeItem& item : Items(dialog)) {
            if (item.depth == 0)
                inProgram = item.text == program;
            if (inProgram && (child.empty() ? item.depth == 0 : item.text == child))
                return item;
        }
        ADD_FAILURE() << "no item " << program << " > " << child;
        return TreeItem();
    }
    // Space on the item, as the keyboard's user toggles it.
    void Toggle(HWND dialog, const TreeItem& item) {
        HWND tree = GetDlgItem(dialog, IdTree);
        EXPECT_TRUE(SendWithin(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(item.handle)));
        PressKey(tree, VK_SPACE);
        SendWithin(tree, WM_NULL, 0, 0);
    }
    // A click on the item's check box.
    void Click(HWND dialog, const TreeItem& item) {
        HWND tree = GetDlgItem(dialog, IdTree);
        const LPARAM at = MAKELPARAM(item.image.x, item.image.y);
        PostMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(tree, WM_LBUTTONUP, 0, at);
        SendWithin(tree, WM_NULL, 0, 0);
    }
    // Runs the chooser's preview to its end; the preview window.
    HWND Preview(HWND dialog) {
        PostMessageA(GetDlgItem(dialog, IdPreview), BM_CLICK, 0, 0);
        HWND preview = WaitForOwned(dialog, "Preview");
        EXPECT_TRUE(preview && WaitUntil([&] { return Ended(preview); }, CleanRunTimeout));
        return preview;
    }
    static bool Ended(HWND preview) {
        return WindowText(GetDlgItem(preview, IDCANCEL)) == "&Close";
    }
    std::vector<std::string> Rows(HWND dialog, int list) {
        return Probe().ListRows(GetDlgItem(dialog, list)).value_or(std::vector<std::string>());
    }

    std::string Stored() {
        std::optional<RawValue> value = ReadValue(SettingsKey(QuenbyName), MoreTracesValue);
        return !value ? "<missing>" : value->type != REG_SZ ? "<not REG_SZ>" : value->bytes.c_str();
    }
};

// Office's recent files are not found: no Office has been here.
const char* const FoundTree = "Google Chrome 1\n  Cache 1\n  History 1\n  Cookies 1\n"
                              "  Site data 1\n  Form data 1\nWindows 1\n  Explorer lists 1\n"
                              "  Temporary files 1\n  Office recent files 4\n  Thumbnail cache 1\n";

// Only what is found shows until asked; a program is mixed, checked or clear
// as its traces; a greyed trace keeps its stored choice, and so does a stored
// name Quenby does not know.
TEST_F(MoreTracesTest, TheTreeShowsTheFoundProgramsAndEnterStoresWhatIsChecked) {
    fixtures::SeedChromiumProfile(Chrome());
    ASSERT_TRUE(
        WriteString(SettingsKey(QuenbyName), MoreTracesValue, "edge-cache,winapp2:Gone%2C really"));
    ASSERT_TRUE(Start());
    HWND dialog = OpenMoreTraces();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Shown(dialog), FoundTree);
    Toggle(dialog, Find(dialog, "Google Chrome", "History"));
    Click(dialog, Find(dialog, "Windows"));
    EXPECT_TRUE(SendWithin(GetDlgItem(dialog, IdShowAll), BM_CLICK, 0, 0));
    Toggle(dialog, Find(dialog, "Microsoft Edge", "History"));
    const std::set<std::string> programs = {"Google Chrome", "Microsoft Edge", "Mozilla Firefox",
                                            "Windows"};
    EXPECT_EQ(Shown(dialog, programs),
              "Google Chrome 3\n  Cache 1\n  History 2\n  Cookies 1\n  Site data 1\n"
              "  Form data 1\n"
              "Microsoft Edge 6\n  Cache 5\n  History 4\n  Cookies 4\n  Site data 4\n"
              "  Form data 4\n"
              "Mozilla Firefox 4\n  Cache 4\n  History 4\n  Cookies 4\n  Site data 4\n"
              "  Form data 4\n"
              "Windows 2\n  Explorer lists 2\n  Temporary files 2\n  Office recent files 4\n"
              "  Thumbnail cache 2\n");
    size_t others = 0;
    for (const TreeItem& item : Items(dialog)) {
        if (item.depth != 0 || programs.count(item.text))
            continue;
        ++others;
        EXPECT_EQ(item.state, Greyed + Clear) << item.text << " is not found";
    }
    EXPECT_GT(others, 10u) << "every browser of Chromium's and Firefox's families";
    EXPECT_TRUE(SendWithin(GetDlgItem(dialog, IdShowAll), BM_CLICK, 0, 0));
    EXPECT_EQ(Find(dialog, "Windows").state, Checked);
    EXPECT_EQ(Items(dialog).size(), 11u) << "the programs not found went again";
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    const char* const chosen =
        "chrome-history,edge-cache,explorer-lists,temp,thumbnails,winapp2:Gone%2C really";
    EXPECT_EQ(Stored(), chosen);

    // Cancel and Escape leave the value; OK with Chrome and Windows cleared
    // keeps the greyed choice and the unknown name.
    const std::pair<int, const char*> closings[] = {
        {IDCANCEL, chosen}, {VK_ESCAPE, chosen}, {IDOK, "edge-cache,winapp2:Gone%2C really"}};
    for (const auto& [close, stored] : closings) {
        ASSERT_TRUE(dialog = OpenMoreTraces());
        EXPECT_EQ(Find(dialog, "Google Chrome").state, Mixed);
        Toggle(dialog, Find(dialog, "Google Chrome", "History"));
        Click(dialog, Find(dialog, "Windows"));
        EXPECT_EQ(Shown(dialog), FoundTree);
        if (close == VK_ESCAPE)
            Press(VK_ESCAPE);
        else
            Answer(dialog, close);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(Stored(), stored) << "closed with " << close;
    }
}

// "No" leaves the trace clear; "Yes" checks it, and that trace asks no more.
TEST_F(MoreTracesTest, CheckingATraceWithAWarningAsksOnce) {
    fixtures::SeedChromiumProfile(Chrome());
    ASSERT_TRUE(Start());
    HWND dialog = OpenMoreTraces();
    ASSERT_TRUE(dialog);
    const std::string cookies = "Chrome: cookies: You will be signed out of every other web site.";
    for (int answer : {IDNO, IDYES}) {
        Toggle(dialog, Find(dialog, "Google Chrome", "Cookies"));
        HWND box = WaitForOwned(dialog, QuenbyName);
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), cookies + "\n\nCheck anyway?");
        Answer(box, answer);
        EXPECT_EQ(Find(dialog, "Google Chrome", "Cookies").state,
                  answer == IDYES ? Checked : Clear);
    }
    Toggle(dialog, Find(dialog, "Google Chrome", "Cookies"));
    Toggle(dialog, Find(dialog, "Google Chrome", "Cookies"));
    EXPECT_EQ(WaitForOwned(dialog, QuenbyName, 500), nullptr) << "asked twice";
    // The program's box asks only for the trace not confirmed yet.
    Toggle(dialog, Find(dialog, "Google Chrome"));
    HWND box = WaitForOwned(dialog, QuenbyName);
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
              "Chrome: site data: Unless you keep them, sites forget what they stored on this "
              "computer: you may be signed out of sites that keep your sign-in there, web apps "
              "lose their offline data, and drafts and settings saved in the browser are gone.\n"
              "Chrome: form data: Forms no longer fill them in.\n\nCheck anyway?");
    Answer(box, IDYES);
    EXPECT_EQ(Find(dialog, "Google Chrome").state, Checked);
    Answer(dialog, IDCANCEL);
}

// A row as the preview shows it, from the console's JSON of the same trace.
std::string RowFromJson(const nlohmann::json& t) {
    size_t items = t["files"]["count"].get<size_t>() + t["folders"].get<size_t>() +
                   t["indexFiles"].size() + t["folderLinks"].size() + t["registryKeys"].size() +
                   t["registryValues"].size() + t["recycleBin"]["items"].get<size_t>();
    size_t files = t["files"]["count"].get<size_t>() + t["indexFiles"].size() +
                   t["recycleBin"]["items"].get<size_t>();
    ULONGLONG bytes =
        t["files"]["bytes"].get<ULONGLONG>() + t["recycleBin"]["bytes"].get<ULONGLONG>();
    for (const auto& index : t["indexFiles"])
        bytes += index["bytes"].get<ULONGLONG>();
    for (const auto& list : t["jumpLists"])
        items += list["removed"].size();
    size_t rows = 0;
    for (const auto& database : t["databases"]) {
        items += database["rows"].size();
        for (const auto& table : database["rows"])
            rows += table.get<size_t>();
    }
    char size[64] = {};
    StrFormatByteSizeA(LONGLONG(bytes), size, sizeof size);
    std::string sizeText =
        !files ? "" : (files == 1 ? "1 file, " : std::to_string(files) + " files, ") + size;
    if (rows)
        sizeText += (sizeText.empty() ? "" : "; ") +
                    (rows == 1 ? std::string("1 row") : std::to_string(rows) + " rows");
    std::string problems;
    if (!t["problems"].empty()) {
        const auto& first = t["problems"][0];
        problems = (first["kind"] == "in-use" ? "" : first["path"].get<std::string>() + ": ") +
                   first["reason"].get<std::string>();
        if (t["problems"].size() > 1)
            problems += " (and " + std::to_string(t["problems"].size() - 1) + " more)";
    }
    return t["label"].get<std::string>() + "\t" + std::to_string(items) + "\t" + sizeText + "\t" +
           problems;
}

// The eight checked in the main window and the traces checked in the chooser;
// Enter on a row lists its items, its tables with their rows.
TEST_F(MoreTracesTest, ThePreviewShowsTheConsolesRowsAndChangesNothing) {
    Traces traces;
    const DWORD eight = (1u << TargetRecentDocuments) | (1u << TargetIEHistory);
    ASSERT_TRUE(traces.Plant(eight) && fixtures::SeedChromiumProfile(Chrome()));
    const TreeSnapshot before = traces.Capture(true);
    TreeSnapshot chrome, after;
    SnapshotPath(SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Google", "chrome", chrome, true);
    ASSERT_TRUE(Start());
    SetBoxes(eight);
    HWND dialog = OpenMoreTraces();
    ASSERT_TRUE(dialog);
    Toggle(dialog, Find(dialog, "Google Chrome", "Cache"));
    Toggle(dialog, Find(dialog, "Google Chrome", "History"));
    HWND preview = Preview(dialog);
    ASSERT_TRUE(preview);

    const ConsoleRun json = RunConsole("preview --json recent history chrome-cache chrome-history");
    const nlohmann::json targets = nlohmann::json::parse(json.out, nullptr, false)["targets"];
    std::vector<std::string> expected;
    for (const auto& target : targets)
        expected.push_back(RowFromJson(target));
    EXPECT_EQ(JoinLines(Rows(preview, IdPreviewList)), JoinLines(expected)) << json.out;
    EXPECT_EQ(WindowText(GetDlgItem(preview, IdPreviewStatus)),
              "Done: 4 traces looked at. Nothing was changed.");

    for (int row = 0; row < 3; ++row)
        PressKey(GetDlgItem(preview, IdPreviewList), VK_DOWN);
    PressKey(GetDlgItem(preview, IdPreviewList), VK_RETURN);
    HWND items = WaitForOwned(preview, "Items: Chrome: history");
    ASSERT_TRUE(items);
    const std::string listed = JoinLines(Rows(items, IdItemsList));
    for (const auto& database : targets[3]["databases"])
        for (const auto& [table, count] : database["rows"].items())
            EXPECT_NE(listed.find("table\t" + database["path"].get<std::string>() + ": " + table +
                                  "\t" + std::to_string(count.get<int>()) +
                                  (count == 1 ? " row" : " rows")),
                      std::string::npos)
                << table << " in:\n"
                << listed;
    Answer(items, IDOK);
    Answer(preview, IDCANCEL);
    Answer(dialog, IDCANCEL);
    EXPECT_EQ(JoinLines(Differences(before, traces.Capture(true))), "");
    SnapshotPath(SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Google", "chrome", after, true);
    EXPECT_EQ(JoinLines(Differences(chrome, after)), "");
}

// The window answers while the cache is looked at; Cancel stops before the
// next trace, and the rows so far stay.
TEST_F(MoreTracesTest, APreviewAnswersWhileItRunsAndCancelStopsItBetweenTraces) {
    ASSERT_TRUE(SeedChromeWithCache(1500));
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue,
                            "chrome-cache,chrome-history,explorer-lists"));
    ASSERT_TRUE(Start());
    HWND dialog = OpenMoreTraces();
    ASSERT_TRUE(dialog);
    PostMessageA(GetDlgItem(dialog, IdPreview), BM_CLICK, 0, 0);
    HWND preview = WaitForOwned(dialog, "Preview");
    ASSERT_TRUE(preview);
    PostMessageA(GetDlgItem(preview, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(SendWithin(Main(), WM_NULL, 0, 0, AnswerMs) &&
                SendWithin(preview, WM_NULL, 0, 0, AnswerMs));
    ASSERT_TRUE(WaitUntil([&] { return Ended(preview); }, CleanRunTimeout));
    const std::string status = WindowText(GetDlgItem(preview, IdPreviewStatus));
    const size_t rows = Rows(preview, IdPreviewList).size();
    EXPECT_TRUE(rows < 3 && status == "Cancelled after " + std::to_string(rows) +
                                          " of 3 traces. Nothing was changed.")
        << status;
    Answer(preview, IDCANCEL);
    Answer(dialog, IDCANCEL);
    EXPECT_TRUE(PathExists(SpecialFolder(CSIDL_LOCAL_APPDATA) +
                           "\\Google\\Chrome\\User Data\\Default\\Cache\\14\\f_1499"));
}

// A clean whose more traces take a while names the trace at work in a window
// of its own, and the main window goes on answering; then the same box.
TEST_F(MoreTracesTest, ASlowCleanShowsItsProgressAndTheWindowAnswers) {
    ASSERT_TRUE(SeedChromeWithCache(4000));
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, "chrome-cache"));
    ASSERT_TRUE(Start());
    PostMessageA(Control(IdClean), BM_CLICK, 0, 0);
    Answer(ExpectMessageBox(CleanQuestion), IDYES);
    HWND progress = WaitForOwned(Main(), "Cleaning", CleanRunTimeout);
    ASSERT_TRUE(progress);
    EXPECT_EQ(WindowText(GetDlgItem(progress, IdProgressText)),
              "Cleaning Chrome: cache (1 of 1)...");
    EXPECT_TRUE(SendWithin(Main(), WM_PAINT, 0, 0, AnswerMs) && !IsWindowEnabled(Main()));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, CleanRunTimeout));
    Answer(ExpectMessageBox(CleanFinished), IDOK);
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_LOCAL_APPDATA) +
                            "\\Google\\Chrome\\User Data\\Default\\Cache\\0"));
}

// "Sites to keep signed in...": the browser's own cookie exception comes
// first among the suggestions; a typed address is kept as its site, a public
// suffix is refused with a message; OK stores the list (REG_MULTI_SZ), the
// preview counts the site's cookie as kept, and the next clean keeps it.
TEST_F(MoreTracesTest, SitesToKeepAreStoredAsSitesAndKeptByTheNextClean) {
    ASSERT_TRUE(fixtures::SeedChromiumProfile(Chrome()));
    fixtures::WriteText(Chrome() + L"\\Preferences",
                        fixtures::FixtureText(fixtures::Chromium + "Preferences.json"));
    const std::wstring cookies = Chrome() + L"\\Network\\Cookies";
    ASSERT_TRUE(fixtures::AddRows(
        cookies, {{"cookies", "host_key top_frame_site_key name", {".mail.kept.co.uk", "", "a"}}}));
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, "chrome-cookies"));
    ASSERT_TRUE(Start());
    HWND more = OpenMoreTraces(), keep = nullptr, refusal = nullptr;
    ASSERT_TRUE(more);
    PostMessageA(GetDlgItem(more, IdKeepSites), BM_CLICK, 0, 0);
    const auto opened = [&](HWND& found) {
        return WaitUntil([&] {
            for (HWND dialog : DialogsOf(Process().ProcessId(), Main()))
                found = dialog != more && dialog != keep ? dialog : found;
            return found != nullptr;
        });
    };
    ASSERT_TRUE(opened(keep));
    EXPECT_EQ(WindowText(keep), "Sites to keep");
    wchar_t first[64] = {};
    SendMessageW(GetDlgItem(keep, IdSuggestions), LB_GETTEXT, 0, LPARAM(first));
    EXPECT_STREQ(L"site-a.test", first);
    SetWindowTextA(GetDlgItem(keep, IdSiteEdit), "https://www.Kept.co.uk/sign-in");
    EXPECT_TRUE(SendWithin(GetDlgItem(keep, IdSiteAdd), BM_CLICK, 0, 0));
    SetWindowTextA(GetDlgItem(keep, IdSiteEdit), "co.uk");
    PostMessageA(GetDlgItem(keep, IdSiteAdd), BM_CLICK, 0, 0);
    ASSERT_TRUE(opened(refusal));
    Answer(refusal, IDOK);
    EXPECT_EQ(1, SendMessageA(GetDlgItem(keep, IdSiteList), LB_GETCOUNT, 0, 0));
    SetWindowTextA(GetDlgItem(keep, IdSiteEdit), ""); // else OK would refuse it again
    Answer(keep, IDOK);
    HWND preview = Preview(more);
    ASSERT_TRUE(preview);
    const std::string rows = JoinLines(Rows(preview, IdPreviewList));
    EXPECT_NE(std::string::npos, rows.find("1 kept for 1 site")) << rows;
    Answer(preview, IDCANCEL);
    Answer(more, IDCANCEL);

    const std::optional<RawValue> stored = ReadValue(SettingsKey(QuenbyName), "KeepSites");
    ASSERT_TRUE(stored && stored->type == REG_MULTI_SZ);
    EXPECT_EQ(std::string("kept.co.uk\0\0", 12), stored->bytes); // read as ANSI
    ASSERT_TRUE(CleanAndAnswer(IDYES));
    EXPECT_EQ(fixtures::Column(cookies, "SELECT host_key FROM cookies"),
              std::vector<std::string>{".mail.kept.co.uk"});
}

TEST_F(MoreTracesTest, NoneChosenIsTheOldCleanAndAChoiceCountsFromTheNextClean) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets) && fixtures::SeedChromiumProfile(Chrome()));
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, ""));
    ASSERT_TRUE(Start());
    const TreeSnapshot before = traces.Capture();
    ASSERT_TRUE(CleanAndAnswer(IDYES));
    EXPECT_EQ(WaitForDialog(500), nullptr) << "a third box";
    EXPECT_EQ(Visits(), std::vector<std::string>{"2"});

    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, "chrome-history"));
    SetBoxes(AllTargets);
    ASSERT_TRUE(CleanAndAnswer(IDYES));
    EXPECT_EQ(JoinLines(Differences(traces.AfterClean(before, AllTargets), traces.Capture())), "");
    EXPECT_EQ(Visits(), std::vector<std::string>{"0"});
    EXPECT_EQ(fixtures::Column(Chrome() + L"\\History", "SELECT url FROM urls ORDER BY id"),
              (std::vector<std::string>{fixtures::PageBookmark, fixtures::ScriptBookmark}));
}

TEST_F(MoreTracesTest, ARunningFirefoxIsNamedWithItsReasonAndLeftAsItWas) {
    const std::wstring firefox =
        UserFolder(CSIDL_APPDATA, L"Mozilla\\Firefox\\Profiles\\x.default");
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(firefox, firefox));
    fixtures::WriteText(firefox + L"\\parent.lock", "");
    platform::UniqueFile lock(CreateFileW((firefox + L"\\parent.lock").c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    const std::string folder = SpecialFolder(CSIDL_APPDATA) + "\\Mozilla";
    TreeSnapshot before, after;
    SnapshotPath(folder, "firefox", before, true);
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, "firefox-history"));
    ASSERT_TRUE(Start());

    PostMessageA(Control(IdClean), BM_CLICK, 0, 0);
    Answer(ExpectMessageBox(CleanQuestion), IDYES);
    const std::string text = std::string(CleanFinished.text) +
                             "\n\nFirefox: history - Firefox is running (profile \"x.default\"): "
                             "close it and clean again";
    Answer(ExpectMessageBox({text.c_str(), CleanFinished.buttons, CleanFinished.icon}), IDOK);
    // At shutdown a running browser is passed over without a word.
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, OptionCleanAtShutdown));
    SessionQuery query(Main(), false);
    Answer(ExpectMessageBox(CleanQuestion), IDYES);
    Answer(ExpectMessageBox(CleanFinished), IDOK);
    EXPECT_TRUE(query.WaitForAnswer(ShortTimeout) && query.Answer() == TRUE);
    SnapshotPath(folder, "firefox", after, true);
    EXPECT_EQ(JoinLines(Differences(before, after)), "");
}

// A category of the user's cleaning definitions lists its found entries, the
// others only beside the programs not installed; the entry chosen is stored
// by its console name and previewed with its files, and the window's clean,
// then the console's, remove those files and nothing else.
TEST_F(MoreTracesTest, AFoundDefinitionIsListedChosenPreviewedAndCleanedAlone) {
    const std::string roaming = SpecialFolder(CSIDL_APPDATA), app = roaming + "\\QuenbyGuiApp";
    // Gone with the test: every suite of an arch shares the prefix.
    const struct Planted {
        std::string path;
        ~Planted() { RemovePath(path); }
    } definitions{roaming + "\\Quenby\\winapp2.ini"}, folder{app};
    ASSERT_TRUE(MakeFolders(roaming + "\\Quenby") && MakeFolders(app));
    ASSERT_TRUE(PlantFile(definitions.path, "[Gui App *]\r\nSection=Quenby fixtures\r\n"
                                            "DetectFile=%AppData%\\QuenbyGuiApp\r\n"
                                            "FileKey1=%AppData%\\QuenbyGuiApp|*.log\r\n"
                                            "[Gone App *]\r\nSection=Quenby fixtures\r\n"
                                            "DetectFile=%AppData%\\QuenbyGoneApp\r\n"
                                            "FileKey1=%AppData%\\QuenbyGoneApp|*.log\r\n"));
    const auto plantLogs = [&] {
        return PlantFile(app + "\\a.log", "x") && PlantFile(app + "\\b.log", "x");
    };
    const auto cleaned = [&] {
        return !PathExists(app + "\\a.log") && !PathExists(app + "\\b.log") &&
               PathExists(app + "\\keep.txt") && PathExists(definitions.path);
    };
    ASSERT_TRUE(plantLogs() && PlantFile(app + "\\keep.txt", "x"));
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, ""));
    ASSERT_TRUE(Start());
    SetBoxes(0);
    HWND dialog = OpenMoreTraces();
    ASSERT_TRUE(dialog);
    const std::set<std::string> category = {"Quenby fixtures"};
    const std::string found = "Quenby fixtures 1\n  Gui App 1\n";
    EXPECT_EQ(Shown(dialog, category), found);
    EXPECT_TRUE(SendWithin(GetDlgItem(dialog, IdShowAll), BM_CLICK, 0, 0));
    EXPECT_EQ(Shown(dialog, category), found + "  Gone App 4\n");
    EXPECT_TRUE(SendWithin(GetDlgItem(dialog, IdShowAll), BM_CLICK, 0, 0));
    EXPECT_EQ(Shown(dialog, category), found);
    Toggle(dialog, Find(dialog, "Quenby fixtures", "Gui App"));

    HWND preview = Preview(dialog);
    ASSERT_TRUE(preview);
    EXPECT_EQ(Rows(preview, IdPreviewList).size(), 1u);
    PressKey(GetDlgItem(preview, IdPreviewList), VK_RETURN);
    HWND items = WaitForOwned(preview, nullptr);
    ASSERT_TRUE(items);
    const std::string listed = JoinLines(Rows(items, IdItemsList));
    for (const char* name : {"QuenbyGuiApp\\a.log", "QuenbyGuiApp\\b.log"})
        EXPECT_NE(listed.find(name), std::string::npos) << name << " in:\n" << listed;
    EXPECT_EQ(listed.find("keep.txt"), std::string::npos) << listed;
    Answer(items, IDOK);
    Answer(preview, IDCANCEL);
    Answer(dialog, IDOK);
    EXPECT_EQ(Stored(), "winapp2:Gui App");
    EXPECT_TRUE(PathExists(app + "\\a.log") && PathExists(app + "\\b.log"))
        << "the preview removed nothing";

    ASSERT_TRUE(CleanAndAnswer(IDYES));
    EXPECT_TRUE(cleaned());
    ASSERT_TRUE(plantLogs());
    const ConsoleRun console = RunConsole("clean --yes \"winapp2:Gui App\"");
    EXPECT_EQ(0u, console.exitCode) << console.out << console.err;
    EXPECT_TRUE(cleaned());
}

} // namespace
} // namespace gui
