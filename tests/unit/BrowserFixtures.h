// Browser profiles as the browsers write them, for the cleaner tests, the
// end-to-end driver and the demo. Every database is made from the schema a
// real browser wrote (tests/fixtures/browsers: today's Chromium and Firefox,
// and older Chromium profiles), then given rows of the user's that a clean
// must remove, of bookmarks that must stay, and of saved cards that must stay.
#pragma once

#include "BrowserFixtureFiles.h"
#include "platform/SqliteHandles.h"
#include "platform/TextConversion.h"

#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace fixtures {

// Addresses and values a clean must leave nowhere in a file's bytes.
constexpr const char* Secrets[] = {"https://visited.example/secret-page", "cookie-value-0f1e2d",
                                   "form-value-7a6b5c", "searched-for-thing",
                                   "address-line-5e4d3c"};
// A saved card, IBAN and loyalty card: a form clean keeps them, as passwords.
constexpr const char* Valuables[] = {"kept-card-4111", "kept-iban-DE89", "kept-loyalty-77"};
// A bookmark whose address holds quotes, as a pasted SQL text would break on.
constexpr const char* ScriptBookmark = "javascript:alert(\"it's\")";
constexpr const char* PageBookmark = "https://kept.example/";

// Today's browsers, and a Chromium profile of before Chrome 96 (cookies in
// the profile's own folder, form entries in "autofill", addresses in
// "autofill_profiles"); OlderWebData is one of between, with "local_addresses".
const std::string Chromium = "chromium-156/";
const std::string OlderChromium = "chromium-older/";
const std::string OlderWebData = "chromium-older/Web Data.v120.sql";
const std::string Firefox = "firefox-153/";

// The text of a fixture file, or SQL that fails and names it.
inline std::string FixtureText(const std::string& name) {
    for (const FixtureFile& file : FixtureFiles)
        if (name == file.name)
            return file.text;
    return "SELECT missing_fixture_file('" + name + "')";
}

// One row of a test's own: its table, the columns it names (separated by
// spaces) and their values; a null value is SQL NULL.
struct Row {
    const char* table;
    const char* columns;
    std::vector<const char*> values;
};
using Rows = std::vector<Row>;

// clang-format off
inline const Rows HistoryRows = {
    {"urls", "id url title visit_count last_visit_time", {"1", Secrets[0], "t", "3", "1"}},
    {"urls", "id url title last_visit_time", {"2", PageBookmark, "kept", "1"}},
    {"urls", "id url title last_visit_time", {"3", ScriptBookmark, "script", "1"}},
    {"visits", "id url visit_time segment_id", {"1", "1", "1", "1"}},
    {"visits", "id url visit_time", {"2", "2", "1"}},
    {"keyword_search_terms", "keyword_id url_id term normalized_term",
     {"1", "1", Secrets[3], Secrets[3]}},
    {"downloads", "id tab_url", {"1", Secrets[0]}},
    {"downloads_url_chains", "id chain_index url", {"1", "0", Secrets[0]}},
    {"segments", "id name url_id", {"1", "visited.example", "1"}},
    {"segment_usage", "id segment_id time_slot visit_count", {"1", "1", "1", "3"}},
    {"content_annotations", "visit_id related_searches", {"1", Secrets[3]}},
    {"visited_links", "link_url_id top_level_url", {"1", Secrets[0]}},
    {"journeys", "journey_id title", {"j", Secrets[3]}},
    {"journey_history_entries", "journey_id visit_timestamp_micros", {"j", "1"}}};
inline const Rows FaviconsRows = {
    {"favicons", "id url", {"1", "https://visited.example/secret-page/i.ico"}},
    {"favicons", "id url", {"2", "https://kept.example/i.ico"}},
    {"icon_mapping", "id page_url icon_id", {"1", Secrets[0], "1"}},
    {"icon_mapping", "id page_url icon_id", {"2", PageBookmark, "2"}},
    {"favicon_bitmaps", "id icon_id image_data", {"1", "1", "a"}},
    {"favicon_bitmaps", "id icon_id image_data", {"2", "2", "b"}}};
inline const Rows CookiesRows = {
    {"cookies", "creation_utc host_key value", {"1", ".visited.example", Secrets[1]}},
    {"cookies", "creation_utc host_key value", {"2", ".other.example", "x"}}};
