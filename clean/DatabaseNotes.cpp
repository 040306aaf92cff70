#include "clean/DatabaseNotes.h"

#include "clean/Database.h"
#include "clean/WidePath.h"

namespace {

void NoteRows(CleanReport& report, const std::wstring& path, const std::string& table,
              ULONGLONG rows) {
    CleanItem item = {CleanItemKind::DatabaseRows, path, 0, rows};
    item.detail = WidePath::FromUtf8(table);
    report.Add(std::move(item));
}

CleanStatus NoteFailure(CleanReport& report, const std::wstring& path, DWORD error,
                        const std::wstring& message) {
    CleanItem item = {CleanItemKind::DatabaseRows, path, 0, 0, error};
    item.detail = message;
    report.Add(item);
    return item.status;
}

} // namespace

void NoteSkippedProfile(CleanReport& report, const std::wstring& profile,
                        const std::wstring& reason) {
    CleanItem item = {CleanItemKind::ProfileInUse, profile, 0, 1, ERROR_SHARING_VIOLATION};
    item.detail = reason;
    report.Add(std::move(item));
}

void NoteProblem(CleanReport& report, const std::wstring& path, DWORD error,
                 const std::wstring& reason) {
    CleanItem item = {CleanItemKind::Problem, path, 0, 1, error};
    item.detail = reason;
    report.Add(std::move(item));
}

void NotedDatabaseCleaning::Problem(const std::wstring& path, DWORD error,
                                    const std::wstring& reason) {
    NoteProblem(m_report, path, error, reason);
}

void DatabasePreview::Problem(const std::wstring& path, DWORD error, const std::wstring& reason) {
    NoteProblem(m_report, path, error, reason);
}

CleanStatus NotedDatabaseCleaning::ChangeRows(const std::wstring& path, const RowPlanner& planner) {
    Outcome outcome;
    const CleanStatus status = Change(path, planner, outcome);
    if (status != CleanStatus::Gone)
        return NoteFailure(m_report, path, outcome.error, outcome.message);
    for (const auto& table : outcome.removed)
        NoteRows(m_report, path, table.first, table.second);
    return status;
}

void NotedDatabaseCleaning::SkipProfile(const std::wstring& profile, const std::wstring& reason) {
    NoteSkippedProfile(m_report, profile, reason);
}

// The plan is made from the same tables the clean would see, and each
// deletion's condition counted as it stands.
CleanStatus DatabasePreview::ChangeRows(const std::wstring& path, const RowPlanner& planner) {
    if (!database::Exists(path))
        return CleanStatus::Gone;
    platform::UniqueDatabase db;
    if (database::Failure failure = database::OpenReadOnly(path, db))
        return NoteFailure(m_report, path, failure.error, failure.message);
    const RowPlan plan = planner(database::Tables(db.get()));
    if (database::Failure failure = database::FillKept(db.get(), plan.kept))
        return NoteFailure(m_report, path, failure.error, failure.message);
    for (const RowChange& change : plan.changes) {
        if (!change.set.empty())
            continue;
        ULONGLONG rows = 0;
        if (database::Failure failure = database::Count(db.get(), change, rows))
            return NoteFailure(m_report, path, failure.error, failure.message);
        if (rows != 0)
            NoteRows(m_report, path, change.table, rows);
    }
    return CleanStatus::Gone;
}

void DatabasePreview::SkipProfile(const std::wstring& profile, const std::wstring& reason) {
    NoteSkippedProfile(m_report, profile, reason);
}
