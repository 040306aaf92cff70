// Browser profiles as the browsers write them, for the cleaner tests and the
// end-to-end console test: the tables and columns of Chromium's History,
// Favicons, Cookies and Web Data and of Firefox's places, favicons, cookies
// and form history, with rows of the user's that must go and of bookmarks
// that must stay.
#pragma once

#include "clean/WidePath.h"
#include "platform/SqliteHandles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace fixtures {

// Addresses and values a clean must leave nowhere in a file's bytes.
constexpr const char* Secrets[] = {"https://visited.example/secret-page", "cookie-value-0f1e2d",
                                   "form-value-7a6b5c", "searched-for-thing"};
// A bookmark whose address holds quotes, as a pasted SQL text would break on.
constexpr const char* ScriptBookmark = "javascript:alert(\"it's\")";
constexpr const char* PageBookmark = "https://kept.example/";

constexpr const char* HistorySchema =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "INSERT INTO meta VALUES('version','66');"
    "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,"
    "visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,"
    "last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);"
    "CREATE INDEX urls_url_index ON urls (url);"
    "CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT,url INTEGER NOT NULL,"
    "visit_time INTEGER NOT NULL,from_visit INTEGER,transition INTEGER DEFAULT 0 NOT NULL,"
    "segment_id INTEGER,visit_duration INTEGER DEFAULT 0 NOT NULL);"
    "CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL,url_id INTEGER NOT NULL,"
    "term LONGVARCHAR NOT NULL,normalized_term LONGVARCHAR NOT NULL);"
    "CREATE TABLE downloads (id INTEGER PRIMARY KEY,guid VARCHAR NOT NULL,current_path LONGVARCHAR"
    " NOT NULL,target_path LONGVARCHAR NOT NULL,start_time INTEGER NOT NULL,tab_url VARCHAR);"
    "CREATE TABLE downloads_url_chains (id INTEGER NOT NULL,chain_index INTEGER NOT NULL,"
    "url LONGVARCHAR NOT NULL, PRIMARY KEY (id, chain_index));"
    "CREATE TABLE segments (id INTEGER PRIMARY KEY,name VARCHAR,url_id INTEGER NON NULL);"
    "CREATE TABLE segment_usage (id INTEGER PRIMARY KEY,segment_id INTEGER NOT NULL,"
    "time_slot INTEGER NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);";
// Rows of a visited, searched and downloaded page and of two bookmarks.
constexpr const char* HistoryRows =
    "INSERT INTO urls VALUES(1,'https://visited.example/secret-page','t',3,1,1,0);"
    "INSERT INTO urls VALUES(2,'https://kept.example/','kept',2,0,1,0);"
    "INSERT INTO urls VALUES(3,'javascript:alert(\"it''s\")','script',0,0,1,0);"
    "INSERT INTO visits VALUES(1,1,1,0,0,1,5),(2,2,1,0,0,0,5);"
    "INSERT INTO keyword_search_terms VALUES(1,1,'searched-for-thing','searched-for-thing');"
    "INSERT INTO downloads VALUES(1,'g','C:\\d.bin','C:\\d.bin',1,"
    "'https://visited.example/secret-page');"
    "INSERT INTO downloads_url_chains VALUES(1,0,'https://visited.example/secret-page');"
    "INSERT INTO segments VALUES(1,'visited.example',1);"
    "INSERT INTO segment_usage VALUES(1,1,1,3);";
constexpr const char* FaviconsDatabase =
    "CREATE TABLE icon_mapping(id INTEGER PRIMARY KEY,page_url LONGVARCHAR NOT NULL,"
    "icon_id INTEGER);"
    "CREATE TABLE favicons(id INTEGER PRIMARY KEY,url LONGVARCHAR NOT NULL,icon_type INTEGER);"
    "CREATE TABLE favicon_bitmaps(id INTEGER PRIMARY KEY,icon_id INTEGER NOT NULL,"
    "image_data BLOB);"
    "INSERT INTO favicons VALUES(1,'https://visited.example/secret-page/i.ico',1),"
    "(2,'https://kept.example/i.ico',1);"
    "INSERT INTO icon_mapping VALUES(1,'https://visited.example/secret-page',1),"
    "(2,'https://kept.example/',2);"
    "INSERT INTO favicon_bitmaps VALUES(1,1,x'00'),(2,2,x'01');";
