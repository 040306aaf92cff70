// The one-call cleaners: the recycle bin (Wine's is the freedesktop trash of
// the sandbox's $XDG_DATA_HOME) and the auto-complete wrapper; and the more
// traces: browser profiles as the browsers write them, Explorer's lists and
// the temporary folder.
#include "catalogue/BrowserTable.h"
#include "catalogue/CleanTarget.h"
#include "catalogue/TraceRun.h"
#include "clean/Cleaner.h"
#include "clean/NotingVisitors.h"
#include "moretraces/BrowserProfiles.h"
#include "moretraces/KeptSites.h"
#include "moretraces/PublicSuffix.h"
#include "platform/KnownFolder.h"
#include "tests/unit/BrowserFixtures.h"
#include "tests/unit/CleanerTestSupport.h"
#include "platform/TextConversion.h"

#include <knownfolders.h>

#include <algorithm>
#include <map>
#include <tuple>

#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

using namespace cleanertest;

namespace {

const char StorePrefix[] = "Software\\Microsoft\\Protected Storage System Provider\\";
const char AutoCompleteKey[] = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

long long ItemsInRecycleBin() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(SHQueryRecycleBinA(nullptr, &info)))
        return -1;
    return info.i64NumItems;
}

// The trash's files folder as Wine shows it to Windows programs.
std::wstring TrashFiles() {
    using DosNameFn = wchar_t*(CDECL*)(const char*);
    auto dosName = reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
    const char* data = std::getenv("XDG_DATA_HOME");
    if (dosName == nullptr || data == nullptr)
        return std::wstring();
    platform::UniqueHeapBlock name(dosName((std::string(data) + "/Trash/files").c_str()));
    return name ? std::wstring(static_cast<wchar_t*>(name.get())) : std::wstring();
}

void MoveToRecycleBin(const std::wstring& path) {
    WriteBytes(path, "trashed");
    const std::string from = Narrow(path) + '\0'; // the list ends with two nulls
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(0, SHFileOperationA(&operation));
    ASSERT_FALSE(Exists(path));
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int OwnTopLevelWindows() {
    int count = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string UserSidText() {
    platform::UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return std::string();
    char buffer[256];
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size))
        return std::string();
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
        return std::string();
    const std::string sid = text;
    LocalFree(text);
    return sid;
}

class CleanerTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_SANDBOX(); }

    TestFolder m_root{L"quenby-cleaner-test"};
    Cleaner m_cleaner;
};

TEST_F(CleanerTest, EmptyRecycleBinEmptiesTheTrashWithoutAnyWindow) {
    MoveToRecycleBin(m_root / L"first.txt");
    MoveToRecycleBin(m_root / L"second.txt");
    const std::wstring trash = TrashFiles();
    ASSERT_EQ(2u, Entries(trash).size()) << "the trash should hold both files: " << Narrow(trash);
    ASSERT_EQ(2, ItemsInRecycleBin());
    ASSERT_EQ(0, OwnTopLevelWindows());

    EXPECT_EQ(0, m_cleaner.EmptyRecycleBin());

    EXPECT_EQ(0, ItemsInRecycleBin());
    EXPECT_TRUE(Entries(trash).empty());
    EXPECT_EQ(0, OwnTopLevelWindows()) << "no confirmation or progress window";

    EXPECT_EQ(0, m_cleaner.EmptyRecycleBin()) << "an empty bin";
    EXPECT_EQ(0, OwnTopLevelWindows()) << "no window for an empty bin either";
}

TEST_F(CleanerTest, CleanAutoCompleteDeletesTheStoreAndReturnsZero) {
    const std::string sid = UserSidText();
    ASSERT_FALSE(sid.empty());
    const std::string store = StorePrefix + sid + AutoCompleteKey;
    SetStringValue(store + "\\Entry", "v", "typed text");

    EXPECT_EQ(0, m_cleaner.CleanAutoComplete());

    EXPECT_FALSE(KeyExists(store));
    EXPECT_EQ(0, m_cleaner.CleanAutoComplete()) << "with nothing left to delete";
}

TEST_F(CleanerTest, NoHandleStaysOpenAfterTheOneCallCleaners) {
    ASSERT_GT(CountOwnHandles(), 0) << "the handle table cannot be read";
    const std::string store = StorePrefix + UserSidText() + AutoCompleteKey;
    ExpectNothingLeft(
        "EmptyRecycleBin", [this] { MoveToRecycleBin(m_root / L"trashed.txt"); },
        [this] { m_cleaner.EmptyRecycleBin(); }, Check::HandlesOnly);
    ExpectNothingLeft(
        "EmptyRecycleBin on an empty bin", [] {}, [this] { m_cleaner.EmptyRecycleBin(); },
        Check::HandlesOnly);
    ExpectNothingLeft(
        "CleanAutoComplete", [&] { SetStringValue(store + "\\Entry", "v", "typed"); },
        [this] { m_cleaner.CleanAutoComplete(); });
    ExpectNothingLeft(
        "CleanAutoComplete without a store", [] {}, [this] { m_cleaner.CleanAutoComplete(); });
}

// ---- the more traces ----

// What `name` did (or, previewed, would do), item by item; with `temp`, the
// temporary folder meanwhile (TMP, which GetTempPathW reads first).
CleanReport RunTarget(const char* name, bool preview, const std::wstring& temp = L"") {
    wchar_t given[MAX_PATH + 1] = {};
    GetEnvironmentVariableW(L"TMP", given, MAX_PATH + 1);
    if (!temp.empty())
        SetEnvironmentVariableW(L"TMP", temp.c_str());
    CleanReport report;
    TraceSet selection;
    selection.Add(Catalogue::BuiltIn().IndexOf(platform::FromAnsi(name)));
    PreviewVisitors previewing(report);
    NotedCleaningVisitors cleaning(report);
    RunTraces(selection, preview ? previewing.Get() : cleaning.Get());
    SetEnvironmentVariableW(L"TMP", given[0] ? given : nullptr);
    return report;
}

// Every file and folder below `folder` with its creation and write times (a
// folder's change when a file comes or goes), and a file's size and bytes.
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    for (const std::wstring& name : Entries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        files[path] = std::to_string(data.ftCreationTime.dwLowDateTime) + "|" +
                      std::to_string(data.ftLastWriteTime.dwLowDateTime) + "|";
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const auto& file : Snapshot(path))
                files.insert(file);
        } else {
            files[path] += std::to_string(data.nFileSizeLow) + "|" + ReadBytes(path);
        }
    }
    return files;
}

// Opens `path` as another program would, with the connection's `option` on
// when one is given, and runs `sql` on it.
platform::UniqueDatabase Connect(const std::wstring& path, const char* sql, int option = 0) {
    platform::UniqueDatabase db;
    sqlite3_open(platform::ToUtf8(path).c_str(), db.put());
    if (option != 0)
        sqlite3_db_config(db.get(), option, 1, nullptr);
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr)) << sql;
    return db;
}

// The rows each table of each database lost (or would lose).
std::map<std::wstring, ULONGLONG> Rows(const CleanReport& report,
                                       CleanItemKind kind = CleanItemKind::DatabaseRows) {
    std::map<std::wstring, ULONGLONG> rows;
    for (const CleanItem& item : report.Items())
        if (item.kind == kind)
            rows[item.path + L"|" + item.detail] += item.count;
    return rows;
}

