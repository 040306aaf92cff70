// The database preview, in a file of its own: the window's program notes its
// cleans but never previews, and links only what it uses.
#include "clean/DatabaseNotes.h"

#include "clean/Database.h"

// The plan is made from the same tables the clean would see, and each
// deletion's condition counted as it stands.
CleanStatus DatabasePreview::ChangeRows(const std::wstring& path, const RowPlanner& planner) {
    if (!database::Exists(path))
        return CleanStatus::Gone;
    platform::UniqueDatabase db;
    if (database::Failure failure = database::OpenReadOnly(path, db))
        return NoteDatabaseFailure(m_report, path, failure.error, failure.message);
    const RowPlan plan = planner(database::Tables(db.get()));
    if (database::Failure failure = database::FillKept(db.get(), plan.kept))
        return NoteDatabaseFailure(m_report, path, failure.error, failure.message);
    for (const RowChange& change : plan.changes) {
        if (!change.set.empty())
            continue;
        ULONGLONG rows = 0;
        if (database::Failure failure = database::Count(db.get(), change, rows))
            return NoteDatabaseFailure(m_report, path, failure.error, failure.message);
        if (rows != 0)
            NoteRows(m_report, path, change.table, rows);
    }
    return CleanStatus::Gone;
}