constexpr const char* CookiesDatabase =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,name TEXT NOT NULL,"
    "value TEXT NOT NULL,encrypted_value BLOB NOT NULL,path TEXT NOT NULL);"
    "INSERT INTO cookies VALUES(1,'.visited.example','sid','cookie-value-0f1e2d',x'',"
    "'/'),(2,'.other.example','id','x',x'','/');";
constexpr const char* WebDataDatabase =
    "CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, date_created "
    "INTEGER DEFAULT 0, count INTEGER DEFAULT 1, PRIMARY KEY (name, value));"
    "CREATE TABLE keywords (id INTEGER PRIMARY KEY,short_name VARCHAR NOT NULL,keyword VARCHAR NOT"
    " NULL,url VARCHAR NOT NULL);"
    "CREATE TABLE autofill_profiles (guid VARCHAR PRIMARY KEY, street_address VARCHAR);"
    "INSERT INTO autofill VALUES('email','form-value-7a6b5c','form-value-7a6b5c',1,1);"
    "INSERT INTO keywords VALUES(1,'Search','s','https://search.example/?q={searchTerms}');"
    "INSERT INTO autofill_profiles VALUES('g','1 Secret Street');";

constexpr const char* PlacesDatabase =
    "CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,"
    " frecency INTEGER NOT NULL, UNIQUE (prefix, host));"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host"
    " LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER"
    " DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid "
    "TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL, "
    "origin_id INTEGER REFERENCES moz_origins(id));"
    "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id "
    "INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER);"
    "CREATE TABLE moz_inputhistory (place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, "
    "use_count INTEGER, PRIMARY KEY (place_id, input));"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, guid TEXT);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, "
    "place_id INTEGER, post_data TEXT);"
    "CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, "
    "anno_attribute_id INTEGER, content LONGVARCHAR);"
    "CREATE TABLE moz_meta (key TEXT PRIMARY KEY, value NOT NULL) WITHOUT ROWID;"
    "INSERT INTO moz_origins VALUES(1,'https://','visited.example',1),(2,'https://',"
    "'kept.example',1);"
    "INSERT INTO moz_places VALUES(1,'https://visited.example/secret-page','t','elpmaxe.',3,0,1,"
    "100,1,'a',0,0,1),(2,'https://kept.example/','kept','elpmaxe.',2,0,0,100,1,'b',1,0,2),"
    "(3,'javascript:alert(\"it''s\")','script','',0,0,0,100,1,'c',2,0,NULL);"
    "INSERT INTO moz_historyvisits VALUES(1,0,1,1,1,0),(2,0,2,1,1,0);"
    "INSERT INTO moz_inputhistory VALUES(1,'searched-for-thing',1);"
    "INSERT INTO moz_bookmarks VALUES(1,2,NULL,0,0,'root',NULL,'r'),(2,1,2,1,0,'kept',NULL,'k'),"
    "(3,1,3,1,1,'script',1,'s');"
    "INSERT INTO moz_keywords VALUES(1,'js',3,NULL);"
    "INSERT INTO moz_annos VALUES(1,1,1,'searched-for-thing'),(2,2,1,'kept note');";
constexpr const char* FirefoxFaviconsDatabase =
    "CREATE TABLE moz_icons (id INTEGER PRIMARY KEY, icon_url TEXT NOT NULL, fixed_icon_url_hash"
    " INTEGER NOT NULL, width INTEGER NOT NULL DEFAULT 0, root INTEGER NOT NULL DEFAULT 0, data "
    "BLOB);"
    "CREATE TABLE moz_pages_w_icons (id INTEGER PRIMARY KEY, page_url TEXT NOT NULL, "
    "page_url_hash INTEGER NOT NULL);"
    "CREATE TABLE moz_icons_to_pages (page_id INTEGER NOT NULL, icon_id INTEGER NOT NULL, "
    "PRIMARY KEY (page_id, icon_id)) WITHOUT ROWID;"
    "INSERT INTO moz_icons VALUES(1,'https://visited.example/secret-page/i.png',0,16,0,x'00'),"
    "(2,'https://kept.example/i.png',0,16,0,x'01'),(3,'https://visited.example/favicon.ico',0,"
    "16,1,x'02'),(4,'https://kept.example/favicon.ico',0,16,1,x'03');"
    "INSERT INTO moz_pages_w_icons VALUES(1,'https://visited.example/secret-page',0),"
    "(2,'https://kept.example/',0);"
    "INSERT INTO moz_icons_to_pages VALUES(1,1),(2,2);";