// None of the secrets is left in the database, its log or its journal.
void ExpectNoSecretIn(const std::wstring& database) {
    for (const wchar_t* beside : {L"", L"-wal", L"-journal"})
        for (const char* secret : fixtures::Secrets)
            EXPECT_EQ(std::string::npos, ReadBytes(database + beside).find(secret))
                << secret << " is still in " << Narrow(database + beside);
    EXPECT_EQ(std::vector<std::string>{"ok"}, fixtures::Column(database, "PRAGMA integrity_check"));
}

std::wstring MakePath(const std::wstring& root, const std::wstring& below) {
    std::wstring path = root;
    for (size_t start = 0; start < below.size();) {
        const size_t end = std::min(below.find(L'\\', start), below.size());
        path += L"\\" + below.substr(start, end - start);
        MakeFolder(path);
        start = end + 1;
    }
    return path;
}

class MoreTracesTest : public CleanerTest {
protected:
    void TearDown() override {
        for (const std::wstring& folder : m_made) {
            RemoveTree(folder);
            RemoveDirectoryW(folder.c_str());
        }
    }
    std::wstring Made(const GUID& root, const std::wstring& below) {
        m_made.push_back(MakePath(platform::KnownFolderPath(root), below));
        return m_made.back();
    }
    std::vector<std::wstring> m_made;
};

TEST_F(MoreTracesTest, ChromeHistoryGoesWhileBookmarksAndTheirIconsStay) {
    const std::wstring userData = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data");
    ASSERT_TRUE(fixtures::SeedChromiumProfile(userData + L"\\Default"));
    const std::wstring older = userData + L"\\Profile 1";
    ASSERT_TRUE(fixtures::SeedChromiumProfile(older, false));
    const auto before = Snapshot(userData);

    const CleanReport preview = RunTarget("chrome-history", true);
    EXPECT_TRUE(before == Snapshot(userData)) << "the preview changed a file";
    const CleanReport clean = RunTarget("chrome-history", false);

    EXPECT_FALSE(clean.HasFailures());
    EXPECT_TRUE(Rows(preview) == Rows(clean)) << "preview and clean counted other rows";
    for (const std::wstring& profile : {userData + L"\\Default", older}) {
        EXPECT_EQ((std::vector<std::string>{fixtures::PageBookmark, fixtures::ScriptBookmark}),
                  fixtures::Column(profile + L"\\History", "SELECT url FROM urls ORDER BY id"));
        EXPECT_TRUE(fixtures::Column(profile + L"\\History", "SELECT * FROM visits").empty());
        EXPECT_EQ(std::vector<std::string>{"2"},
                  fixtures::Column(profile + L"\\Favicons", "SELECT icon_id FROM icon_mapping"));
        ExpectNoSecretIn(profile + L"\\History");
        ExpectNoSecretIn(profile + L"\\Favicons");
        EXPECT_EQ(before.at(profile + L"\\Bookmarks"),
                  Snapshot(profile).at(profile + L"\\Bookmarks"));
    }
    for (const wchar_t* rebuilt : {L"\\Top Sites", L"\\Shortcuts", L"\\Network Action Predictor"})
        EXPECT_FALSE(Exists(userData + L"\\Default" + rebuilt)) << Narrow(rebuilt);
}

// The signed-in account's bookmarks are bookmarks too; a bookmarks file that
// cannot be read, or that is there only encrypted, keeps the whole history.
TEST_F(MoreTracesTest, ChromeAccountBookmarksStayAndUnreadableBookmarksKeepTheHistory) {
    const std::wstring userData = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data");
    const std::wstring account = userData + L"\\Default", unreadable = userData + L"\\Profile 1",
                       encrypted = userData + L"\\Profile 2";
    for (const std::wstring& profile : {account, unreadable, encrypted})
        ASSERT_TRUE(fixtures::SeedChromiumProfile(profile));
    std::string bookmarks = fixtures::FixtureText(fixtures::Chromium + "Bookmarks.json");
    const std::string kept = fixtures::PageBookmark;
    bookmarks.replace(bookmarks.find(kept), kept.size(), "https://account.example/");
    fixtures::WriteText(account + L"\\AccountBookmarks", bookmarks);
    fixtures::MakeDatabase(account + L"\\History", "INSERT INTO urls(id, url, last_visit_time) "
                                                   "VALUES(4, 'https://account.example/', 1)");
    fixtures::WriteText(unreadable + L"\\AccountBookmarks", "{\"roots\": ");
    MoveFileW((encrypted + L"\\Bookmarks").c_str(), (encrypted + L"\\EncryptedBookmarks2").c_str());

    const CleanReport clean = RunTarget("chrome-history", false);

    EXPECT_EQ((std::vector<std::string>{fixtures::PageBookmark, fixtures::ScriptBookmark,
                                        "https://account.example/"}),
              fixtures::Column(account + L"\\History", "SELECT url FROM urls ORDER BY id"));
    EXPECT_TRUE(clean.HasFailures());
    for (const std::wstring& profile : {unreadable, encrypted})
        EXPECT_EQ(2u, fixtures::Column(profile + L"\\History", "SELECT id FROM visits").size())
            << Narrow(profile);
}

TEST_F(MoreTracesTest, FirefoxProfilesFromTheIniAndTheFolderLoseHistoryCookiesAndForms) {
    const std::wstring root = Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox");
    const std::wstring local = Made(FOLDERID_LocalAppData, L"Mozilla\\Firefox\\Profiles");
    // Firefox writes profiles.ini in UTF-8 without a byte-order mark.
    const std::wstring absolute = MakePath(m_root.Path(), L"J\u00fcrgen \u4e2d");
    fixtures::WriteText(root + L"\\profiles.ini",
                        "[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/rel.default\n"
                        "[Profile1]\nName=b\nIsRelative=0\nPath=" +
                            platform::ToUtf8(absolute) + "\n");
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(MakePath(root, L"Profiles\\rel.default"),
                                             local + L"\\rel.default"));
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(absolute, absolute));
    ASSERT_TRUE(
        fixtures::SeedFirefoxProfile(MakePath(root, L"Profiles\\unlisted"), local + L"\\unlisted"));
    const std::wstring temp = m_root.Path().substr(0, m_root.Path().rfind(L'\\'));
    const size_t inTemp = Entries(temp).size();
    ASSERT_EQ(3u, ProfilesOf(FirefoxBrowsers().front().browser).size());
    EXPECT_EQ(inTemp, Entries(temp).size()) << "a copy of profiles.ini was left behind";

    const CleanReport preview = RunTarget("firefox-history", true);
    const CleanReport clean = RunTarget("firefox-history", false);
    EXPECT_FALSE(clean.HasFailures());
    EXPECT_TRUE(Rows(preview) == Rows(clean)) << "preview and clean counted other rows";
    for (const char* name : {"firefox-cookies", "firefox-forms", "firefox-cache"})
        EXPECT_FALSE(RunTarget(name, false).HasFailures()) << name;

    for (const BrowserProfile& profile : ProfilesOf(FirefoxBrowsers().front().browser)) {
        const std::wstring places = profile.folder + L"\\places.sqlite";
        EXPECT_EQ((std::vector<std::string>{"kept|0|NULL", "script|0|NULL"}),
                  fixtures::Column(places, "SELECT title||'|'||visit_count||'|'||"
                                           "ifnull(last_visit_date,'NULL') FROM moz_places"));
        EXPECT_EQ(std::vector<std::string>{"js"},
                  fixtures::Column(places, "SELECT keyword FROM moz_keywords"));
        EXPECT_EQ(std::vector<std::string>{"kept.example"},
                  fixtures::Column(places, "SELECT host FROM moz_origins"));
        EXPECT_TRUE(
            fixtures::Column(places, "SELECT * FROM moz_newtab_shortcuts_interaction").empty());
        EXPECT_EQ(
            (std::vector<std::string>{"2", "4"}),
            fixtures::Column(profile.folder + L"\\favicons.sqlite", "SELECT id FROM moz_icons"));
        for (const wchar_t* file :
             {L"places.sqlite", L"favicons.sqlite", L"cookies.sqlite", L"formhistory.sqlite"})
            ExpectNoSecretIn(profile.folder + L"\\" + file);
        EXPECT_TRUE(Entries(profile.localFolder + L"\\cache2").empty());
    }
}

