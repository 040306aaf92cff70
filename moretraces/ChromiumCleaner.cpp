// The profiles of Chromium's family (Chrome, Edge, Brave, Opera...): all keep the
// same files with the same tables.
#include "clean/Database.h"
#include "clean/FolderWalk.h"
#include "clean/WidePath.h"
#include "moretraces/ProfileCleaners.h"
#include "platform/Handles.h"
#include "platform/TextConversion.h"

#include <nlohmann/json.hpp>

namespace {

const wchar_t* const CacheFolders[] = {L"Cache", L"Code Cache", L"GPUCache"};
const wchar_t HistoryFile[] = L"History";
const wchar_t FaviconsFile[] = L"Favicons";
// The bookmarks of the profile and those of the signed-in account, each in a
// JSON file. Newer versions also write an encrypted copy of each, and may
// keep that copy alone: it is then the only record of the bookmarks.
struct BookmarksFile {
    const wchar_t* json;
    const wchar_t* encrypted;
};
const BookmarksFile BookmarksFiles[] = {{L"Bookmarks", L"EncryptedBookmarks2"},
                                        {L"AccountBookmarks", L"EncryptedAccountBookmarks2"}};
const wchar_t* const CookieFiles[] = {L"Network\\Cookies", L"Cookies"};
const char SchemeEnd[] = "://";
// The profile's own form data, and that of the signed-in account.
const wchar_t* const FormsFiles[] = {L"Web Data", L"Account Web Data"};
// The address bar's own stores, rebuilt by the browser from what is left:
// the only files a clean deletes (the first three are SQLite databases).
const wchar_t* const OmniboxFiles[] = {L"Top Sites",
                                       L"Top Sites-journal",
                                       L"Shortcuts",
                                       L"Shortcuts-journal",
                                       L"Visited Links",
                                       L"Network Action Predictor",
                                       L"Network Action Predictor-journal",
                                       L"History Provider Cache"};

// Tables of visits, searches and downloads, and those keyed by visits.
const std::vector<const char*> VisitTables = {"visits",
                                              "visit_source",
                                              "keyword_search_terms",
                                              "downloads",
                                              "downloads_url_chains",
                                              "downloads_slices",
                                              "segments",
                                              "segment_usage",
                                              "content_annotations",
                                              "context_annotations",
                                              "clusters",
                                              "clusters_and_visits",
                                              "cluster_keywords",
                                              "cluster_visit_duplicates",
                                              "visited_links",
                                              "journeys",
                                              "journey_history_entries",
                                              "journey_continuation_queries"};
const char BookmarkedTable[] = "bookmarked";
const wchar_t UnreadableBookmarks[] =
    L"the bookmarks file cannot be read, so the history stays: no bookmarked address may go";
const wchar_t EncryptedBookmarks[] =
    L"the bookmarks are kept only encrypted, so the history stays: no bookmarked address may go";
// The tables the plans name in their conditions, each spelled once.
const char Urls[] = "urls";
const char IconMapping[] = "icon_mapping";
const char FaviconBitmaps[] = "favicon_bitmaps";
const char Favicons[] = "favicons";
const std::string Bookmarked = std::string("(SELECT value FROM temp.") + BookmarkedTable + ")";
const std::string UnbookmarkedUrls = "url NOT IN " + Bookmarked;
const std::string UnbookmarkedMappings = "page_url NOT IN " + Bookmarked;
// The icons that a bookmarked page uses. A subquery of NOT IN must give no
// NULL, or it matches nothing.
const std::string BookmarkedIcons = std::string("(SELECT icon_id FROM ") + IconMapping +
                                    " WHERE icon_id IS NOT NULL AND page_url IN " + Bookmarked +
                                    ")";
const std::string UnbookmarkedBitmaps = "icon_id NOT IN " + BookmarkedIcons;
const std::string UnbookmarkedIcons = "id NOT IN " + BookmarkedIcons;
// Form entries ("autocomplete" in today's schema, "autofill" in older ones
// and still used beside it) and the saved addresses, in their tables of every
// schema. Search engines ("keywords") stay, and so do the saved valuables:
// cards ("credit_cards", "masked_credit_cards", "local_stored_cvc"...),
// IBANs, bank accounts, loyalty cards, and Autofill AI's saved entities.
const std::vector<const char*> FormTables = {"autocomplete",
                                             "autofill",
                                             "autofill_profiles",
                                             "autofill_profile_names",
                                             "autofill_profile_emails",
                                             "autofill_profile_phones",
                                             "autofill_profile_addresses",
                                             "autofill_profiles_trash",
                                             "addresses",
                                             "address_type_tokens",
                                             "local_addresses",
                                             "local_addresses_type_tokens",
                                             "contact_info",
                                             "contact_info_type_tokens"};

// Every "url" of the bookmark nodes ("type": "url"), however deep in the
// tree, read as the parser meets them: no document is built.
class BookmarkUrls : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit BookmarkUrls(std::vector<std::wstring>& urls) : m_urls(urls) {}

    bool start_object(std::size_t) override {
        m_nodes.push_back(Node());
        return true;
    }
    bool end_object() override {
        if (m_nodes.back().isUrl && m_nodes.back().hasUrl)
            m_urls.push_back(platform::FromUtf8(m_nodes.back().url));
        m_nodes.pop_back();
        return true;
    }
    bool key(string_t& name) override {
        m_key = name;
        return true;
    }
    bool string(string_t& value) override {
        if (!m_nodes.empty() && m_key == "type")
            m_nodes.back().isUrl = value == "url";
        else if (!m_nodes.empty() && m_key == "url") {
            m_nodes.back().url = value;
            m_nodes.back().hasUrl = true;
        }
        m_key.clear();
        return true;
    }
    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_array(std::size_t) override { return Value(); }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    struct Node {
        bool isUrl = false;
        bool hasUrl = false;
        std::string url;
    };
    bool Value() {
        m_key.clear();
        return true;
    }

