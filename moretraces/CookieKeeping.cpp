// A cookie clean that keeps the kept sites signed in. Each cookie belongs to
// one site, as the browser groups it: a partitioned cookie (and so one a
// site's frame set under another) to the top-level site it is partitioned
// under, any other to the site of its host. The rows of the sites that stay
// are found first, read-only; the clean then removes every other row, in one
// transaction, by its host and partition as they were read. When they cannot
// be read, no cookie of that database goes. The preview and the clean both
// note, per database, how many cookies each kept site keeps there.
#include "clean/DatabaseCopy.h"
#include "moretraces/KeptSites.h"
#include "moretraces/PublicSuffix.h"
#include "moretraces/ProfileCleaners.h"
#include "platform/TextConversion.h"
#include "clean/WidePath.h"

#include <map>

namespace {

const char KeptCookiesTable[] = "kept_cookies";
// Separates a row's host from its partition in the key both are read and
// compared by (a unit separator: in neither).
const char KeySeparator = '\x1f';
const wchar_t Unreadable[] =
    L"the cookies cannot be read to find those of the sites to keep, so they all stay";

// The row's key as SQL: its host, the separator, its partition.
std::string KeyOf(const CookieTable& table) {
    return std::string("ifnull(") + table.host + ",'') || char(31) || ifnull(" + table.partition +
           ",'')";
}

// The host a row of this key belongs to: the top-level site's for a
// partitioned cookie, its own for any other.
std::string HostOf(const CookieTable& table, const std::string& key) {
    const size_t separator = key.find(KeySeparator);
    if (separator == std::string::npos)
        return std::string();
    const std::string partition = key.substr(separator + 1);
    return table.isPartitioned(partition) ? table.partitionHost(partition)
                                          : key.substr(0, separator);
}

// The cookies that stay: the keys of their rows, and how many rows each kept
// site keeps.
struct KeptCookies {
    std::vector<std::wstring> keys;
    std::map<std::string, ULONGLONG> perSite;
};

// The cookies that stay, read from a copy of the database.
database::Failure ReadKept(const std::wstring& path, const CookieTable& table, KeptCookies& kept) {
    DatabaseCopy db;
    std::set<std::string> tables;
    if (database::Failure failure = db.Open(path, tables))
        return failure;
    if (!tables.count(table.table))
        return database::Failure();
    std::vector<std::pair<std::string, ULONGLONG>> keys;
    const std::string query =
        "SELECT " + KeyOf(table) + ", count(*) FROM " + table.table + " GROUP BY 1";
    if (database::Failure failure = database::CountedStrings(db.get(), query.c_str(), keys))
        return failure;
    for (const auto& [key, rows] : keys) {
        const std::string host = HostOf(table, key);
        if (!sites::Keeps(host))
            continue;
        kept.keys.push_back(platform::FromUtf8(key));
        kept.perSite[sites::SiteOf(host)] += rows;
    }
    return database::Failure();
}

} // namespace

void CleanCookieDatabase(const std::wstring& path, const CookieTable& table, Visitors& visitors) {
    if (sites::Kept().empty() || !WidePath::Exists(path)) {
        visitors.databases.ChangeRows(path, [&](const std::set<std::string>& tables) {
            return WholeTables({table.table}, tables);
        });
        return;
    }
    KeptCookies kept;
    if (const database::Failure unread = ReadKept(path, table, kept)) {
        visitors.notes.Problem(path, unread.error, Unreadable);
        return;
    }
    visitors.databases.ChangeRows(path, [&](const std::set<std::string>& tables) {
        RowPlan plan;
        plan.kept.push_back({KeptCookiesTable, kept.keys});
        if (tables.count(table.table))
            plan.changes.push_back(
                {table.table,
                 KeyOf(table) + " NOT IN (SELECT value FROM temp." + KeptCookiesTable + ")", ""});
        return plan;
    });
    for (const auto& [site, cookies] : kept.perSite)
        visitors.notes.SiteKept(path, platform::FromUtf8(site), cookies);
}
