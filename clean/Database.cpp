#include "clean/Database.h"

#include "clean/WidePath.h"
#include "platform/TextConversion.h"

#include <functional>

namespace database {

namespace {

const char TablesQuery[] = "SELECT name FROM sqlite_master WHERE type = 'table'";

// SQLite's answer as a Win32 error: a database another program holds is in
// use, which some targets count as normal; anything else failed.
DWORD ErrorOf(int result) {
    switch (result & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_SHARING_VIOLATION;
    case SQLITE_CANTOPEN:
        return ERROR_OPEN_FAILED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return ERROR_FILE_CORRUPT;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    default:
        return ERROR_INVALID_DATA;
    }
}

Failure FailureOf(sqlite3* db, int result) {
    if (result == SQLITE_OK || result == SQLITE_DONE || result == SQLITE_ROW)
        return Failure();
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(result);
    return Failure{ErrorOf(result), platform::FromUtf8(message)};
}

Failure Open(const std::string& name, int flags, platform::UniqueDatabase& db) {
    db.reset();
    const int result = sqlite3_open_v2(name.c_str(), db.put(), flags, nullptr);
    if (result != SQLITE_OK) {
        Failure failure = FailureOf(db.get(), result);
        db.reset();
        return failure;
    }
    sqlite3_extended_result_codes(db.get(), 1);
    return Failure();
}

Failure Prepare(sqlite3* db, const std::string& sql, platform::UniqueStatement& statement) {
    return FailureOf(db, sqlite3_prepare_v2(db, sql.c_str(), -1, statement.put(), nullptr));
}

std::string Quoted(const std::string& name) {
    return '"' + name + '"';
}

// Runs `sql` to its end, handing each row to `row`.
Failure EachRow(sqlite3* db, const std::string& sql,
                const std::function<void(sqlite3_stmt*)>& row) {
    platform::UniqueStatement statement;
    if (Failure failure = Prepare(db, sql, statement))
        return failure;
    int result;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW)
        row(statement.get());
    return FailureOf(db, result);
}

// The text of a row's column; null for a null value.
const char* TextOf(sqlite3_stmt* row, int column) {
    return reinterpret_cast<const char*>(sqlite3_column_text(row, column));
}

} // namespace

Failure OpenForChanges(const std::wstring& path, platform::UniqueDatabase& db) {
    const Failure failure =
        Open(platform::ToUtf8(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE, db);
    if (!failure)
        sqlite3_busy_timeout(db.get(), 0);
    return failure;
}

Failure Tables(sqlite3* db, std::set<std::string>& tables) {
    std::vector<std::wstring> names;
    if (Failure failure = Strings(db, TablesQuery, names))
        return failure;
    for (const std::wstring& name : names)
        tables.insert(platform::ToUtf8(name));
    return Failure();
}

Failure Run(sqlite3* db, const char* sql) {
    return EachRow(db, sql, [](sqlite3_stmt*) {});
}

Failure FillKept(sqlite3* db, const std::vector<KeptValues>& kept) {
    for (const KeptValues& table : kept) {
        const std::string name = "temp." + Quoted(table.name);
        if (Failure failure = Run(
                db, ("CREATE TABLE IF NOT EXISTS " + name + " (value TEXT PRIMARY KEY)").c_str()))
            return failure;
        platform::UniqueStatement insert;
        if (Failure failure =
                Prepare(db, "INSERT OR IGNORE INTO " + name + " (value) VALUES (?1)", insert))
            return failure;
        for (const std::wstring& value : table.values) {
            const std::string text = platform::ToUtf8(value);
            sqlite3_bind_text(insert.get(), 1, text.data(), int(text.size()), SQLITE_TRANSIENT);
            const int result = sqlite3_step(insert.get());
            sqlite3_reset(insert.get());
            if (result != SQLITE_DONE)
                return FailureOf(db, result);
        }
    }
    return Failure();
}

Failure Count(sqlite3* db, const RowChange& change, ULONGLONG& rows) {
    rows = 0;
    platform::UniqueStatement statement;
    if (Failure failure =
            Prepare(db, "SELECT count(*) FROM " + Quoted(change.table) + " WHERE " + change.where,
                    statement))
        return failure;
    const int result = sqlite3_step(statement.get());
    if (result == SQLITE_ROW)
        rows = ULONGLONG(sqlite3_column_int64(statement.get(), 0));
    return FailureOf(db, result);
}

Failure Apply(sqlite3* db, const RowChange& change, ULONGLONG& rows) {
    rows = 0;
    const std::string sql =
        change.set.empty()
            ? "DELETE FROM " + Quoted(change.table) + " WHERE " + change.where
            : "UPDATE " + Quoted(change.table) + " SET " + change.set + " WHERE " + change.where;
    platform::UniqueStatement statement;
    if (Failure failure = Prepare(db, sql, statement))
        return failure;
    const int result = sqlite3_step(statement.get());
    if (result == SQLITE_DONE)
        rows = ULONGLONG(sqlite3_changes64(db));
    return FailureOf(db, result);
}

Failure Strings(sqlite3* db, const char* query, std::vector<std::wstring>& values) {
    return EachRow(db, query, [&](sqlite3_stmt* row) {
        if (const char* text = TextOf(row, 0))
            values.push_back(platform::FromUtf8(text));
    });
}

Failure CountedStrings(sqlite3* db, const char* query,
                       std::vector<std::pair<std::string, ULONGLONG>>& values) {
    return EachRow(db, query, [&](sqlite3_stmt* row) {
        if (const char* text = TextOf(row, 0))
            values.emplace_back(text, ULONGLONG(sqlite3_column_int64(row, 1)));
    });
}

} // namespace database