constexpr const char* FirefoxCookiesDatabase =
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '',"
    " name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER);"
    "INSERT INTO moz_cookies VALUES(1,'','sid','cookie-value-0f1e2d','.visited.example','/',9);";
constexpr const char* FormHistoryDatabase =
    "CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT NOT NULL, value TEXT "
    "NOT NULL, timesUsed INTEGER, firstUsed INTEGER, lastUsed INTEGER, guid TEXT);"
    "INSERT INTO moz_formhistory VALUES(1,'email','form-value-7a6b5c',1,1,1,'g');";

// Runs `sql` on a new database at `path`; `wal`: in write-ahead-log mode.
inline bool MakeDatabase(const std::wstring& path, const std::string& sql, bool wal = false) {
    platform::UniqueDatabase db;
    if (sqlite3_open(WidePath::ToUtf8(path).c_str(), db.put()) != SQLITE_OK)
        return false;
    const std::string all = (wal ? "PRAGMA journal_mode=WAL;" : "") + sql;
    return sqlite3_exec(db.get(), all.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The first column of every row `query` gives, as text.
inline std::vector<std::string> Column(const std::wstring& path, const std::string& query) {
    std::vector<std::string> values;
    platform::UniqueDatabase db;
    platform::UniqueStatement statement;
    if (sqlite3_open(WidePath::ToUtf8(path).c_str(), db.put()) != SQLITE_OK ||
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

// A Chromium profile: History, Favicons, Bookmarks, Cookies (where the
// browser's version keeps them), Web Data, a cache and an address-bar store.
inline bool SeedChromiumProfile(const std::wstring& folder, bool networkCookies = true) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Network").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Cache").c_str(), nullptr);
    WriteText(folder + L"\\Cache\\data_1", "https://visited.example/secret-page");
    WriteText(folder + L"\\Top Sites", "https://visited.example/secret-page");
    WriteText(folder + L"\\Bookmarks",
              R"json({"roots": {"bookmark_bar": {"type": "folder", "children": [
                 {"type": "url", "name": "k", "url": "https://kept.example/"},
                 {"type": "folder", "children": [{"type": "url", "name": "s",
                  "url": "javascript:alert(\"it's\")"}]}]}}, "version": 1})json");
    return MakeDatabase(folder + L"\\History", std::string(HistorySchema) + HistoryRows) &&
           MakeDatabase(folder + L"\\Favicons", FaviconsDatabase) &&
           MakeDatabase(folder + (networkCookies ? L"\\Network\\Cookies" : L"\\Cookies"),
                        CookiesDatabase) &&
           MakeDatabase(folder + L"\\Web Data", WebDataDatabase);
}

// A Firefox profile (places in write-ahead-log mode, as Firefox keeps it)
// and its local half with a cache.
inline bool SeedFirefoxProfile(const std::wstring& folder, const std::wstring& local) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(local.c_str(), nullptr);
    CreateDirectoryW((local + L"\\cache2").c_str(), nullptr);
    WriteText(local + L"\\cache2\\entry", "https://visited.example/secret-page");
    return MakeDatabase(folder + L"\\places.sqlite", PlacesDatabase, true) &&
           MakeDatabase(folder + L"\\favicons.sqlite", FirefoxFaviconsDatabase, true) &&
           MakeDatabase(folder + L"\\cookies.sqlite", FirefoxCookiesDatabase) &&
           MakeDatabase(folder + L"\\formhistory.sqlite", FormHistoryDatabase);
}

} // namespace fixtures
