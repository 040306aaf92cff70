#include "clean/DatabaseNotes.h"

#include "clean/Database.h"
#include "platform/TextConversion.h"

void NoteRows(CleanReport& report, const std::wstring& path, const std::string& table,
              ULONGLONG rows) {
    CleanItem item = {CleanItemKind::DatabaseRows, path, 0, rows};
    item.detail = platform::FromUtf8(table);
    report.Add(std::move(item));
}

CleanStatus NoteDatabaseFailure(CleanReport& report, const std::wstring& path, DWORD error,
                                const std::wstring& message) {
    CleanItem item = {CleanItemKind::DatabaseRows, path, 0, 0, error};
    item.detail = message;
    report.Add(item);
    return item.status;
}

CleanStatus NotedDatabaseCleaning::ChangeRows(const std::wstring& path, const RowPlanner& planner) {
    Outcome outcome;
    const CleanStatus status = Change(path, planner, outcome);
    for (const auto& table : outcome.removed)
        NoteRows(m_report, path, table.first, table.second);
    if (status != CleanStatus::Gone)
        return NoteDatabaseFailure(m_report, path, outcome.error, outcome.message);
    return status;
}
