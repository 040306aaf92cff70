// Firefox's profiles: places.sqlite holds the history and the bookmarks
// together, so the history is cleaned out of it and the file stays.
#include "clean/DatabaseCopy.h"
#include "clean/FolderWalk.h"
#include "clean/WidePath.h"
#include "moretraces/ProfileCleaners.h"
#include "platform/TextConversion.h"

namespace {

const wchar_t CacheFolder[] = L"cache2";
const wchar_t PlacesFile[] = L"places.sqlite";
const wchar_t FaviconsFile[] = L"favicons.sqlite";
const wchar_t CookiesFile[] = L"cookies.sqlite";
const wchar_t FormsFile[] = L"formhistory.sqlite";

// Tables of visits and of what was typed or read, and those keyed by them
// (clicks on the new tab's shortcuts name the place and the time).
const std::vector<const char*> VisitTables = {"moz_historyvisits",
                                              "moz_historyvisits_extra",
                                              "moz_inputhistory",
                                              "moz_places_metadata",
                                              "moz_places_metadata_search_queries",
                                              "moz_places_metadata_snapshots",
                                              "moz_places_metadata_snapshots_extra",
                                              "moz_places_metadata_snapshots_groups",
                                              "moz_places_metadata_groups_to_snapshots",
                                              "moz_session_metadata",
                                              "moz_session_to_places",
                                              "moz_newtab_shortcuts_interaction"};
const std::vector<const char*> FormTables = {"moz_formhistory", "moz_history_to_sources",
                                             "moz_sources"};
// A cookie's "originAttributes": empty, or "^" and "name=value" pairs
// joined by "&"; a partitioned cookie's "partitionKey" is percent-encoded
// "(scheme,host[,port][,...])", its top-level site.
const char PartitionKey[] = "partitionKey=";
const char AttributeSeparator = '&';
const char PartitionOpen = '(';
const char PartitionField = ',';

// The tables of places.sqlite and favicons.sqlite that the plans name in
// their conditions, each spelled once.
const char Places[] = "moz_places";
const char Bookmarks[] = "moz_bookmarks";
const char Keywords[] = "moz_keywords";
const char Origins[] = "moz_origins";
const char PagesWithIcons[] = "moz_pages_w_icons";
const char IconsToPages[] = "moz_icons_to_pages";
const char Icons[] = "moz_icons";

const char KeptPagesTable[] = "kept_pages";
const char KeptRootIconsTable[] = "kept_root_icons";
const char RootIcon[] = "/favicon.ico";
const char UrlStart[] = "://";
const wchar_t UnreadableKeptPages[] =
    L"the bookmarked pages cannot be read, so every icon stays: no bookmark's icon may go";

// A place stays when a bookmark or a keyword names it; with neither table
// (a stale or empty profile) none does.
std::string KeptPlaces(const std::set<std::string>& tables) {
    std::string kept;
    if (tables.count(Bookmarks))
        kept = std::string("id IN (SELECT fk FROM ") + Bookmarks + " WHERE fk IS NOT NULL)";
    if (tables.count(Keywords))
        kept += std::string(kept.empty() ? "" : " OR ") + "id IN (SELECT place_id FROM " +
                Keywords + ")";
    return "(" + (kept.empty() ? std::string("0") : kept) + ")";
}

// The conditions name the places that stay as they are before the clean, so
// that each change counts and removes the same rows in a preview and a clean.
// A subquery of NOT IN must give no NULL, or it matches nothing.
RowPlan PlacesPlan(const std::set<std::string>& tables) {
    RowPlan plan = WholeTables(VisitTables, tables);
    if (!tables.count(Places))
        return plan;
    const std::string kept = KeptPlaces(tables);
    const std::string keptIds = std::string("(SELECT id FROM ") + Places + " WHERE " + kept + ")";
    for (const char* table : {"moz_annos", "moz_places_extra"}) {
        if (tables.count(table))
            plan.changes.push_back({table, "place_id NOT IN " + keptIds, ""});
    }
    if (tables.count(Origins))
        plan.changes.push_back({Origins,
                                std::string("id NOT IN (SELECT origin_id FROM ") + Places +
                                    " WHERE origin_id IS NOT NULL AND " + kept + ")",
                                ""});
    plan.changes.push_back({Places, "NOT " + kept, ""});
    plan.changes.push_back({Places, kept, "visit_count = 0, last_visit_date = NULL"});
    return plan;
}

// The icons of the pages that stay, and the site icons of their sites.
RowPlan FaviconsPlan(const std::vector<std::wstring>& pages, const std::vector<std::wstring>& roots,
                     const std::set<std::string>& tables) {
    RowPlan plan;
    plan.kept.push_back({KeptPagesTable, pages});
    plan.kept.push_back({KeptRootIconsTable, roots});
    if (!tables.count(PagesWithIcons) || !tables.count(IconsToPages) || !tables.count(Icons))
        return plan;
    const std::string keptUrls = std::string("(SELECT value FROM temp.") + KeptPagesTable + ")";
    const std::string keptPages =
        std::string("(SELECT id FROM ") + PagesWithIcons + " WHERE page_url IN " + keptUrls + ")";
    plan.changes.push_back({IconsToPages, "page_id NOT IN " + keptPages, ""});
    plan.changes.push_back({PagesWithIcons, "page_url NOT IN " + keptUrls, ""});
    plan.changes.push_back({Icons,
                            std::string("(root = 0 AND id NOT IN (SELECT icon_id FROM ") +
                                IconsToPages + " WHERE page_id IN " + keptPages +
                                ")) OR (root <> 0 AND icon_url NOT IN (SELECT value FROM temp." +
                                KeptRootIconsTable + "))",
                            ""});
    return plan;
}

// "https://host/favicon.ico" for a page's address, or nothing.
std::wstring RootIconOf(const std::wstring& url) {
    const std::string text = platform::ToUtf8(url);
    const size_t start = text.find(UrlStart);
    if (start == std::string::npos)
        return std::wstring();
    const size_t end = text.find_first_of("/?#", start + sizeof UrlStart - 1);
    return platform::FromUtf8(text.substr(0, end) + RootIcon);
}

// The addresses of the places that stay, read from a copy of places.sqlite
// as it is; none when there is no such file or table.
database::Failure KeptPageUrls(const std::wstring& places, std::vector<std::wstring>& urls) {
    if (!WidePath::Exists(places))
        return database::Failure();
    DatabaseCopy db;
    std::set<std::string> tables;
    if (database::Failure failure = db.Open(places, tables))
        return failure;
    if (!tables.count(Places))
        return database::Failure();
    return database::Strings(
        db.get(),
        (std::string("SELECT url FROM ") + Places + " WHERE " + KeptPlaces(tables)).c_str(), urls);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(const std::string& text) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                            HexDigit(text[i + 2]) >= 0;
        decoded += escape ? char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])) : text[i];
        i += escape ? 2 : 0;
    }
    return decoded;
}

