#include "clean/Database.h"
#include "clean/DatabaseVisitor.h"
#include "clean/WidePath.h"

namespace {

const char SecureDelete[] = "PRAGMA secure_delete = ON";
const char JournalMode[] = "PRAGMA journal_mode";
const wchar_t WalMode[] = L"wal";
// A rollback journal that is deleted after each transaction, whatever mode
// the browser uses on its own connections (it is a setting of ours alone).
const char DeleteJournal[] = "PRAGMA journal_mode = DELETE";
const char Begin[] = "BEGIN IMMEDIATE";
const char Commit[] = "COMMIT";
const char Rollback[] = "ROLLBACK";
const char Vacuum[] = "VACUUM";
const char TruncateLog[] = "PRAGMA wal_checkpoint(TRUNCATE)";
// The first column of the checkpoint's row: 1 when a reader blocked it.
const wchar_t CheckpointDone[] = L"0";
const wchar_t CheckpointBlocked[] =
    L"another program is reading this database, so the bytes of the deleted rows stay in the file "
    L"and its write-ahead log: close that program and clean again";
const wchar_t NotRewritten[] =
    L"the rows are deleted, but the file could not be rewritten and may still hold their bytes: ";

bool InWalMode(sqlite3* db) {
    std::vector<std::wstring> mode;
    database::Strings(db, JournalMode, mode);
    return !mode.empty() && mode[0] == WalMode;
}

CleanStatus Failed(const database::Failure& failure, std::wstring& message, DWORD& error) {
    error = failure.error;
    message = failure.message;
    return StatusOf(CleanItemKind::DatabaseRows, failure.error);
}

// Runs the plan's changes inside the open transaction; `changed` tells
// whether any row was deleted or updated.
database::Failure ApplyPlan(sqlite3* db, const RowPlanner& planner,
                            std::vector<std::pair<std::string, ULONGLONG>>& removed,
                            bool& changed) {
    std::set<std::string> tables;
    if (database::Failure failure = database::Tables(db, tables))
        return failure;
    const RowPlan plan = planner(tables);
    if (database::Failure failure = database::FillKept(db, plan.kept))
        return failure;
    for (const RowChange& change : plan.changes) {
        ULONGLONG rows = 0;
        if (database::Failure failure = database::Apply(db, change, rows))
            return failure;
        changed |= rows != 0;
        if (change.set.empty() && rows != 0)
            removed.emplace_back(change.table, rows);
    }
    return database::Failure();
}

// Rewrites the file, so that its free pages hold nothing of what went.
database::Failure Rewrite(sqlite3* db) {
    database::Failure failure = database::Run(db, Vacuum);
    if (failure)
        failure.message = NotRewritten + failure.message;
    return failure;
}

// Copies the write-ahead log into the file and empties it. A reader of
// another program blocks the checkpoint without an error: only the first
// column of its row says so.
database::Failure EmptyLog(sqlite3* db) {
    std::vector<std::wstring> checkpoint;
    if (database::Failure failure = database::Strings(db, TruncateLog, checkpoint))
        return failure;
    if (!checkpoint.empty() && checkpoint[0] != CheckpointDone)
        return database::Failure{ERROR_SHARING_VIOLATION, CheckpointBlocked};
    return database::Failure();
}

} // namespace

CleanStatus DatabaseCleaning::ChangeRows(const std::wstring& path, const RowPlanner& planner) {
    Outcome outcome;
    return Change(path, planner, outcome);
}

// A database that is not there is nothing to clean. The rows go in one
// transaction; only when it commits is the file rewritten and its log
// emptied, so that freed pages and old frames hold nothing of what went.
// The rows that went stay in the outcome when that last step fails. A log is
// emptied even when no row went, so that a clean after one a reader blocked
// finishes it.
CleanStatus DatabaseCleaning::Change(const std::wstring& path, const RowPlanner& planner,
                                     Outcome& outcome) {
    if (!WidePath::Exists(path))
        return CleanStatus::Gone;
    platform::UniqueDatabase db;
    if (database::Failure failure = database::OpenForChanges(path, db))
        return Failed(failure, outcome.message, outcome.error);
    const bool wal = InWalMode(db.get());
    database::Run(db.get(), SecureDelete);
    if (!wal)
        database::Run(db.get(), DeleteJournal);
    if (database::Failure failure = database::Run(db.get(), Begin))
        return Failed(failure, outcome.message, outcome.error);
    bool changed = false;
    database::Failure failure = ApplyPlan(db.get(), planner, outcome.removed, changed);
    if (!failure)
        failure = database::Run(db.get(), Commit);
    if (failure) {
        database::Run(db.get(), Rollback);
        outcome.removed.clear();
        return Failed(failure, outcome.message, outcome.error);
    }
    if (changed && (failure = Rewrite(db.get())))
        return Failed(failure, outcome.message, outcome.error);
    if (wal && (failure = EmptyLog(db.get())))
        return Failed(failure, outcome.message, outcome.error);
    return CleanStatus::Gone;
}