// Form entries and addresses go from the Web Data of every schema and from
// the account's; search engines, cards, IBANs and loyalty cards stay.
TEST_F(MoreTracesTest, ChromeCookiesAndFormsGoWhileSearchEnginesAndCardsStay) {
    const std::wstring userData = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data");
    const std::wstring today = userData + L"\\Default", older = userData + L"\\Profile 2",
                       between = userData + L"\\Profile 3";
    ASSERT_TRUE(fixtures::SeedChromiumProfile(today));
    ASSERT_TRUE(fixtures::SeedChromiumProfile(older, false));
    ASSERT_TRUE(fixtures::SeedChromiumProfile(between, false));
    DeleteFileW((between + L"\\Web Data").c_str());
    ASSERT_TRUE(fixtures::MakeFromFixture(between + L"\\Web Data", fixtures::OlderWebData,
                                          fixtures::WebDataRows));
    // The preview counts the rows of the schema's own tables, so they were there.
    auto forms = Rows(RunTarget("chrome-forms", true));
    for (const std::wstring& table :
         {today + L"\\Web Data|autocomplete", today + L"\\Web Data|address_type_tokens",
          older + L"\\Web Data|autofill_profiles", between + L"\\Web Data|local_addresses"})
        EXPECT_EQ(1u, forms[table]) << Narrow(table);

    for (const char* name : {"chrome-cookies", "chrome-forms", "chrome-cache"})
        EXPECT_FALSE(RunTarget(name, false).HasFailures()) << name;
    for (const std::wstring& folder : {today, older, between}) {
        EXPECT_EQ(std::vector<std::string>{"Search"},
                  fixtures::Column(folder + L"\\Web Data", "SELECT short_name FROM keywords"));
        ExpectNoSecretIn(folder + L"\\Web Data");
        EXPECT_NE(std::string::npos,
                  ReadBytes(folder + L"\\Web Data").find(fixtures::Valuables[0]));
        EXPECT_TRUE(Entries(folder + L"\\Cache").empty());
        EXPECT_TRUE(Exists(folder + L"\\History")) << "the databases are cleaned inside";
    }
    for (const char* valuable : fixtures::Valuables)
        EXPECT_NE(std::string::npos, ReadBytes(today + L"\\Web Data").find(valuable)) << valuable;
    ExpectNoSecretIn(today + L"\\Account Web Data");
    EXPECT_EQ(std::vector<std::string>{fixtures::Valuables[0]},
              fixtures::Column(today + L"\\Account Web Data",
                               "SELECT card_number_encrypted FROM credit_cards"));
    ExpectNoSecretIn(today + L"\\Network\\Cookies");
    ExpectNoSecretIn(older + L"\\Cookies");
}

// Sites as the built-in Public Suffix List draws them: its ICANN and private
// rules, a wildcard with its exception, names outside ASCII, addresses.
TEST(KeptSitesTest, SitesStartWhereThePublicSuffixListSays) {
    EXPECT_EQ("example.co.uk", sites::SiteOf("mail.example.co.uk"));
    EXPECT_EQ("example.co.uk", sites::SiteOf(".Example.CO.uk."));
    EXPECT_EQ("user.github.io", sites::SiteOf("www.user.github.io"));
    EXPECT_EQ("site-a.test", sites::SiteOf(".www.site-a.test"));
    EXPECT_EQ("a.b.ck", sites::SiteOf("x.a.b.ck"));
    EXPECT_EQ("www.ck", sites::SiteOf("mail.www.ck"));
    EXPECT_EQ("example.xn--55qx5d.cn", sites::SiteOf("www.example.xn--55qx5d.cn"));
    EXPECT_EQ("192.168.1.20", sites::SiteOf("192.168.1.20"));
    EXPECT_EQ("localhost", sites::SiteOf("localhost"));
    for (const char* suffix : {"co.uk", "github.io", "com", "b.ck", "xn--55qx5d.cn"})
        EXPECT_TRUE(sites::IsPublicSuffix(suffix)) << suffix;
    EXPECT_FALSE(sites::IsPublicSuffix("www.ck"));

    EXPECT_EQ("xn--bcher-kva.example",
              sites::KeptSiteOf(L"https://www.B\u00fccher.example:8443/a"));
    EXPECT_EQ("example.xn--55qx5d.cn", sites::KeptSiteOf(L"example.\u516c\u53f8.cn"));
    EXPECT_EQ("site-a.test", sites::KeptSiteOf(L" [*.]site-a.test "));
    EXPECT_EQ("::1", sites::KeptSiteOf(L"http://[::1]:8080/"));
    EXPECT_EQ("10.0.0.2", sites::KeptSiteOf(L"10.0.0.2:80"));
    for (const wchar_t* none : {L"co.uk", L"github.io", L"", L"a b.example", L"https://"})
        EXPECT_EQ("", sites::KeptSiteOf(none)) << Narrow(none);
}