// Form entries and addresses of every schema, the search engine and the
// saved cards, in whichever of these tables the file has.
inline const Rows WebDataRows = {
    {"autocomplete", "name label value value_lower", {"email", "E-mail", Secrets[2], Secrets[2]}},
    {"autofill", "name value value_lower", {"email", Secrets[2], Secrets[2]}},
    {"addresses", "guid", {"a"}},
    {"address_type_tokens", "guid type value", {"a", "77", Secrets[4]}},
    {"local_addresses", "guid", {"a"}},
    {"local_addresses_type_tokens", "guid type value", {"a", "77", Secrets[4]}},
    {"contact_info", "guid", {"c"}},
    {"contact_info_type_tokens", "guid type value", {"c", "77", Secrets[4]}},
    {"autofill_profiles", "guid street_address", {"a", Secrets[4]}},
    {"autofill_profile_addresses", "guid street_address", {"a", Secrets[4]}},
    {"keywords", "id short_name keyword url",
     {"1", "Search", "s", "https://search.example/?q={searchTerms}"}},
    {"credit_cards", "guid name_on_card card_number_encrypted", {"c", "Holder", Valuables[0]}},
    {"local_ibans", "guid value_encrypted", {"i", Valuables[1]}},
    {"loyalty_cards", "loyalty_card_id loyalty_card_number", {"l", Valuables[2]}}};
// What the address bar keeps of the history, in the files it rebuilds.
inline const Rows OmniboxRows = {
    {"top_sites", "url title", {Secrets[0], "t"}},
    {"omni_box_shortcuts", "id text url", {"s", Secrets[3], Secrets[0]}},
    {"network_action_predictor", "id user_text url", {"p", Secrets[3], Secrets[0]}}};

inline const Rows PlacesRows = {
    {"moz_origins", "id prefix host", {"1", "https://", "visited.example"}},
    {"moz_origins", "id prefix host", {"2", "https://", "kept.example"}},
    {"moz_places", "id url title visit_count last_visit_date origin_id",
     {"1", Secrets[0], "t", "3", "1", "1"}},
    {"moz_places", "id url title visit_count last_visit_date origin_id",
     {"2", PageBookmark, "kept", "2", "1", "2"}},
    {"moz_places", "id url title last_visit_date", {"3", ScriptBookmark, "script", "1"}},
    {"moz_historyvisits", "id place_id visit_date", {"1", "1", "1"}},
    {"moz_historyvisits", "id place_id visit_date", {"2", "2", "1"}},
    {"moz_inputhistory", "place_id input", {"1", Secrets[3]}},
    {"moz_places_metadata_search_queries", "id terms", {"1", Secrets[3]}},
    {"moz_newtab_shortcuts_interaction", "place_id timestamp_s", {"1", "1"}},
    {"moz_bookmarks", "id type parent title", {"1", "2", "0", "root"}},
    {"moz_bookmarks", "id type fk parent title", {"2", "1", "2", "1", "kept"}},
    {"moz_bookmarks", "id type fk parent title keyword_id", {"3", "1", "3", "1", "script", "1"}},
    {"moz_keywords", "id keyword place_id", {"1", "js", "3"}},
    {"moz_annos", "id place_id content", {"1", "1", Secrets[3]}},
    {"moz_annos", "id place_id content", {"2", "2", "kept note"}}};
inline const Rows FirefoxFaviconsRows = {
    {"moz_icons", "id icon_url data", {"1", "https://visited.example/secret-page/i.png", "a"}},
    {"moz_icons", "id icon_url data", {"2", "https://kept.example/i.png", "b"}},
    {"moz_icons", "id icon_url root", {"3", "https://visited.example/favicon.ico", "1"}},
    {"moz_icons", "id icon_url root", {"4", "https://kept.example/favicon.ico", "1"}},
    {"moz_pages_w_icons", "id page_url", {"1", Secrets[0]}},
    {"moz_pages_w_icons", "id page_url", {"2", PageBookmark}},
    {"moz_icons_to_pages", "page_id icon_id", {"1", "1"}},
    {"moz_icons_to_pages", "page_id icon_id", {"2", "2"}}};
inline const Rows FirefoxCookiesRows = {
    {"moz_cookies", "id name value host path", {"1", "sid", Secrets[1], ".visited.example", "/"}}};
inline const Rows FormHistoryRows = {
    {"moz_formhistory", "id fieldname value guid", {"1", "email", Secrets[2], "g"}}};
// clang-format on

// The cookies a browser wrote for the two test sites (cookie-keys.txt:
// "host | 'partition' | name" a line), as rows of `table` with `columns`
// naming those three, each value kept apart from the others' by its line.
struct CookieKeys {
    std::vector<std::string> texts;
    Rows rows;
};
inline CookieKeys CookieKeysOf(const std::string& browser, const char* table, const char* columns) {
    CookieKeys keys;
    std::istringstream lines(FixtureText(browser + "cookie-keys.txt"));
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find(" | "), last = line.rfind(" | ");
        if (first == std::string::npos || first == last)
            continue;
        const std::string partition = line.substr(first + 3, last - first - 3);
        keys.texts.push_back(line.substr(0, first));
        keys.texts.push_back(partition.substr(1, partition.size() - 2));
        keys.texts.push_back(line.substr(last + 3));
    }
    for (size_t i = 0; i < keys.texts.size(); i += 3)
        keys.rows.push_back(
            {table,
             columns,
             {keys.texts[i].c_str(), keys.texts[i + 1].c_str(), keys.texts[i + 2].c_str()}});
    return keys;
}

