// The database preview, in a file of its own: the window's program notes its
// cleans but never previews, and links only what it uses.
#include "clean/DatabaseNotes.h"

#include "clean/DatabaseCopy.h"
#include "clean/WidePath.h"

namespace {

// Notes the rows each deletion of the plan would remove, counted in a copy
// of the database; the plan is made from the same tables the clean would
// see, and each condition counted as the database stands.
database::Failure CountRows(const std::wstring& path, const RowPlanner& planner,
                            CleanReport& report) {
    DatabaseCopy db;
    std::set<std::string> tables;
    if (database::Failure failure = db.Open(path, tables))
        return failure;
    const RowPlan plan = planner(tables);
    if (database::Failure failure = database::FillKept(db.get(), plan.kept))
        return failure;
    for (const RowChange& change : plan.changes) {
        if (!change.set.empty())
            continue;
        ULONGLONG rows = 0;
        if (database::Failure failure = database::Count(db.get(), change, rows))
            return failure;
        if (rows != 0)
            NoteRows(report, path, change.table, rows);
    }
    return database::Failure();
}

} // namespace

CleanStatus DatabasePreview::ChangeRows(const std::wstring& path, const RowPlanner& planner) {
    if (!WidePath::Exists(path))
        return CleanStatus::Gone;
    const database::Failure failure = CountRows(path, planner, m_report);
    if (failure)
        return NoteDatabaseFailure(m_report, path, failure.error, failure.message);
    return CleanStatus::Gone;
}
