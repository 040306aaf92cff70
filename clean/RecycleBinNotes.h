// The recycle-bin visitors that note: the console program's clean, which
// empties the bins and notes what they held, and its preview, which only
// notes. Apart from the window's program, which links neither.
#pragma once

#include "clean/CleanReport.h"
#include "clean/RecycleBinVisitor.h"

// Notes the bins' items and bytes as the shell adds them up for all drives,
// then empties them; a failure is noted with the shell's reason.
class NotedRecycleBinCleaning : public RecycleBinCleaning {
public:
    explicit NotedRecycleBinCleaning(CleanReport& report) : m_report(report) {}
    void EmptyRecycleBin(UINT flags) override;

private:
    CleanReport& m_report;
};

// Notes what the bins hold; empties nothing.
class RecycleBinPreview : public RecycleBinVisitor {
public:
    explicit RecycleBinPreview(CleanReport& report) : m_report(report) {}
    void EmptyRecycleBin(UINT flags) override;

private:
    CleanReport& m_report;
};
