// The database visitors that note: the console program's clean, which makes
// the changes and notes the rows each table lost, and its preview, which
// opens every database read-only and counts the rows a clean would delete.
#pragma once

#include "clean/CleanReport.h"
#include "clean/DatabaseVisitor.h"

class NotedDatabaseCleaning : public DatabaseCleaning {
public:
    explicit NotedDatabaseCleaning(CleanReport& report) : m_report(report) {}
    CleanStatus ChangeRows(const std::wstring& path, const RowPlanner& planner) override;
    void SkipProfile(const std::wstring& profile, const std::wstring& reason) override;
    void Problem(const std::wstring& path, DWORD error, const std::wstring& reason) override;

private:
    CleanReport& m_report;
};

// Changes nothing: not a row, not the file's bytes or times, no file beside it.
class DatabasePreview : public DatabaseVisitor {
public:
    explicit DatabasePreview(CleanReport& report) : m_report(report) {}
    bool ChangesDatabases() const override { return false; }
    CleanStatus ChangeRows(const std::wstring& path, const RowPlanner& planner) override;
    void SkipProfile(const std::wstring& profile, const std::wstring& reason) override;
    void Problem(const std::wstring& path, DWORD error, const std::wstring& reason) override;

private:
    CleanReport& m_report;
};

// Notes the profile skipped because its browser runs, or a file the cleaner
// could not use.
void NoteSkippedProfile(CleanReport& report, const std::wstring& profile,
                        const std::wstring& reason);
void NoteProblem(CleanReport& report, const std::wstring& path, DWORD error,
                 const std::wstring& reason);
