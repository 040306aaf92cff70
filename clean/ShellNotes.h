// The shell visitors that note: the clean of the console program and of the
// window's more traces, which empties the bins and notes what they held, and
// the console's preview (ShellPreview.cpp), which only notes.
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

// The bins' item count and bytes as the shell adds them up for all drives;
// the shell's error when it cannot tell.
CleanItem RecycleBinContents();

// Notes what the bins hold; empties nothing, clears nothing.
class ShellPreview : public ShellVisitor {
public:
    explicit ShellPreview(CleanReport& report) : m_report(report) {}
    void EmptyRecycleBin(UINT flags) override;
    void ClearRecentDocuments() override {}

private:
    CleanReport& m_report;
};
