#include "clean/TraceNotes.h"

void NotedTraceNotes::SkipProfile(const std::wstring& profile, const std::wstring& reason) {
    CleanItem item = {CleanItemKind::ProfileInUse, profile, 0, 1, ERROR_SHARING_VIOLATION};
    item.detail = reason;
    m_report.Add(std::move(item));
}

void NotedTraceNotes::Problem(const std::wstring& path, DWORD error, const std::wstring& reason) {
    CleanItem item = {CleanItemKind::Problem, path, 0, 1, error};
    item.detail = reason;
    m_report.Add(std::move(item));
}

void NotedTraceNotes::SiteKept(const std::wstring& path, const std::wstring& site,
                               ULONGLONG count) {
    CleanItem item = {CleanItemKind::SiteKept, path, 0, count};
    item.detail = site;
    m_report.Add(std::move(item));
}