// Runs one INSERT of `columns` with `values` bound (a null value is NULL).
inline int Insert(sqlite3* db, const std::string& table, const std::vector<std::string>& columns,
                  const std::vector<const char*>& values) {
    std::string names, marks;
    for (const std::string& column : columns) {
        names += (names.empty() ? "\"" : ",\"") + column + "\"";
        marks += marks.empty() ? "?" : ",?";
    }
    platform::UniqueStatement insert;
    const std::string sql = "INSERT INTO " + table + "(" + names + ") VALUES(" + marks + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, insert.put(), nullptr) != SQLITE_OK)
        return sqlite3_extended_errcode(db);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] ? sqlite3_bind_text(insert.get(), int(i + 1), values[i], -1, SQLITE_STATIC)
                  : sqlite3_bind_null(insert.get(), int(i + 1));
    return sqlite3_step(insert.get()) == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
}

// Inserts `row` when the database has its table (a schema of another version
// may not). A column the row does not name keeps its default; where the
// schema allows no NULL and gives no default, it gets 0. This SQLite has no
// schema pragmas, so those columns are learnt from the insert's own refusals
// ("NOT NULL constraint failed: table.column").
inline bool InsertRow(sqlite3* db, const Row& row) {
    const std::string table = std::string("\"") + row.table + "\"";
    platform::UniqueStatement probe;
    if (sqlite3_prepare_v2(db, ("SELECT * FROM " + table).c_str(), -1, probe.put(), nullptr) !=
        SQLITE_OK)
        return true;
    std::vector<std::string> columns;
    std::istringstream names(row.columns);
    for (std::string name; names >> name;)
        columns.push_back(name);
    std::vector<const char*> values = row.values;
    if (columns.size() != values.size())
        return false;
    for (int column = 0; column <= sqlite3_column_count(probe.get()); ++column) {
        const int result = Insert(db, table, columns, values);
        if (result != SQLITE_CONSTRAINT_NOTNULL)
            return result == SQLITE_OK;
        const std::string message = sqlite3_errmsg(db);
        columns.push_back(message.substr(message.rfind('.') + 1));
        values.push_back("0");
    }
    return false;
}

// Runs `sql` on a new database at `path`; `wal`: in write-ahead-log mode.
inline bool MakeDatabase(const std::wstring& path, const std::string& sql, bool wal = false) {
    platform::UniqueDatabase db;
    if (sqlite3_open(platform::ToUtf8(path).c_str(), db.put()) != SQLITE_OK)
        return false;
    const std::string all = (wal ? "PRAGMA journal_mode=WAL;" : "") + sql;
    return sqlite3_exec(db.get(), all.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Adds `rows` to the database at `path`.
inline bool AddRows(const std::wstring& path, const Rows& rows) {
    platform::UniqueDatabase db;
    if (sqlite3_open(platform::ToUtf8(path).c_str(), db.put()) != SQLITE_OK)
        return false;
    return std::all_of(rows.begin(), rows.end(),
                       [&](const Row& row) { return InsertRow(db.get(), row); });
}

// A new database at `path` made from the fixture `schema`, with `rows`.
inline bool MakeFromFixture(const std::wstring& path, const std::string& schema, const Rows& rows) {
    return MakeDatabase(path, FixtureText(schema)) && AddRows(path, rows);
}

// The first column of every row `query` gives, as text.
inline std::vector<std::string> Column(const std::wstring& path, const std::string& query) {
    std::vector<std::string> values;
    platform::UniqueDatabase db;
    platform::UniqueStatement statement;
    if (sqlite3_open(platform::ToUtf8(path).c_str(), db.put()) != SQLITE_OK ||
        sqlite3_prepare_v2(db.get(), query.c_str(), -1, statement.put(), nullptr) != SQLITE_OK)
        return {"<cannot query " + query + ">"};
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(statement.get(), 0);
        values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    return values;
}

inline void WriteText(const std::wstring& path, const std::string& text) {
    platform::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr);
}

// A Chromium profile: History, Favicons, Bookmarks, Cookies, Web Data, a
// cache and the address bar's stores. `networkCookies`: today's profile, with
// its cookies in Network and an Account Web Data; else a profile of an older
// Chrome, with its cookies beside the other files.
inline bool SeedChromiumProfile(const std::wstring& folder, bool networkCookies = true) {
    struct Database {
        const wchar_t* file;
        const char* schema;
        const Rows* rows;
    };
    std::vector<Database> databases = {
        {L"History", "History.sql", &HistoryRows},
        {L"Favicons", "Favicons.sql", &FaviconsRows},
        {L"Web Data", "Web Data.sql", &WebDataRows},
        {networkCookies ? L"Network\\Cookies" : L"Cookies", "Cookies.sql", &CookiesRows}};
    if (networkCookies)
        databases.insert(
            databases.end(),
            {{L"Account Web Data", "Account Web Data.sql", &WebDataRows},
             {L"Top Sites", "Top Sites.sql", &OmniboxRows},
             {L"Shortcuts", "Shortcuts.sql", &OmniboxRows},
             {L"Network Action Predictor", "Network Action Predictor.sql", &OmniboxRows}});
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Network").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Cache").c_str(), nullptr);
    WriteText(folder + L"\\Cache\\data_1", Secrets[0]);
    WriteText(folder + L"\\Bookmarks", FixtureText(Chromium + "Bookmarks.json"));
    const std::string from = networkCookies ? Chromium : OlderChromium;
    return std::all_of(databases.begin(), databases.end(), [&](const Database& database) {
        return MakeFromFixture(folder + L"\\" + database.file, from + database.schema,
                               *database.rows);
    });
}

