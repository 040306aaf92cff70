// The database visitors that note: the clean of the console program and of
// the window's more traces, which makes the changes and notes the rows each
// table lost, and the console's preview (DatabasePreview.cpp), which counts
// the rows a clean would delete in a private copy of every database.
#pragma once

#include "clean/CleanReport.h"
#include "clean/DatabaseVisitor.h"

class NotedDatabaseCleaning : public DatabaseCleaning {
public:
    explicit NotedDatabaseCleaning(CleanReport& report) : m_report(report) {}
    CleanStatus ChangeRows(const std::wstring& path, const RowPlanner& planner) override;

private:
    CleanReport& m_report;
};

// Changes nothing: not a row, not the file's bytes or times, no file beside it.
class DatabasePreview : public DatabaseVisitor {
public:
    explicit DatabasePreview(CleanReport& report) : m_report(report) {}
    bool ChangesDatabases() const override { return false; }
    CleanStatus ChangeRows(const std::wstring& path, const RowPlanner& planner) override;

private:
    CleanReport& m_report;
};

// Notes the rows a table lost (or would lose), and a database that could not
// be changed or looked at with SQLite's message; answers the failure's status.
void NoteRows(CleanReport& report, const std::wstring& path, const std::string& table,
              ULONGLONG rows);
CleanStatus NoteDatabaseFailure(CleanReport& report, const std::wstring& path, DWORD error,
                                const std::wstring& message);