// The cookies the browsers wrote for two test sites: with the first kept,
// its host-only, domain-wide and container cookies stay, and so do those
// partitioned under it; the other site's, and the first's partitioned
// under the other, go. A cookie of a name outside ASCII stays by its
// punycode. An empty list keeps none.
TEST_F(MoreTracesTest, CookiesOfKeptSitesStayAsTheBrowsersGroupThem) {
    const std::wstring chrome = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data\\Default");
    const std::wstring firefox = Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles\\k");
    const std::wstring chromeCookies = chrome + L"\\Network\\Cookies";
    const std::wstring firefoxCookies = firefox + L"\\cookies.sqlite";
    ASSERT_TRUE(fixtures::SeedChromiumProfile(chrome));
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(firefox, firefox));
    const auto chromeKeys =
        fixtures::CookieKeysOf(fixtures::Chromium, "cookies", "host_key top_frame_site_key name");
    const auto firefoxKeys =
        fixtures::CookieKeysOf(fixtures::Firefox, "moz_cookies", "host originAttributes name");
    fixtures::Rows idn = {
        {"cookies", "host_key top_frame_site_key name", {".xn--bcher-kva.example", "", "idn"}}};
    ASSERT_TRUE(fixtures::AddRows(chromeCookies, chromeKeys.rows));
    ASSERT_TRUE(fixtures::AddRows(chromeCookies, idn));
    ASSERT_TRUE(fixtures::AddRows(firefoxCookies, firefoxKeys.rows));
    const std::string chromeQuery = "SELECT host_key||' '||top_frame_site_key||' '||name FROM "
                                    "cookies ORDER BY 1";
    const std::string firefoxQuery = "SELECT host||' '||originAttributes||' '||name FROM "
                                     "moz_cookies ORDER BY 1";

    sites::SetKept({L"Mail.Site-A.test", L"co.uk", L"b\u00fccher.example"});
    const CleanReport preview = RunTarget("chrome-cookies", true);
    const CleanReport clean = RunTarget("chrome-cookies", false);
    const CleanReport firefoxClean = RunTarget("firefox-cookies", false);
    EXPECT_FALSE(firefoxClean.HasFailures());
    sites::SetKept({});

    EXPECT_TRUE(Rows(preview) == Rows(clean)) << "preview and clean counted other rows";
    const auto kept = Rows(clean, CleanItemKind::SiteKept);
    EXPECT_TRUE(Rows(preview, CleanItemKind::SiteKept) == kept);
    EXPECT_TRUE((std::map<std::wstring, ULONGLONG>{
                    {chromeCookies + L"|site-a.test", 4},
                    {chromeCookies + L"|xn--bcher-kva.example", 1}}) == kept);
    EXPECT_TRUE((std::map<std::wstring, ULONGLONG>{{firefoxCookies + L"|site-a.test", 6}}) ==
                Rows(firefoxClean, CleanItemKind::SiteKept));
    EXPECT_EQ(2u + 5u, Rows(clean)[chromeCookies + L"|cookies"]);
    EXPECT_EQ((std::vector<std::string>{".site-a.test  domain-wide", ".xn--bcher-kva.example  idn",
                                        "www.site-a.test  host-only",
                                        "www.site-b.test https://site-a.test partitioned",
                                        "www.site-b.test https://site-a.test script-partitioned"}),
              fixtures::Column(chromeCookies, chromeQuery));
    EXPECT_EQ((std::vector<std::string>{
                  ".site-a.test  domain-wide", ".site-a.test ^userContextId=1 domain-wide",
                  "www.site-a.test  host-only", "www.site-a.test ^userContextId=1 host-only",
                  "www.site-b.test ^partitionKey=%28https%2Csite-a.test%29 partitioned",
                  "www.site-b.test ^userContextId=1&partitionKey=%28https%2Csite-a.test%29 "
                  "partitioned"}),
              fixtures::Column(firefoxCookies, firefoxQuery));
    ExpectNoSecretIn(chromeCookies);
    ExpectNoSecretIn(firefoxCookies);

    const CleanReport keepingNone = RunTarget("chrome-cookies", false);
    EXPECT_FALSE(keepingNone.HasFailures());
    EXPECT_TRUE(Rows(keepingNone, CleanItemKind::SiteKept).empty());
    EXPECT_TRUE(fixtures::Column(chromeCookies, chromeQuery).empty());
}

// Every item of a report as one line: its kind, path, detail and count.
std::vector<std::wstring> Items(const CleanReport& report) {
    std::vector<std::wstring> items;
    for (const CleanItem& item : report.Items())
        items.push_back(std::to_wstring(int(item.kind)) + L" " + item.path + L" " + item.detail +
                        L" " + std::to_wstring(item.count));
    return items;
}

