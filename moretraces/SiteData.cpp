// What sites store in a profile besides cookies: local and session storage,
// IndexedDB, Cache Storage, service workers and the file system API. The
// data of the kept sites (moretraces/KeptSites.h) stays, grouped by site as
// cookies are. Where a store is one folder per origin, only the folders of
// the sites not kept go. A store several origins share is a database Quenby
// does not edit (Chromium's are LevelDB, kept consistent by the browser
// alone): it stays whole while anything kept may have data in it, and goes
// whole otherwise. Firefox's local storage is SQLite: its rows are deleted
// by origin, as cookies are. Extensions and the browser's own pages store
// data in the same places; theirs is never a site's, and always stays.
#include "clean/DatabaseCopy.h"
#include "clean/FolderWalk.h"
#include "clean/WidePath.h"
#include "moretraces/KeptSites.h"
#include "moretraces/ProfileCleaners.h"
#include "moretraces/PublicSuffix.h"
#include "moretraces/SiteOrigins.h"
#include "platform/Handles.h"
#include "platform/TextConversion.h"

#include <algorithm>

namespace {

using OriginOfName = StoredOrigin (*)(const std::wstring& name);

// Chromium: IndexedDB keeps a folder per origin; the other stores are shared
// by every origin (LevelDB databases that map origins to their data, Cache
// Storage in folders named by hashes, the quota manager's records).
const wchar_t ChromiumOriginStore[] = L"IndexedDB";
const wchar_t* const ChromiumSharedStores[] = {L"Local Storage", L"Session Storage",
                                               L"Service Worker", L"File System", L"WebStorage"};
// Installed extensions, one folder each beside the browser's own "Temp".
const wchar_t ExtensionsFolder[] = L"Extensions";
const wchar_t ExtensionsTemp[] = L"Temp";
// Who keeps a shared store, as the preview names it: the kept sites, and the
// extensions, which keep their settings in the same stores.
const wchar_t ExtensionsKeeper[] = L"extensions";

// Firefox: a folder per origin in each repository of "storage".
const wchar_t StorageFolder[] = L"storage";
const wchar_t* const FirefoxRepositories[] = {L"default", L"temporary", L"permanent"};
// The quota manager's cache of every origin's usage, and its tables.
const wchar_t QuotaCacheFile[] = L"storage.sqlite";
const char QuotaOrigins[] = "origin";
const char QuotaCache[] = "cache";
const char InvalidCache[] = "valid = 0";
// Local storage of older versions and its archive (a copy of it), one row a
// key of an origin.
const wchar_t* const LocalStorageFiles[] = {L"webappsstore.sqlite", L"storage\\ls-archive.sqlite"};
const char LocalStorageTable[] = "webappsstore2";
const char KeptOriginsTable[] = "kept_origins";
// A row's origin attributes and origin key, apart by a unit separator (in
// neither), as they are read and compared.
const char RowKey[] = "ifnull(originAttributes,'') || char(31) || ifnull(originKey,'')";
const char KeySeparator = '\x1f';
const wchar_t UnreadableRows[] =
    L"the stored data cannot be read to find that of the sites to keep, so it all stays";
// Every service worker's registration, in one text file: a line with the
// version, then one registration after another, each of its origin's
// attributes, its scope and more lines, and a line "#" after each.
const wchar_t ServiceWorkersFile[] = L"serviceworker.txt";
const char RegistrationEnd[] = "#";
const DWORD LargestRegistrations = 16 * 1024 * 1024;
const wchar_t UnreadableRegistrations[] =
    L"the service workers' registrations cannot be read, so they all stay";

std::wstring SiteName(const StoredOrigin& origin) {
    return platform::FromUtf8(sites::SiteOf(origin.OwnerHost()));
}

// The folders in `store` of web origins whose sites are not kept go; those of
// kept sites stay and are noted. Whether any goes.
bool RemoveOriginFolders(const std::wstring& store, OriginOfName originOf, Visitors& visitors) {
    std::vector<std::wstring> going;
    for (const std::wstring& name : FolderWalk::FolderNames(store)) {
        const StoredOrigin origin = originOf(name);
        if (!origin.IsWeb())
            continue;
        if (sites::Keeps(origin.OwnerHost()))
            visitors.notes.SiteKept(WidePath::Join(store, name), SiteName(origin), 1);
        else
            going.push_back(name);
    }
    if (!going.empty())
        FolderWalk(visitors.folders).Only(going).EmptyFolder(store);
    return !going.empty();
}

bool HasExtensions(const BrowserProfile& profile) {
    const std::vector<std::wstring> names =
        FolderWalk::FolderNames(WidePath::Join(profile.folder, ExtensionsFolder));
    return std::any_of(names.begin(), names.end(), [](const std::wstring& name) {
        return !WidePath::NameIs(name.c_str(), ExtensionsTemp);
    });
}

// Who may have data in a shared store, so that it stays; none when nobody.
std::vector<std::wstring> SharedStoreKeepers(const BrowserProfile& profile) {
    std::vector<std::wstring> keepers;
    for (const std::string& site : sites::Kept())
        keepers.push_back(platform::FromUtf8(site));
    if (HasExtensions(profile))
        keepers.push_back(ExtensionsKeeper);
    return keepers;
}

// A shared store stays whole, noted once for each of its keepers.
void CleanSharedStores(const BrowserProfile& profile, Visitors& visitors) {
    const std::vector<std::wstring> keepers = SharedStoreKeepers(profile);
    for (const wchar_t* name : ChromiumSharedStores) {
        const std::wstring store = WidePath::Join(profile.folder, name);
        if (!WidePath::IsFolder(store))
            continue;
        if (keepers.empty())
            FolderWalk(visitors.folders).EmptyFolder(store);
        for (const std::wstring& keeper : keepers)
            visitors.notes.SiteKept(store, keeper, 1);
    }
}

// Firefox's quota manager trusts this cache at start while it is marked
// valid, and would count the origins that went as still there. It is emptied
// and marked invalid in one transaction, as Firefox does itself after an
// unclean exit; Firefox then rebuilds it from the folders. The file stays.
RowPlan InvalidQuotaCache(const std::set<std::string>& tables) {
    RowPlan plan;
    if (tables.count(QuotaOrigins) && tables.count(QuotaCache)) {
        plan.changes.push_back({QuotaOrigins, "1", ""});
        plan.changes.push_back({QuotaCache, "1", InvalidCache});
    }
    return plan;
}

StoredOrigin OriginOfRow(const std::string& key) {
    const size_t separator = key.find(KeySeparator);
    if (separator == std::string::npos)
        return StoredOrigin();
    return origins::FromFirefoxKey(key.substr(0, separator), key.substr(separator + 1));
}

// The keys of the rows that stay (no web site's, or a kept site's), read
// from a copy of the database, with the kept sites among them.
database::Failure KeptRows(const std::wstring& path, std::vector<std::wstring>& kept,
                           std::set<std::wstring>& keptSites) {
    DatabaseCopy db;
    std::set<std::string> tables;
    if (database::Failure failure = db.Open(path, tables))
        return failure;
    if (!tables.count(LocalStorageTable))
        return database::Failure();
    std::vector<std::wstring> keys;
    const std::string query =
        std::string("SELECT DISTINCT ") + RowKey + " FROM " + LocalStorageTable;
    if (database::Failure failure = database::Strings(db.get(), query.c_str(), keys))
        return failure;
    for (std::wstring& key : keys) {
        const StoredOrigin origin = OriginOfRow(platform::ToUtf8(key));
        const bool site = origin.IsWeb();
        if (site && !sites::Keeps(origin.OwnerHost()))
            continue;
        if (site)
            keptSites.insert(SiteName(origin));
        kept.push_back(std::move(key));
    }
    return database::Failure();
}

void CleanLocalStorage(const std::wstring& path, Visitors& visitors) {
    if (!WidePath::IsFile(path))
        return;
    std::vector<std::wstring> kept;
    std::set<std::wstring> keptSites;
    if (const database::Failure unread = KeptRows(path, kept, keptSites)) {
        visitors.notes.Problem(path, unread.error, UnreadableRows);
        return;
    }
    for (const std::wstring& site : keptSites)
        visitors.notes.SiteKept(path, site, 1);
    visitors.databases.ChangeRows(path, [&](const std::set<std::string>& tables) {
        RowPlan plan;
        plan.kept.push_back({KeptOriginsTable, kept});
        if (tables.count(LocalStorageTable))
            plan.changes.push_back(
                {LocalStorageTable,
                 std::string(RowKey) + " NOT IN (SELECT value FROM temp." + KeptOriginsTable + ")",
                 ""});
        return plan;
    });
}

// The file's text, read with every sharing allowed; ERROR_SUCCESS or why not.
DWORD ReadText(const std::wstring& path, std::string& text) {
    platform::UniqueFile file(CreateFileW(WidePath::ForApi(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size))
        return GetLastError();
    if (size.QuadPart > LargestRegistrations)
        return ERROR_FILE_TOO_LARGE;
    text.assign(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !ReadFile(file.get(), &text[0], DWORD(text.size()), &read, nullptr))
        return GetLastError();
    return read == text.size() ? DWORD(ERROR_SUCCESS) : DWORD(ERROR_HANDLE_EOF);
}

// The origins registered in serviceworker.txt; false when the text is not of
// that form.
bool Registrations(const std::string& text, std::vector<StoredOrigin>& registered) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r')
            lines.back().pop_back();
        start = end + 1;
    }
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (lines.empty() || lines[0].empty() || !std::all_of(lines[0].begin(), lines[0].end(), digit))
        return false;
    for (size_t first = 1; first < lines.size();) {
        const auto end = std::find(lines.begin() + first, lines.end(), RegistrationEnd);
        if (end == lines.end() || end - lines.begin() < ptrdiff_t(first + 2))
            return false;
        registered.push_back(origins::FromFirefoxScope(lines[first], lines[first + 1]));
        first = size_t(end - lines.begin()) + 1;
    }
    return true;
}

