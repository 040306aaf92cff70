// The changes the shell makes for us: emptying the recycle bins, and
// clearing its own recent-documents list. A visitor either asks the shell
// for them (ShellCleaning) or notes them (ShellNotes.h), as for every target.
#pragma once

#include <windows.h>

#include <string>

class ShellVisitor {
public:
    virtual ~ShellVisitor() = default;
    // SHEmptyRecycleBinA(no window, all drives, `flags`).
    virtual void EmptyRecycleBin(UINT flags) = 0;
    // SHAddToRecentDocs(SHARD_PIDL, NULL): the shell forgets its recent
    // documents, also those a running Explorer holds in memory.
    virtual void ClearRecentDocuments() = 0;
};

// Asks the shell: the calls the cleaners ask for, and nothing else.
class ShellCleaning : public ShellVisitor {
public:
    void EmptyRecycleBin(UINT flags) override;
    void ClearRecentDocuments() override;
};