// The layouts the browsers wrote, with an extension's data beside the sites':
// with site-a.test kept, exactly the other origins (and site-a's frames under
// site-b.test) go, and the shared stores and the registrations stay whole;
// with no site kept they go too, unless an extension may have data in them.
TEST_F(MoreTracesTest, SiteDataOfKeptSitesStaysAsTheBrowsersGroupIt) {
    const std::wstring chrome = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data\\Default");
    const std::wstring firefox = Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles\\k");
    const std::wstring indexedDb = chrome + L"\\IndexedDB",
                       storage = firefox + L"\\storage\\default";
    const char* const siteA = "tset.a-etis.www.:https:8443";
    const char* const siteB = "tset.b-etis.www.:https:8443";
    const char* const containerFramedB = "^userContextId=1&partitionKey=%28https%2Csite-a.test%29";
    ASSERT_TRUE(fixtures::SeedSiteData(chrome, fixtures::Chromium));
    ASSERT_TRUE(fixtures::SeedSiteData(firefox, fixtures::Firefox,
                                       {{"", siteA},
                                        {"^partitionKey=%28https%2Csite-b.test%29", siteA},
                                        {"", siteB},
                                        {containerFramedB, siteB},
                                        {"", "0a1b.:moz-extension"}}));
    MakeFolder(indexedDb + L"\\chrome-extension_abcdefghijklmnop_0.indexeddb.leveldb");
    MakeFolder(storage + L"\\moz-extension+++0a1b");
    const std::string rowsQuery =
        "SELECT originAttributes||originKey FROM webappsstore2 ORDER BY 1";
    const auto sorted = [](const std::wstring& folder) {
        std::vector<std::wstring> names = Entries(folder);
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto keptFor = [](const CleanReport& report, const wchar_t* keeper) {
        return std::count_if(report.Items().begin(), report.Items().end(), [&](const CleanItem& i) {
            return i.kind == CleanItemKind::SiteKept && i.detail == keeper;
        });
    };
    const auto shared = Snapshot(chrome + L"\\Local Storage");

    sites::SetKept({L"site-a.test"});
    const CleanReport chromePreview = RunTarget("chrome-site-data", true);
    const CleanReport firefoxPreview = RunTarget("firefox-site-data", true);
    EXPECT_EQ(Items(chromePreview), Items(RunTarget("chrome-site-data", false)));
    EXPECT_EQ(Items(firefoxPreview), Items(RunTarget("firefox-site-data", false)));
    sites::SetKept({});

    EXPECT_EQ((std::vector<std::wstring>{L"chrome-extension_abcdefghijklmnop_0.indexeddb.leveldb",
                                         L"https_www.site-a.test_8443.indexeddb.leveldb"}),
              sorted(indexedDb));
    EXPECT_TRUE(shared == Snapshot(chrome + L"\\Local Storage"));
    EXPECT_EQ((std::vector<std::wstring>{
                  L"https+++www.site-a.test+8443", L"https+++www.site-a.test+8443^userContextId=1",
                  L"https+++www.site-b.test+8443^partitionKey=%28https%2Csite-a.test%29",
                  L"https+++www.site-b.test+8443^userContextId=1&partitionKey=%28https%2Csite-a."
                  L"test%29",
                  L"moz-extension+++0a1b"}),
              sorted(storage));
    for (const wchar_t* file : {L"\\webappsstore.sqlite", L"\\storage\\ls-archive.sqlite"})
        EXPECT_EQ((std::vector<std::string>{"0a1b.:moz-extension",
                                            std::string(containerFramedB) + siteB, siteA}),
                  fixtures::Column(firefox + file, rowsQuery));
    EXPECT_EQ((std::vector<std::string>{"0"}),
              fixtures::Column(firefox + L"\\storage.sqlite",
                               "SELECT valid FROM cache UNION ALL SELECT origin FROM origin"));
    EXPECT_TRUE(Exists(firefox + L"\\serviceworker.txt"));
    EXPECT_EQ(1 + 5, keptFor(chromePreview, L"site-a.test")) << "its folder, the shared stores";
    EXPECT_EQ(4 + 2 + 1, keptFor(firefoxPreview, L"site-a.test"))
        << "the folders, the two local stores and the registrations";

    MakeFolder(chrome + L"\\Extensions");
    MakeFolder(chrome + L"\\Extensions\\abcdefghijklmnop");
    EXPECT_EQ(5, keptFor(RunTarget("chrome-site-data", false), L"extensions"));
    EXPECT_TRUE(shared == Snapshot(chrome + L"\\Local Storage"));
    RemoveTree(chrome + L"\\Extensions");
    EXPECT_FALSE(RunTarget("chrome-site-data", false).HasFailures());
    EXPECT_FALSE(RunTarget("firefox-site-data", false).HasFailures());
    EXPECT_EQ(std::vector<std::wstring>{L"chrome-extension_abcdefghijklmnop_0.indexeddb.leveldb"},
              Entries(indexedDb));
    for (const wchar_t* store : {L"\\Local Storage", L"\\Session Storage", L"\\Service Worker",
                                 L"\\File System", L"\\WebStorage"})
        EXPECT_TRUE(Entries(chrome + store).empty()) << Narrow(store);
    EXPECT_EQ(std::vector<std::wstring>{L"moz-extension+++0a1b"}, Entries(storage));
    EXPECT_FALSE(Exists(firefox + L"\\serviceworker.txt"));
    EXPECT_EQ(std::vector<std::string>{"0a1b.:moz-extension"},
              fixtures::Column(firefox + L"\\webappsstore.sqlite", rowsQuery));
}

// A running browser holds its lock; a database may be locked by SQLite
// itself. Either way nothing of that profile changes, and the reason says
// what to do.
TEST_F(MoreTracesTest, AProfileInUseStaysByteForByteAndIsReported) {
    const std::wstring chrome = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data");
    const std::wstring edge = Made(FOLDERID_LocalAppData, L"Microsoft\\Edge\\User Data");
    const std::wstring firefox = Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles");
    ASSERT_TRUE(fixtures::SeedChromiumProfile(chrome + L"\\Default"));
    ASSERT_TRUE(fixtures::SeedChromiumProfile(edge + L"\\Default"));
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(firefox + L"\\p.default", firefox + L"\\p.default"));
    fixtures::WriteText(chrome + L"\\lockfile", "");
    fixtures::WriteText(firefox + L"\\p.default\\parent.lock", "");
    platform::UniqueFile chromeLock(CreateFileW((chrome + L"\\lockfile").c_str(), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
    platform::UniqueFile firefoxLock(CreateFileW((firefox + L"\\p.default\\parent.lock").c_str(),
                                                 GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                                 nullptr));
    platform::UniqueDatabase holder;
    ASSERT_EQ(SQLITE_OK,
              sqlite3_open(platform::ToUtf8(edge + L"\\Default\\Web Data").c_str(), holder.put()));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(holder.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
    const auto chromeBefore = Snapshot(chrome), edgeBefore = Snapshot(edge),
               firefoxBefore = Snapshot(firefox);

    for (const char* name : {"chrome-history", "chrome-cache", "firefox-history", "edge-forms",
                             "chrome-site-data", "firefox-site-data"}) {
        const CleanReport report = RunTarget(name, false);
        ASSERT_FALSE(report.Items().empty()) << name;
        EXPECT_TRUE(report.HasFailures()) << name;
        EXPECT_EQ(CleanStatus::InUse, report.Items()[0].status) << name;
    }
    const CleanReport chromeReport = RunTarget("chrome-cookies", true);
    EXPECT_EQ(L"Chrome is running (profile \"Default\"): close it, including its background "
              L"process, and clean again",
              chromeReport.Items().at(0).detail);
    EXPECT_TRUE(chromeBefore == Snapshot(chrome));
    EXPECT_TRUE(edgeBefore == Snapshot(edge));
    EXPECT_TRUE(firefoxBefore == Snapshot(firefox));
}

// What one family's profile holds: its databases, the bookmarks that stay,
// its cache and the files no clean touches.
struct FamilyFiles {
    std::vector<const wchar_t*> databases;
    const char* bookmarked;
    std::vector<std::string> kept;
    const wchar_t* cache;
    std::vector<const wchar_t*> untouched;
};
const FamilyFiles ChromiumFiles = {{L"History", L"Favicons", L"Network\\Cookies", L"Web Data"},
                                   "SELECT url FROM urls ORDER BY id",
                                   {fixtures::PageBookmark, fixtures::ScriptBookmark},
                                   L"Cache",
                                   {L"Local State", L"Login Data", L"Bookmarks"}};
const FamilyFiles FirefoxFiles = {
    {L"places.sqlite", L"favicons.sqlite", L"cookies.sqlite", L"formhistory.sqlite"},
    "SELECT title FROM moz_places ORDER BY id",
    {"kept", "script"},
    L"cache2",
    {L"key4.db", L"logins.json"}};

// One browser of each layout, its profiles where its row says: the same
// fixtures lose every visit, cookie and form entry to the bytes, and keep
// their bookmarks, keys, passwords and database files; the preview changes
// nothing, and a held lock names the browser.
TEST_F(MoreTracesTest, EachLayoutsProfilesAreCleanedAsChromesAndFirefoxs) {
    const std::wstring opera = Made(FOLDERID_RoamingAppData, L"Opera Software\\Opera GX Stable");
    const std::wstring operaLocal = Made(FOLDERID_LocalAppData, L"Opera Software\\Opera GX Stable");
    const std::wstring brave =
        Made(FOLDERID_LocalAppData, L"BraveSoftware\\Brave-Browser\\User Data");
    const std::wstring wolf = Made(FOLDERID_RoamingAppData, L"librewolf");
    const std::wstring wolfLocal = Made(FOLDERID_LocalAppData, L"librewolf\\Profiles\\x");
    fixtures::WriteText(wolf + L"\\profiles.ini", "[Profile0]\nIsRelative=1\nPath=Profiles/x\n");
    const struct Case {
        const FamilyFiles& files;
        std::wstring folder, local;
    } cases[] = {{ChromiumFiles, MakePath(brave, L"Default"), brave + L"\\Default"},
                 {ChromiumFiles, opera, operaLocal},
                 {ChromiumFiles, MakePath(opera, L"_side_profiles\\p"),
                  MakePath(operaLocal, L"_side_profiles\\p")},
                 {FirefoxFiles, MakePath(wolf, L"Profiles\\x"), wolfLocal}};
    for (const Case& c : cases) {
        ASSERT_TRUE(&c.files == &FirefoxFiles ? fixtures::SeedFirefoxProfile(c.folder, c.local)
                                              : fixtures::SeedChromiumProfile(c.folder));
        MakeFolder(c.local + L"\\" + c.files.cache);
        fixtures::WriteText(c.local + L"\\" + c.files.cache + L"\\entry", fixtures::Secrets[0]);
        for (const wchar_t* file : c.files.untouched)
            if (!Exists(c.folder + L"\\" + file))
                fixtures::WriteText(c.folder + L"\\" + file, "key");
    }
    auto everything = [&] {
        std::map<std::wstring, std::string> files;
        for (const std::wstring& root : {opera, operaLocal, brave, wolf, wolfLocal}) {
            const auto part = Snapshot(root);
            files.insert(part.begin(), part.end());
        }
        return files;
    };
    const auto before = everything();
    for (const char* prefix : {"brave", "opera-gx", "librewolf"}) {
        const std::string history = std::string(prefix) + "-history";
        const auto unpreviewed = everything();
        const CleanReport preview = RunTarget(history.c_str(), true);
        EXPECT_TRUE(unpreviewed == everything()) << "the preview changed a file";
        const CleanReport clean = RunTarget(history.c_str(), false);
        EXPECT_TRUE(!Rows(clean).empty() && Rows(preview) == Rows(clean)) << prefix;
        for (const char* kind : {"-cookies", "-forms", "-cache"})
            EXPECT_FALSE(RunTarget((prefix + std::string(kind)).c_str(), false).HasFailures());
    }
    const auto after = everything();
    for (const Case& c : cases) {
        EXPECT_EQ(c.files.kept,
                  fixtures::Column(c.folder + L"\\" + c.files.databases[0], c.files.bookmarked));
        for (const wchar_t* database : c.files.databases)
            ExpectNoSecretIn(c.folder + L"\\" + database);
        for (const wchar_t* file : c.files.untouched)
            EXPECT_EQ(before.at(c.folder + L"\\" + file), after.at(c.folder + L"\\" + file));
        EXPECT_TRUE(Entries(c.local + L"\\" + c.files.cache).empty()) << Narrow(c.local);
    }

    fixtures::WriteText(opera + L"\\lockfile", "");
    platform::UniqueFile lock(CreateFileW((opera + L"\\lockfile").c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const auto held = everything();
    const CleanReport report = RunTarget("opera-gx-cookies", false);
    ASSERT_EQ(2u, report.Items().size()) << "the profile and its side profile";
    EXPECT_EQ(L"Opera GX is running (profile \"Opera GX Stable\"): close it, including its "
              L"background process, and clean again",
              report.Items()[0].detail);
    EXPECT_TRUE(held == everything());
}

// Logs as a browser that stopped unexpectedly leaves them: a write-ahead log
// with and without its index, one beside an empty file, a hot journal.
TEST_F(MoreTracesTest, APreviewOfEveryTargetChangesNoFileOfAnyProfile) {
    const std::wstring chrome = Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data");
    const std::wstring firefox = Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles");
    const std::wstring local = Made(FOLDERID_LocalAppData, L"Mozilla\\Firefox\\Profiles");
    const std::wstring profile = firefox + L"\\p", history = chrome + L"\\Default\\History";
    ASSERT_TRUE(fixtures::SeedChromiumProfile(chrome + L"\\Default") &&
                fixtures::SeedFirefoxProfile(profile, local + L"\\p"));
    for (const wchar_t* file : {L"\\places.sqlite", L"\\favicons.sqlite"})
        Connect(profile + file, "VACUUM", SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE);
    DeleteFileW((profile + L"\\favicons.sqlite-shm").c_str());
    WriteBytes(profile + L"\\formhistory.sqlite", "");
    WriteBytes(profile + L"\\formhistory.sqlite-wal", Pattern(100));
    std::string journal;
    if (platform::UniqueDatabase crashed = Connect(history, "BEGIN; DELETE FROM visits"))
        journal = ReadBytes(history + L"-journal");
    WriteBytes(history + L"-journal", journal);
    ASSERT_TRUE(Exists(profile + L"\\places.sqlite-shm") &&
                Exists(profile + L"\\favicons.sqlite-wal"));
    const std::wstring temp = m_root.Path() + L"\\..";
    const auto before =
        std::make_tuple(Snapshot(chrome), Snapshot(firefox), Snapshot(local), Entries(temp));

    const Catalogue& catalogue = Catalogue::BuiltIn();
    for (size_t i = 0; i < catalogue.Traces().size(); ++i)
        EXPECT_TRUE(catalogue.IsWindowTrace(i) ||
                    !RunTarget(Narrow(catalogue.Traces()[i].name).c_str(), true).HasFailures())
            << Narrow(catalogue.Traces()[i].name);

    EXPECT_TRUE(before == std::make_tuple(Snapshot(chrome), Snapshot(firefox), Snapshot(local),
                                          Entries(temp)))
        << "a profile's file changed, or a copy stayed in the temporary folder";
}

// A schema that cannot be read fails that database; without the bookmarked
// pages, Firefox's icons stay.
TEST_F(MoreTracesTest, AnUnreadableSchemaFailsTheDatabaseAndKeepsEveryIcon) {
    const std::wstring profile =
        Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles") + L"\\p";
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(profile, profile));
    Connect(profile + L"\\places.sqlite",
            "UPDATE sqlite_master SET sql = 'garbage' WHERE name = 'moz_meta'",
            SQLITE_DBCONFIG_WRITABLE_SCHEMA);
    for (bool preview : {true, false}) {
        const CleanReport report = RunTarget("firefox-history", preview);
        EXPECT_EQ(2u, report.Failures().size()) << "places and its kept pages, preview " << preview;
        EXPECT_EQ(0u, Rows(report).count(profile + L"\\favicons.sqlite|moz_icons")) << preview;
    }
    EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "4"}),
              fixtures::Column(profile + L"\\favicons.sqlite", "SELECT id FROM moz_icons"));
}

// Another program's read blocks the checkpoint: the rows went, and the
// database is kept in use with the reason.
TEST_F(MoreTracesTest, ACheckpointAReaderBlocksIsKeptInUseAndTheRowsThatWentAreNoted) {
    const std::wstring profile =
        Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles") + L"\\p";
    const std::wstring places = profile + L"\\places.sqlite";
    ASSERT_TRUE(fixtures::SeedFirefoxProfile(profile, profile));
    platform::UniqueDatabase reader = Connect(places, "BEGIN; SELECT count(*) FROM moz_places");

    const CleanReport blocked = RunTarget("firefox-history", false);
    EXPECT_EQ(2u, Rows(blocked).at(places + L"|moz_historyvisits"));
    ASSERT_EQ(1u, blocked.Failures().size());
    EXPECT_EQ(CleanStatus::InUse, blocked.Failures()[0]->status);
    EXPECT_EQ(0u, blocked.Failures()[0]->detail.find(L"another program is reading"));
}

TEST_F(MoreTracesTest, ExplorerListsLoseTheirValuesAndKeepTheirKeys) {
    const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
    for (const char* key : {"\\RunMRU", "\\TypedPaths", "\\WordWheelQuery",
                            "\\ComDlg32\\OpenSavePidlMRU\\txt", "\\RecentDocs\\.doc"})
        SetStringValue(explorer + key, "a", "C:\\secret.txt");
    SetStringValue(explorer + "\\Advanced", "a", "stays");

    const CleanReport preview = RunTarget("explorer-lists", true);
    EXPECT_EQ(5u, preview.Items().size());
    EXPECT_FALSE(RunTarget("explorer-lists", false).HasFailures());

    for (const char* key : {"\\RunMRU", "\\ComDlg32\\OpenSavePidlMRU\\txt", "\\RecentDocs\\.doc"}) {
        EXPECT_TRUE(KeyExists(explorer + key));
        EXPECT_FALSE(ValueExists(explorer + key, "a"));
    }
    EXPECT_TRUE(ValueExists(explorer + "\\Advanced", "a"));
}

// Office's lists of both layouts lose their items, and keep their keys and
// their other values; Office's recent links go, the folder stays. Office is
// found by any of them.
TEST_F(MoreTracesTest, OfficeListsOfBothLayoutsLoseTheirItemsAndKeepTheirKeys) {
    const std::string office = "Software\\Microsoft\\Office";
    const std::string older = office + "\\14.0\\Word\\File MRU";
    const std::string newer = office + "\\16.0\\Excel\\User MRU\\ADAL_A1B2\\Place MRU";
    const std::string other = office + "\\16.0\\Common\\General";
    const Catalogue& catalogue = Catalogue::BuiltIn();
    const size_t trace = catalogue.IndexOf(L"office-recent");
    EXPECT_FALSE(catalogue.Found(trace));
    SetStringValue(older, "Item 1", "[F00000000][T01D3]*C:\\secret.docx");
    SetStringValue(older, "Max Display", "25");
    SetStringValue(newer, "Item 2", "[F00000000][T01D3]*C:\\Secret\\");
    SetStringValue(newer, "Item Metadata 2", "<Metadata/>");
    SetStringValue(other, "Item 1", "not a list");
    EXPECT_TRUE(catalogue.Found(trace));
    const std::wstring links = Made(FOLDERID_RoamingAppData, L"Microsoft\\Office\\Recent");
    WriteBytes(links + L"\\secret.docx.LNK", "link");

    EXPECT_EQ(4u, RunTarget("office-recent", true).Items().size());
    EXPECT_FALSE(RunTarget("office-recent", false).HasFailures());

    EXPECT_FALSE(ValueExists(older, "Item 1") || ValueExists(newer, "Item 2") ||
                 ValueExists(newer, "Item Metadata 2"));
    EXPECT_TRUE(ValueExists(older, "Max Display") && ValueExists(other, "Item 1"));
    EXPECT_TRUE(KeyExists(newer));
    EXPECT_TRUE(Exists(links) && Entries(links).empty());
    SHDeleteKeyA(HKEY_CURRENT_USER, office.c_str());
}

// Thumbnail caches go; one Explorer holds open stays in use, which is no
// failure here, and the icon caches stay.
TEST_F(MoreTracesTest, ThumbnailCachesGoButHeldOnesAndIconCachesStay) {
    const std::wstring explorer = Made(FOLDERID_LocalAppData, L"Microsoft\\Windows\\Explorer");
    for (const wchar_t* name : {L"thumbcache_256.db", L"thumbcache_idx.db", L"thumbcache_32.db",
                                L"iconcache_32.db", L"ExplorerStartupLog.etl"})
        WriteBytes(explorer + L"\\" + name, "cache");
    // As Explorer opens it: others may read and write, but not delete.
    platform::UniqueFile held(
        CreateFileW((explorer + L"\\thumbcache_32.db").c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));

    const CleanReport report = RunTarget("thumbnails", false);

    const Catalogue& catalogue = Catalogue::BuiltIn();
    EXPECT_FALSE(
        report.HasFailures(catalogue.Traces()[catalogue.IndexOf(L"thumbnails")].inUseIsNormal));
    EXPECT_EQ(1u, report.Failures().size()) << "the held cache, kept in use";
    EXPECT_FALSE(Exists(explorer + L"\\thumbcache_256.db") ||
                 Exists(explorer + L"\\thumbcache_idx.db"));
    EXPECT_TRUE(Exists(explorer + L"\\thumbcache_32.db") &&
                Exists(explorer + L"\\iconcache_32.db") &&
                Exists(explorer + L"\\ExplorerStartupLog.etl"));
}

// ---- the catalogue ----

// A trace of a program of its own that notes one problem, named after it.
Trace NotingTrace(const std::wstring& name) {
    Trace trace;
    trace.name = name;
    trace.run = [name](Visitors& v) { v.notes.Problem(name, ERROR_ACCESS_DENIED, L"test"); };
    return trace;
}

// More traces than fit 64 bits; each finished report is handed over once,
// holding that trace's items only, and a cancel stops the run between traces.
TEST(CatalogueTest, ARunHandsOverEachTracesOwnReportInOrderUntilCancelled) {
    Catalogue catalogue;
    std::vector<Trace> traces;
    for (int i = 0; i < 70; ++i)
        traces.push_back(NotingTrace(L"t" + std::to_wstring(i)));
    traces.push_back(NotingTrace(L"T3"));
    catalogue.AddProgram({"test", L"Test", L"Tests", nullptr, {}}, traces);
    ASSERT_EQ(70u, catalogue.Traces().size()) << "a name taken already is left out";
    TraceSet chosen;
    for (size_t trace : {69, 3, 65})
        chosen.Add(trace);
    std::vector<std::wstring> seen;
    TraceRunHooks hooks;
    hooks.started = [&](TraceRun& run) {
        seen.push_back(L"start " + std::to_wstring(run.position) + L"/" +
                       std::to_wstring(run.count) + L" " +
                       std::to_wstring(run.report.Items().size()));
    };
    hooks.finished = [&](TraceRun& run) {
        for (const CleanItem& item : run.report.Items())
            seen.push_back(item.path);
    };
    EXPECT_TRUE(PreviewTraces(chosen, hooks, catalogue));
    EXPECT_EQ((std::vector<std::wstring>{L"start 0/3 0", L"t3", L"start 1/3 0", L"t65",
                                         L"start 2/3 0", L"t69"}),
              seen);

    seen.clear();
    hooks.cancelled = [&] { return seen.size() == 2; };
    EXPECT_FALSE(CleanTraces(chosen, hooks, catalogue));
    EXPECT_EQ((std::vector<std::wstring>{L"start 0/3 0", L"t3"}), seen);
}

// Names from the settings: a more trace by any case, in the catalogue's order;
// one of the eight or an unknown one left out, and the unknown kept when a
// new choice is stored.
TEST(CatalogueTest, StoredNamesChooseMoreTracesAndUnknownNamesAreKept) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    std::vector<std::wstring> unknown;
    const TraceSet named =
        MoreTracesNamed({L"TEMP", L"history", L"winapp2:Gone, really", L"chrome-cookies"}, unknown);
    EXPECT_EQ((std::vector<std::wstring>{L"chrome-cookies", L"temp"}), MoreTraceNames(named));
    EXPECT_EQ((std::vector<std::wstring>{L"history", L"winapp2:Gone, really"}), unknown);
    TraceSet chosen = TraceSet::FromPlace(0x185);
    EXPECT_EQ(0x85u, chosen.Place());
    chosen.Add(catalogue.IndexOf(L"edge-forms"));
    EXPECT_EQ((std::vector<std::wstring>{L"edge-forms", L"winapp2:Gone, really"}),
              MoreTracesToStore(chosen, {L"temp", L"history", L"winapp2:Gone, really"}));
    EXPECT_EQ(L"recycle-bin", catalogue.Traces()[RecycleBin].name);
    EXPECT_TRUE(catalogue.IsWindowTrace(RecycleBin) && catalogue.Found(RecycleBin));
}

