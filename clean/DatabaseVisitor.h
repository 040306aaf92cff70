// The changes made in a browser's databases: rows deleted (or, for the rows
// that stay, some columns reset), one database at a time, in one
// transaction. The cleaner decides which rows, as conditions on the database
// as it stands; a visitor makes the changes (DatabaseCleaning) or counts the
// rows they would touch (DatabasePreview in DatabaseNotes.h).
//
// No value of the user's is ever part of the SQL text: values a condition
// needs (the bookmarked addresses, say) are inserted as bound parameters
// into temporary tables that the conditions name.
#pragma once

#include "clean/CleanReport.h"

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

// The rows of one table that a change touches.
struct RowChange {
    std::string table;
    // Which rows, as an SQL condition over the database before the clean
    // (so that a preview counts what the clean removes); "1" for all.
    std::string where;
    // Empty: the rows are deleted. Otherwise an SQL "SET" list for the rows
    // that stay (not counted as removed).
    std::string set;
};

// A temporary table of values the conditions refer to: `name`(value TEXT).
struct KeptValues {
    std::string name;
    std::vector<std::wstring> values;
};

struct RowPlan {
    std::vector<KeptValues> kept;
    std::vector<RowChange> changes;
};

// Makes the plan from the tables the database holds, so that a table an
// older or newer schema lacks is left out rather than failing the clean.
using RowPlanner = std::function<RowPlan(const std::set<std::string>& tables)>;

class DatabaseVisitor {
public:
    virtual ~DatabaseVisitor() = default;

    // Whether this visitor changes anything: databases are then opened for
    // writing, else read in a copy and left exactly as they were.
    virtual bool ChangesDatabases() const = 0;
    // Makes (or counts) the changes the planner asks for on the database at
    // `path`. A database another program holds is left alone (InUse).
    virtual CleanStatus ChangeRows(const std::wstring& path, const RowPlanner& planner) = 0;
};

// Changes the rows in one transaction with SQLite's secure deletion, then
// rewrites the file (VACUUM) and empties its write-ahead log, so that no
// deleted value stays readable in the database or beside it.
class DatabaseCleaning : public DatabaseVisitor {
public:
    bool ChangesDatabases() const override { return true; }
    CleanStatus ChangeRows(const std::wstring& path, const RowPlanner& planner) override;

protected:
    // The rows each change touched, by table, of the last ChangeRows (kept
    // when the rewrite or the checkpoint after the commit fails), and why it
    // failed (SQLite's message, or our words) when it did.
    struct Outcome {
        std::vector<std::pair<std::string, ULONGLONG>> removed;
        DWORD error = 0;
        std::wstring message;
    };
    CleanStatus Change(const std::wstring& path, const RowPlanner& planner, Outcome& outcome);
};
