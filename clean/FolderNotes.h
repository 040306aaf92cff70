// The folder visitors that note: the clean of the console program and of the
// window's more traces, which makes the walk's changes and notes what went
// and what could not, and the console's preview (FolderPreview.cpp), which
// only notes.
#pragma once

#include "clean/CleanReport.h"
#include "clean/FolderVisitor.h"

// Makes the changes as FolderCleaning does and notes in `report` what went
// and what could not, with the platform's reason.
class NotedFolderCleaning : public FolderCleaning {
public:
    explicit NotedFolderCleaning(CleanReport& report) : m_report(report) {}

    CleanStatus WipeIndexFile(const FolderEntry& entry) override;
    CleanStatus RemoveFile(const FolderEntry& entry) override;
    CleanStatus RemoveFolderLink(const FolderEntry& entry) override;
    CleanStatus RemoveFolder(const FolderEntry& entry, FolderState contents) override;
    void Keep(const FolderEntry& entry, CleanItemKind why) override;
    void Problem(const std::wstring& path, DWORD error) override;

private:
    CleanStatus Note(CleanItemKind kind, const FolderEntry& entry, CleanStatus status, DWORD error);

    CleanReport& m_report;
};

// Changes nothing, not even a time or an attribute: notes what the clean
// would remove, zero and keep. Every entry is expected to go, so a folder
// goes when nothing below it is kept.
class FolderPreview : public FolderVisitor {
public:
    explicit FolderPreview(CleanReport& report) : m_report(report) {}

    bool ChangesFiles() const override { return false; }
    void ClearReadOnly(const FolderEntry&, DWORD) override {}
    CleanStatus WipeIndexFile(const FolderEntry& entry) override;
    CleanStatus RemoveFile(const FolderEntry& entry) override;
    CleanStatus RemoveFolderLink(const FolderEntry& entry) override;
    CleanStatus RemoveFolder(const FolderEntry& entry, FolderState contents) override;
    void Keep(const FolderEntry& entry, CleanItemKind why) override;
    void Problem(const std::wstring& path, DWORD error) override;

private:
    CleanStatus Note(CleanItemKind kind, const FolderEntry& entry);

    CleanReport& m_report;
};