TEST_F(MoreTracesTest, ABrowserIsFoundByItsProfilesFolderAndWindowsAlways) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    auto found = [&](const wchar_t* name) { return catalogue.Found(catalogue.IndexOf(name)); };
    EXPECT_FALSE(found(L"chrome-history") || found(L"edge-cache") || found(L"firefox-forms") ||
                 found(L"opera-cookies"));
    EXPECT_TRUE(found(L"temp"));
    Made(FOLDERID_LocalAppData, L"Google\\Chrome\\User Data");
    Made(FOLDERID_RoamingAppData, L"Mozilla\\Firefox\\Profiles");
    Made(FOLDERID_RoamingAppData, L"Opera Software\\Opera Stable");
    EXPECT_TRUE(found(L"chrome-history") && found(L"firefox-forms") && found(L"opera-cookies"));
    EXPECT_FALSE(found(L"edge-cache") || found(L"chrome-beta-cache"));
}

// A registry link among the lists is left alone, and its target's values with
// it; a list the user may not change is named, in the preview as in the clean.
TEST_F(MoreTracesTest, ExplorerListsLeaveLinksAloneAndNameKeysTheyCannotClear) {
    const std::string recent = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
    const std::string target = "Software\\Quenby link target", sid = UserSidText();
    SetStringValue(target, "a", "not a list");
    SetStringValue(recent + "\\.locked", "a", "C:\\secret.txt");
    SetSecurity(HKEY_CURRENT_USER, recent + "\\.locked", "D:P(A;;KRWDWO;;;" + sid + ")");
    platform::UniqueHKey link;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (recent + "\\.link").c_str(), 0,
                                             nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS,
                                             nullptr, link.put(), nullptr));
    const std::wstring to =
        platform::FromAnsi(("\\Registry\\User\\" + sid + "\\" + target).c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                                            reinterpret_cast<const BYTE*>(to.c_str()),
                                            DWORD(to.size() * sizeof(wchar_t))));

    for (const bool preview : {true, false}) {
        const CleanReport report = RunTarget("explorer-lists", preview);
        const std::vector<const CleanItem*> failures = report.Failures();
        EXPECT_EQ(1u, failures.size()) << (preview ? "preview" : "clean");
        for (const CleanItem* failure : failures)
            EXPECT_EQ(L"HKCU\\" + platform::FromAnsi(recent.c_str()) + L"\\.locked|5",
                      failure->path + L"|" + DecimalText(failure->error));
    }
    EXPECT_TRUE(ValueExists(recent + "\\.link", "a")) << "the link was followed";
    SetSecurity(HKEY_CURRENT_USER, recent + "\\.locked", "D:P(A;;KA;;;" + sid + ")");
    RegDeleteKeyA(HKEY_CURRENT_USER, (recent + "\\.locked").c_str());
    RegDeleteKeyW(link.get(), L""); // the link itself, opened as created
    RegDeleteKeyA(HKEY_CURRENT_USER, target.c_str());
}

