// Problems of a trace's run that belong to no kind of change: a profile
// skipped because its browser runs, a file or folder the cleaner needed and
// would not use (a bookmarks file it cannot read, a temporary folder that is
// not safe to empty). The window's clean says nothing of them; the console's
// clean and preview, and the window's more traces, note them in the report.
#pragma once

#include "clean/CleanReport.h"

#include <windows.h>

#include <string>

class TraceNotes {
public:
    virtual ~TraceNotes() = default;

    // A profile whose browser runs: nothing in it is touched; `reason` says
    // what the user can do.
    virtual void SkipProfile(const std::wstring& profile, const std::wstring& reason) = 0;
    // Something the cleaner needed and could not use, so that it changed
    // nothing that depends on it; `reason` says why in words.
    virtual void Problem(const std::wstring& path, DWORD error, const std::wstring& reason) = 0;
    // What stays in `path` because it belongs to `site`, one of the sites
    // the user keeps signed in: `count` cookies, or one folder or store.
    virtual void SiteKept(const std::wstring& path, const std::wstring& site, ULONGLONG count) = 0;
};

class SilentNotes : public TraceNotes {
public:
    void SkipProfile(const std::wstring&, const std::wstring&) override {}
    void Problem(const std::wstring&, DWORD, const std::wstring&) override {}
    void SiteKept(const std::wstring&, const std::wstring&, ULONGLONG) override {}
};

// Notes each problem as an item of `report`, a preview's and a clean's alike.
class NotedTraceNotes : public TraceNotes {
public:
    explicit NotedTraceNotes(CleanReport& report) : m_report(report) {}
    void SkipProfile(const std::wstring& profile, const std::wstring& reason) override;
    void Problem(const std::wstring& path, DWORD error, const std::wstring& reason) override;
    void SiteKept(const std::wstring& path, const std::wstring& site, ULONGLONG count) override;

private:
    CleanReport& m_report;
};
