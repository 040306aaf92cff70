// Firefox's profiles: places.sqlite holds the history and the bookmarks
// together, so the history is cleaned out of it and the file stays.
#include "clean/Database.h"
#include "clean/FolderWalk.h"
#include "clean/WidePath.h"
#include "moretraces/ProfileCleaners.h"

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

const char KeptPagesTable[] = "kept_pages";
const char KeptRootIconsTable[] = "kept_root_icons";
const char RootIcon[] = "/favicon.ico";
const char UrlStart[] = "://";

// A place stays when a bookmark or a keyword names it; with neither table
// (a stale or empty profile) none does.
std::string KeptPlaces(const std::set<std::string>& tables) {
    std::string kept;
    if (tables.count("moz_bookmarks"))
        kept = "id IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)";
    if (tables.count("moz_keywords"))
        kept +=
            std::string(kept.empty() ? "" : " OR ") + "id IN (SELECT place_id FROM moz_keywords)";
    return "(" + (kept.empty() ? std::string("0") : kept) + ")";
}

// The conditions name the places that stay as they are before the clean, so
// that each change counts and removes the same rows in a preview and a clean.
// A subquery of NOT IN must give no NULL, or it matches nothing.
RowPlan PlacesPlan(const std::set<std::string>& tables) {
    RowPlan plan = WholeTables(VisitTables, tables);
    if (!tables.count("moz_places"))
        return plan;
    const std::string kept = KeptPlaces(tables);
    const std::string keptIds = "(SELECT id FROM moz_places WHERE " + kept + ")";
    for (const char* table : {"moz_annos", "moz_places_extra"}) {
        if (tables.count(table))
            plan.changes.push_back({table, "place_id NOT IN " + keptIds, ""});
    }
    if (tables.count("moz_origins"))
        plan.changes.push_back(
            {"moz_origins",
             "id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL AND " + kept +
                 ")",
             ""});
    plan.changes.push_back({"moz_places", "NOT " + kept, ""});
    plan.changes.push_back({"moz_places", kept, "visit_count = 0, last_visit_date = NULL"});
    return plan;
}

// The icons of the pages that stay, and the site icons of their sites.
RowPlan FaviconsPlan(const std::vector<std::wstring>& pages, const std::vector<std::wstring>& roots,
                     const std::set<std::string>& tables) {
    RowPlan plan;
    plan.kept.push_back({KeptPagesTable, pages});
    plan.kept.push_back({KeptRootIconsTable, roots});
    if (!tables.count("moz_pages_w_icons") || !tables.count("moz_icons_to_pages") ||
        !tables.count("moz_icons"))
        return plan;
    const std::string keptPages =
        "(SELECT id FROM moz_pages_w_icons WHERE page_url IN (SELECT value FROM temp.kept_pages))";
    plan.changes.push_back({"moz_icons_to_pages", "page_id NOT IN " + keptPages, ""});
    plan.changes.push_back(
        {"moz_pages_w_icons", "page_url NOT IN (SELECT value FROM temp.kept_pages)", ""});
    plan.changes.push_back(
        {"moz_icons",
         "(root = 0 AND id NOT IN (SELECT icon_id FROM moz_icons_to_pages WHERE page_id IN " +
             keptPages + ")) OR (root <> 0 AND icon_url NOT IN (SELECT value FROM temp." +
             KeptRootIconsTable + "))",
         ""});
    return plan;
}

// "https://host/favicon.ico" for a page's address, or nothing.
std::wstring RootIconOf(const std::wstring& url) {
    const std::string text = WidePath::ToUtf8(url);
    const size_t start = text.find(UrlStart);
    if (start == std::string::npos)
        return std::wstring();
    const size_t end = text.find_first_of("/?#", start + sizeof UrlStart - 1);
    return WidePath::FromUtf8(text.substr(0, end) + RootIcon);
}

// The addresses of the places that stay, read from places.sqlite as it is.
std::vector<std::wstring> KeptPageUrls(const std::wstring& places) {
    std::vector<std::wstring> urls;
    platform::UniqueDatabase db;
    if (!database::Exists(places) || database::OpenReadOnly(places, db))
        return urls;
    const std::set<std::string> tables = database::Tables(db.get());
    if (tables.count("moz_places"))
        database::Strings(db.get(),
                          ("SELECT url FROM moz_places WHERE " + KeptPlaces(tables)).c_str(), urls);
    return urls;
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

void CleanHistory(const BrowserProfile& profile, Visitors& visitors) {
    const std::vector<std::wstring> pages = KeptPageUrls(In(profile, PlacesFile));
    std::vector<std::wstring> roots;
    for (const std::wstring& page : pages) {
        const std::wstring root = RootIconOf(page);
        if (!root.empty())
            roots.push_back(root);
    }
    visitors.databases.ChangeRows(In(profile, PlacesFile), PlacesPlan);
    visitors.databases.ChangeRows(
        In(profile, FaviconsFile),
        [&](const std::set<std::string>& tables) { return FaviconsPlan(pages, roots, tables); });
}

void CleanCookies(const BrowserProfile& profile, Visitors& visitors) {
    CleanCookieDatabase(In(profile, CookiesFile), Cookies, visitors);
}

void CleanForms(const BrowserProfile& profile, Visitors& visitors) {
    visitors.databases.ChangeRows(In(profile, FormsFile), [](const std::set<std::string>& t) {
        return WholeTables(FormTables, t);
    });
}

} // namespace firefox
