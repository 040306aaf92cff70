// The SQLite calls the database visitors share: opening a browser's database
// for the changes (or a private copy of it, DatabaseCopy.h), reading its
// tables, and running a plan's changes with every value bound.
#pragma once

#include "clean/DatabaseVisitor.h"
#include "platform/SqliteHandles.h"

#include <string>
#include <utility>

namespace database {

// Why an open or a statement failed: a Win32 error (in use, corrupt...) and
// SQLite's own message.
struct Failure {
    DWORD error = 0;
    std::wstring message;
    explicit operator bool() const { return error != 0; }
};

// Opens the existing database at `path` for reading and writing; nothing is
// created, and a lock held elsewhere fails at once rather than waiting.
Failure OpenForChanges(const std::wstring& path, platform::UniqueDatabase& db);

// The names of the tables `db` holds. A schema that cannot be read is a
// failure: a plan made from no tables would change nothing and say so.
Failure Tables(sqlite3* db, std::set<std::string>& tables);

// Runs `sql` (no values in it) to its end; the failure, if any.
Failure Run(sqlite3* db, const char* sql);

// Creates each kept table in the temporary database and fills it, each value
// bound as a parameter.
Failure FillKept(sqlite3* db, const std::vector<KeptValues>& kept);

// The rows `change` touches, counted without touching them.
Failure Count(sqlite3* db, const RowChange& change, ULONGLONG& rows);

// Deletes (or updates) the rows `change` names; `rows` is how many.
Failure Apply(sqlite3* db, const RowChange& change, ULONGLONG& rows);

// Every text `query` gives in its first column.
Failure Strings(sqlite3* db, const char* query, std::vector<std::wstring>& values);

// Every text `query` gives in its first column, with the number in its second
// (a count of a GROUP BY).
Failure CountedStrings(sqlite3* db, const char* query,
                       std::vector<std::pair<std::string, ULONGLONG>>& values);

} // namespace database