// However it is written, a %TEMP% that is or holds a folder of the system or
// the profile, or is a drive's root, is one problem with its reason, in the
// preview and the clean, and nothing in it changes.
TEST_F(MoreTracesTest, ATemporaryFolderThatIsOrHoldsAKnownFolderOrARootIsRefused) {
    const std::wstring roaming = platform::KnownFolderPath(FOLDERID_RoamingAppData);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(L"C:\\Program Files", shortName, MAX_PATH));
    MakeSymlink(roaming, m_root / L"link");
    // Drive Q: is a folder of the sandbox.
    MakeFolder(m_root / L"drive");
    WriteBytes(m_root / L"drive\\kept.txt", "x");
    const std::string drive = std::string(std::getenv("WINEPREFIX")) + "/dosdevices/q:";
    ASSERT_TRUE(RunUnix("/bin/ln -s " + UnixPath(m_root / L"drive") + " " + drive));
    ASSERT_TRUE(WaitFor([] { return Exists(L"Q:\\kept.txt"); }));

    for (const std::wstring& folder :
         {std::wstring(L"C:\\Users"), platform::KnownFolderPath(FOLDERID_Downloads),
          std::wstring(L"C:\\ProgramData"), L"\\\\?\\" + roaming, std::wstring(shortName),
          m_root / L"link", std::wstring(L"Q:\\")}) {
        for (const bool preview : {true, false}) {
            const CleanReport report = RunTarget("temp", preview, folder);
            // Only a refused preview lets the clean run.
            ASSERT_EQ(1u, report.Items().size()) << Narrow(folder);
            ASSERT_EQ(DWORD(ERROR_BAD_PATHNAME), report.Items()[0].error) << Narrow(folder);
            EXPECT_NE(std::wstring::npos, report.Items()[0].detail.find(L"nothing in it was"));
        }
    }
    EXPECT_TRUE(Exists(L"Q:\\kept.txt"));
    RunUnix("/bin/rm -f " + drive);
    RemoveSymlink(m_root / L"link");
}