    std::vector<std::wstring>& m_urls;
    std::vector<Node> m_nodes;
    std::string m_key;
};

// The addresses the profile's bookmarks name. A profile without a bookmarks
// file has none; false when the file is there but cannot be read whole.
bool ReadBookmarkedUrls(const std::wstring& path, std::vector<std::wstring>& urls) {
    platform::UniqueFile file(CreateFileW(WidePath::ForApi(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > MAXDWORD)
        return false;
    std::string text(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && (!ReadFile(file.get(), &text[0], DWORD(text.size()), &read, nullptr) ||
                          read != text.size()))
        return false;
    BookmarkUrls collector(urls);
    return nlohmann::json::sax_parse(text, &collector);
}

// The addresses of both bookmarks files; false, with the problem reported,
// when one of them cannot be read.
bool ReadAllBookmarks(const BrowserProfile& profile, TraceNotes& notes,
                      std::vector<std::wstring>& urls) {
    for (const BookmarksFile& file : BookmarksFiles) {
        const std::wstring json = WidePath::Join(profile.folder, file.json);
        const std::wstring encrypted = WidePath::Join(profile.folder, file.encrypted);
        if (!WidePath::Exists(json) && WidePath::Exists(encrypted)) {
            notes.Problem(encrypted, ERROR_FILE_ENCRYPTED, EncryptedBookmarks);
            return false;
        }
        if (!ReadBookmarkedUrls(json, urls)) {
            notes.Problem(json, ERROR_FILE_CORRUPT, UnreadableBookmarks);
            return false;
        }
    }
    return true;
}

RowPlan HistoryPlan(const std::vector<std::wstring>& bookmarks,
                    const std::set<std::string>& tables) {
    RowPlan plan = WholeTables(VisitTables, tables);
    plan.kept.push_back({BookmarkedTable, bookmarks});
    if (tables.count(Urls))
        plan.changes.push_back({Urls, UnbookmarkedUrls, ""});
    return plan;
}

// Only the icons of bookmarked pages stay.
RowPlan FaviconsPlan(const std::vector<std::wstring>& bookmarks,
                     const std::set<std::string>& tables) {
    RowPlan plan;
    plan.kept.push_back({BookmarkedTable, bookmarks});
    if (!tables.count(IconMapping))
        return plan;
    plan.changes.push_back({IconMapping, UnbookmarkedMappings, ""});
    if (tables.count(FaviconBitmaps))
        plan.changes.push_back({FaviconBitmaps, UnbookmarkedBitmaps, ""});
    if (tables.count(Favicons))
        plan.changes.push_back({Favicons, UnbookmarkedIcons, ""});
    return plan;
}

// A partitioned cookie's "top_frame_site_key" is the top-level site as
// "scheme://host" (Chromium's SchemefulSite); empty when it has none.
bool IsPartitioned(const std::string& siteKey) {
    return !siteKey.empty();
}

std::string SiteKeyHost(const std::string& siteKey) {
    const size_t scheme = siteKey.find(SchemeEnd);
    const size_t start = scheme == std::string::npos ? 0 : scheme + sizeof SchemeEnd - 1;
    return siteKey.substr(start, siteKey.find_first_of(":/", start) - start);
}

const CookieTable Cookies = {"cookies", "host_key", "top_frame_site_key", IsPartitioned,
                             SiteKeyHost};

} // namespace

namespace chromium {

// A profile whose caches are kept apart (Opera's) may still keep some of them
// in itself: both folders are emptied.
void CleanCache(const BrowserProfile& profile, Visitors& visitors) {
    std::vector<std::wstring> homes = {profile.localFolder};
    if (!WidePath::NameIs(profile.folder.c_str(), profile.localFolder.c_str()))
        homes.push_back(profile.folder);
    for (const std::wstring& home : homes)
        for (const wchar_t* cache : CacheFolders)
            FolderWalk(visitors.folders).EmptyFolder(WidePath::Join(home, cache));
}

// The bookmarks decide which addresses stay: when one of the files cannot be
// read, or only its encrypted copy is there, nothing goes.
void CleanHistory(const BrowserProfile& profile, Visitors& visitors) {
    std::vector<std::wstring> bookmarks;
    if (!ReadAllBookmarks(profile, visitors.notes, bookmarks))
        return;
    visitors.databases.ChangeRows(
        WidePath::Join(profile.folder, HistoryFile),
        [&](const std::set<std::string>& tables) { return HistoryPlan(bookmarks, tables); });
    visitors.databases.ChangeRows(
        WidePath::Join(profile.folder, FaviconsFile),
        [&](const std::set<std::string>& tables) { return FaviconsPlan(bookmarks, tables); });
    FolderWalk(visitors.folders)
        .Only(std::vector<std::wstring>(std::begin(OmniboxFiles), std::end(OmniboxFiles)))
        .EmptyFolder(profile.folder);
}

void CleanCookies(const BrowserProfile& profile, Visitors& visitors) {
    for (const wchar_t* file : CookieFiles)
        CleanCookieDatabase(WidePath::Join(profile.folder, file), Cookies, visitors);
}

void CleanForms(const BrowserProfile& profile, Visitors& visitors) {
    for (const wchar_t* file : FormsFiles)
        visitors.databases.ChangeRows(
            WidePath::Join(profile.folder, file),
            [](const std::set<std::string>& tables) { return WholeTables(FormTables, tables); });
}

} // namespace chromium
