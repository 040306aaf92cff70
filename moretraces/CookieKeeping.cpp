// A cookie clean that keeps the kept sites signed in. Each cookie belongs to
// one site, as the browser groups it: a partitioned cookie (and so one a
// site's frame set under another) to the top-level site it is partitioned
// under, any other to the site of its host. The rows of the sites that stay
// are found first, read-only; the clean then removes every other row, in one
// transaction, by its host and partition as they were read. When they cannot
// be read, no cookie of that database goes.
#include "clean/DatabaseCopy.h"
#include "moretraces/KeptSites.h"
#include "moretraces/ProfileCleaners.h"
#include "platform/TextConversion.h"
#include "clean/WidePath.h"

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

// Whether a row of this key stays.
bool Kept(const CookieTable& table, const std::string& key) {
    const size_t separator = key.find(KeySeparator);
    if (separator == std::string::npos)
        return false;
    const std::string partition = key.substr(separator + 1);
    const bool partitioned = table.isPartitioned(partition);
    return sites::Keeps(partitioned ? table.partitionHost(partition) : key.substr(0, separator));
}

// The keys of the rows that stay, read from a copy of the database.
database::Failure KeptKeys(const std::wstring& path, const CookieTable& table,
                           std::vector<std::wstring>& kept) {
    DatabaseCopy db;
    std::set<std::string> tables;
    if (database::Failure failure = db.Open(path))
        return failure;
    if (database::Failure failure = database::Tables(db.get(), tables))
        return failure;
    if (!tables.count(table.table))
        return database::Failure();
    std::vector<std::wstring> keys;
    const std::string query = "SELECT DISTINCT " + KeyOf(table) + " FROM " + table.table;
    if (database::Failure failure = database::Strings(db.get(), query.c_str(), keys))
        return failure;
    for (std::wstring& key : keys) {
        if (Kept(table, platform::ToUtf8(key)))
            kept.push_back(std::move(key));
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
    std::vector<std::wstring> kept;
    if (const database::Failure unread = KeptKeys(path, table, kept)) {
        visitors.notes.Problem(path, unread.error, Unreadable);
        return;
    }
    visitors.databases.ChangeRows(path, [&](const std::set<std::string>& tables) {
        RowPlan plan;
        plan.kept.push_back({KeptCookiesTable, kept});
        if (tables.count(table.table))
            plan.changes.push_back(
                {table.table,
                 KeyOf(table) + " NOT IN (SELECT value FROM temp." + KeptCookiesTable + ")", ""});
        return plan;
    });
}
