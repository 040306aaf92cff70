// "Settings > More traces...": the dialog opened from the menu, what Enter,
// OK, Cancel and Escape store, and the clean run: with none chosen the old
// one, else the eight then the chosen ones, with what did not go in the
// completion box but not at shutdown.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/SessionQuery.h"
#include "tests/gui/Traces.h"
#include "tests/unit/BrowserFixtures.h"

#include <shlobj.h>

namespace gui {
namespace {

constexpr const char* MoreTracesValue = "MoreTraces";
constexpr int IdChromeHistory = 1101, IdEdgeCache = 1104, IdTemp = 1113, IdEdgeGroup = 1121;
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

    // "&Settings" by its mnemonic, then "&More traces..." by its own.
    HWND OpenMoreTraces() {
        PostMessageA(Main(), WM_SYSCOMMAND, SC_KEYMENU, 's');
        EXPECT_TRUE(WaitUntil([&] { return PopupMenuOf(Process().ProcessId()) != nullptr; }));
        PressKey(Main(), 'M');
        HWND dialog = WaitForDialog();
        EXPECT_TRUE(dialog && WindowText(dialog) == "More traces" &&
                    GetWindow(dialog, GW_OWNER) == Main() && !IsWindowEnabled(Main()));
        return dialog;
    }

    std::string Stored() {
        std::optional<RawValue> value = ReadValue(SettingsKey(QuenbyName), MoreTracesValue);
        return !value ? "<missing>" : value->type != REG_SZ ? "<not REG_SZ>" : value->bytes.c_str();
    }
};

// A stored name Quenby does not know stays after the checked ones.
TEST_F(MoreTracesTest, EnterStoresTheCheckedTargetsAndCancelOrEscapeStoreNothing) {
    fixtures::SeedChromiumProfile(Chrome());
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), MoreTracesValue, "winapp2:Gone%2C really"));
    ASSERT_TRUE(Start());
    HWND dialog = OpenMoreTraces();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IdEdgeGroup)), "Microsoft Edge (not installed)");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IdEdgeCache)));
    for (int box : {IdChromeHistory, IdTemp})
        EXPECT_TRUE(SendWithin(GetDlgItem(dialog, box), BM_CLICK, 0, 0));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    const char* const chosen = "chrome-history,temp,winapp2:Gone%2C really";
    EXPECT_EQ(Stored(), chosen);

    // Cancel and Escape leave the value; OK with both boxes cleared stores the unknown name.
    const std::pair<int, const char*> closings[] = {
        {IDCANCEL, chosen}, {VK_ESCAPE, chosen}, {IDOK, "winapp2:Gone%2C really"}};
    for (const auto& [close, stored] : closings) {
        ASSERT_TRUE(dialog = OpenMoreTraces());
        EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IdTemp), BM_GETCHECK, 0, 0), BST_CHECKED);
        for (int box : {IdChromeHistory, IdTemp})
            EXPECT_TRUE(SendWithin(GetDlgItem(dialog, box), BM_CLICK, 0, 0));
        if (close == VK_ESCAPE)
            Press(VK_ESCAPE);
        else
            Answer(dialog, close);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(Stored(), stored) << "closed with " << close;
    }
}

// "Sites to keep signed in...": the browser's own cookie exception comes
// first among the suggestions; a typed address is kept as its site, a public
// suffix is refused with a message; OK stores the list (REG_MULTI_SZ), and
// the next clean keeps that site's cookies.
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

} // namespace
} // namespace gui