// The file goes, and Firefox starts a new one, unless it registers a worker
// of a kept site or of an extension: it then stays whole.
void CleanServiceWorkers(const BrowserProfile& profile, Visitors& visitors) {
    const std::wstring path = WidePath::Join(profile.folder, ServiceWorkersFile);
    if (!WidePath::IsFile(path))
        return;
    std::string text;
    std::vector<StoredOrigin> registered;
    const DWORD error = ReadText(path, text);
    if (error != ERROR_SUCCESS || !Registrations(text, registered)) {
        visitors.notes.Problem(path, error ? error : ERROR_INVALID_DATA, UnreadableRegistrations);
        return;
    }
    std::set<std::wstring> keepers;
    for (const StoredOrigin& origin : registered) {
        if (!origin.IsWeb())
            keepers.insert(ExtensionsKeeper);
        else if (sites::Keeps(origin.OwnerHost()))
            keepers.insert(SiteName(origin));
    }
    for (const std::wstring& keeper : keepers)
        visitors.notes.SiteKept(path, keeper, 1);
    if (keepers.empty())
        FolderWalk(visitors.folders).Only({ServiceWorkersFile}).EmptyFolder(profile.folder);
}

} // namespace

namespace chromium {

void CleanSiteData(const BrowserProfile& profile, Visitors& visitors) {
    RemoveOriginFolders(WidePath::Join(profile.folder, ChromiumOriginStore),
                        origins::FromChromiumFolder, visitors);
    CleanSharedStores(profile, visitors);
}

} // namespace chromium

namespace firefox {

void CleanSiteData(const BrowserProfile& profile, Visitors& visitors) {
    const std::wstring storage = WidePath::Join(profile.folder, StorageFolder);
    bool foldersGo = false;
    for (const wchar_t* repository : FirefoxRepositories)
        foldersGo |= RemoveOriginFolders(WidePath::Join(storage, repository),
                                         origins::FromFirefoxFolder, visitors);
    if (foldersGo)
        visitors.databases.ChangeRows(WidePath::Join(profile.folder, QuotaCacheFile),
                                      InvalidQuotaCache);
    for (const wchar_t* file : LocalStorageFiles)
        CleanLocalStorage(WidePath::Join(profile.folder, file), visitors);
    CleanServiceWorkers(profile, visitors);
}

} // namespace firefox
