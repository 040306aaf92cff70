// The shell visitors that note: the console program's clean, which empties
// the bins and notes what they held, and its preview, which only notes.
#pragma once

#include "clean/CleanReport.h"
#include "clean/ShellVisitor.h"

// Notes the bins' items and bytes as the shell adds them up for all drives,
// then empties them; a failure is noted with the shell's reason.
class NotedShellCleaning : public ShellCleaning {
public:
    explicit NotedShellCleaning(CleanReport& report) : m_report(report) {}
    void EmptyRecycleBin(UINT flags) override;

private:
    CleanReport& m_report;
};

// Notes what the bins hold; empties nothing, clears nothing.
class ShellPreview : public ShellVisitor {
public:
    explicit ShellPreview(CleanReport& report) : m_report(report) {}
    void EmptyRecycleBin(UINT flags) override;
    void ClearRecentDocuments() override {}

private:
    CleanReport& m_report;
};
