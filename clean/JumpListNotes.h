// The jump-list visitors that note: the clean of the console program and of
// the window's more traces, which writes each list again and notes the
// entries that went and the pinned ones that stayed, and the console's
// preview (JumpListPreview.cpp), which only notes.
#pragma once

#include "clean/CleanReport.h"
#include "clean/JumpListVisitor.h"

class NotedJumpListCleaning : public JumpListCleaning {
public:
    explicit NotedJumpListCleaning(CleanReport& report) : m_report(report) {}
    CleanStatus KeepPinned(JumpList& list) override;
    void LeaveUnreadable(const std::wstring& path, DWORD error,
                         const std::wstring& reason) override;

private:
    CleanReport& m_report;
};

// Changes nothing, not even the list's times.
class JumpListPreview : public JumpListVisitor {
public:
    explicit JumpListPreview(CleanReport& report) : m_report(report) {}
    CleanStatus KeepPinned(JumpList& list) override;
    void LeaveUnreadable(const std::wstring& path, DWORD error,
                         const std::wstring& reason) override;

private:
    CleanReport& m_report;
};

// Notes each entry of the list: those that go, and the pinned ones that stay.
void NoteJumpListEntries(CleanReport& report, const JumpList& list);
// Notes a list that stays as it is, with why.
void NoteJumpListLeft(CleanReport& report, const std::wstring& path, DWORD error,
                      const std::wstring& reason);