// A Firefox profile (places, favicons and cookies in write-ahead-log mode,
// as Firefox keeps them) and its local half with a cache.
inline bool SeedFirefoxProfile(const std::wstring& folder, const std::wstring& local) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(local.c_str(), nullptr);
    CreateDirectoryW((local + L"\\cache2").c_str(), nullptr);
    WriteText(local + L"\\cache2\\entry", Secrets[0]);
    return MakeFromFixture(folder + L"\\places.sqlite", Firefox + "places.sql", PlacesRows) &&
           MakeFromFixture(folder + L"\\favicons.sqlite", Firefox + "favicons.sql",
                           FirefoxFaviconsRows) &&
           MakeFromFixture(folder + L"\\cookies.sqlite", Firefox + "cookies.sql",
                           FirefoxCookiesRows) &&
           MakeFromFixture(folder + L"\\formhistory.sqlite", Firefox + "formhistory.sql",
                           FormHistoryRows);
}

// The site data a browser laid out for the two test sites (site-data.txt: a
// path a line, below the profile), made below `profile`, each file holding
// its own path. A listed path is a folder when paths below it follow; the
// repositories of Firefox's "storage" are folders even when empty. The
// top-level databases are made from their schemas: local storage and its
// archive (a copy of it) with one row per origin key of `storageKeys`, and the
// quota manager's valid cache.
inline bool SeedSiteData(const std::wstring& profile, const std::string& browser,
                         const std::vector<std::pair<const char*, const char*>>& storageKeys = {}) {
    std::vector<std::string> paths;
    std::istringstream lines(FixtureText(browser + "site-data.txt"));
    for (std::string line; std::getline(lines, line);)
        paths.push_back(line);
    for (size_t i = 0; i < paths.size(); ++i) {
        std::wstring path = profile + L"\\" + platform::FromUtf8(paths[i]);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        const bool folder = (i + 1 < paths.size() && paths[i + 1].rfind(paths[i] + "/", 0) == 0) ||
                            (paths[i].rfind("storage/", 0) == 0 &&
                             paths[i].find_first_of("./", 8) == std::string::npos);
        folder ? void(CreateDirectoryW(path.c_str(), nullptr)) : WriteText(path, paths[i]);
    }
    if (browser != Firefox)
        return true;
    Rows rows;
    for (const auto& key : storageKeys)
        rows.push_back({"webappsstore2",
                        "originAttributes originKey key value",
                        {key.first, key.second, "k", "v"}});
    WriteText(profile + L"\\serviceworker.txt", FixtureText(Firefox + "serviceworker.txt"));
    for (const wchar_t* file : {L"\\webappsstore.sqlite", L"\\storage\\ls-archive.sqlite"}) {
        DeleteFileW((profile + file).c_str());
        if (!MakeFromFixture(profile + file, Firefox + "webappsstore.sql", rows))
            return false;
    }
    return MakeFromFixture(profile + L"\\storage.sqlite", Firefox + "storage.sql",
                           {{"cache", "valid", {"1"}},
                            {"origin",
                             "repository_id origin group_ client_usages usage",
                             {"1", "https://www.site-b.test:8443", "site-b.test", "", "1"}}});
}

} // namespace fixtures