// The attributes' "partitionKey", decoded; empty when there is none.
std::string PartitionOf(const std::string& attributes) {
    size_t start = attributes.find(PartitionKey);
    if (start == std::string::npos)
        return std::string();
    start += sizeof PartitionKey - 1;
    return PercentDecoded(
        attributes.substr(start, attributes.find(AttributeSeparator, start) - start));
}

bool IsPartitioned(const std::string& attributes) {
    return !PartitionOf(attributes).empty();
}

// The host field of the partition key; a key of another form names none, so
// its cookie goes.
std::string PartitionHost(const std::string& attributes) {
    const std::string key = PartitionOf(attributes);
    const size_t scheme = key.find(PartitionField);
    if (key.empty() || key[0] != PartitionOpen || scheme == std::string::npos)
        return std::string();
    const size_t end = key.find_first_of(",)", scheme + 1);
    return key.substr(scheme + 1, end == std::string::npos ? end : end - scheme - 1);
}

const CookieTable Cookies = {"moz_cookies", "host", "originAttributes", IsPartitioned,
                             PartitionHost};

std::wstring In(const BrowserProfile& profile, const wchar_t* file) {
    return WidePath::Join(profile.folder, file);
}

} // namespace

namespace firefox {

void CleanCache(const BrowserProfile& profile, Visitors& visitors) {
    FolderWalk(visitors.folders).EmptyFolder(WidePath::Join(profile.localFolder, CacheFolder));
}

// The bookmarked pages decide which icons stay: when they cannot be read,
// the icons are not touched.
void CleanHistory(const BrowserProfile& profile, Visitors& visitors) {
    const std::wstring places = In(profile, PlacesFile);
    std::vector<std::wstring> pages;
    const database::Failure unread = KeptPageUrls(places, pages);
    if (unread)
        visitors.notes.Problem(places, unread.error, UnreadableKeptPages);
    visitors.databases.ChangeRows(places, PlacesPlan);
    if (unread)
        return;
    std::vector<std::wstring> roots;
    for (const std::wstring& page : pages) {
        const std::wstring root = RootIconOf(page);
        if (!root.empty())
            roots.push_back(root);
    }
    visitors.databases.ChangeRows(
        In(profile, FaviconsFile),
        [&](const std::set<std::string>& tables) { return FaviconsPlan(pages, roots, tables); });
}

void CleanCookies(const BrowserProfile& profile, Visitors& visitors) {
    CleanCookieDatabase(In(profile, CookiesFile), Cookies, visitors);
}

std::string PartitionHostOf(const std::string& attributes) {
    return PartitionHost(attributes);
}

void CleanForms(const BrowserProfile& profile, Visitors& visitors) {
    visitors.databases.ChangeRows(In(profile, FormsFile), [](const std::set<std::string>& t) {
        return WholeTables(FormTables, t);
    });
}

} // namespace firefox