// Files held open are normal in the temporary folder: kept, and no failure. So
// are running programs and DLLs, and files held with their deletion shared.
TEST_F(MoreTracesTest, TemporaryFilesGoButTheFolderLowAndFilesInUseStay) {
    wchar_t given[MAX_PATH] = {}, self[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, given), 3u);
    const std::wstring temp(given, wcslen(given) - 1), running = temp + L"\\setup.exe";
    MakeFolder(temp + L"\\Low");
    WriteBytes(temp + L"\\Low\\sandboxed.tmp", "x");
    MakeFolder(temp + L"\\old");
    WriteBytes(temp + L"\\old\\a.tmp", "x");
    WriteBytes(temp + L"\\held.tmp", "x");
    platform::UniqueFile held(CreateFileW((temp + L"\\held.tmp").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    MakeFolder(temp + L"\\log");
    WriteBytes(temp + L"\\log\\shared.tmp", "x");
    platform::UniqueFile sharing(CreateFileW((temp + L"\\log\\shared.tmp").c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, running.c_str(), FALSE));
    // Mapped as the image of a running program or a loaded DLL is.
    const HMODULE image = LoadLibraryExW(running.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(nullptr, image);

    const CleanReport report = RunTarget("temp", false);

    FreeLibrary(image);
    const Catalogue& catalogue = Catalogue::BuiltIn();
    EXPECT_FALSE(report.HasFailures(catalogue.Traces()[catalogue.IndexOf(L"temp")].inUseIsNormal));
    sharing.reset();
    EXPECT_FALSE(Exists(temp + L"\\log\\shared.tmp")) << "it goes once its holder closes it";
    EXPECT_FALSE(Exists(temp + L"\\old"));
    EXPECT_TRUE(Exists(temp + L"\\Low\\sandboxed.tmp"));
    EXPECT_TRUE(Exists(temp + L"\\held.tmp"));
    EXPECT_TRUE(std::any_of(report.Items().begin(), report.Items().end(),
                            [](const CleanItem& i) { return i.status == CleanStatus::InUse; }));
}

} // namespace
