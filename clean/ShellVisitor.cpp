#include "clean/ShellVisitor.h"

#include <shellapi.h>
#include <shlobj.h>

void ShellCleaning::EmptyRecycleBin(UINT flags) {
    SHEmptyRecycleBinA(nullptr, nullptr, flags);
}

void ShellCleaning::ClearRecentDocuments() {
    SHAddToRecentDocs(SHARD_PIDL, nullptr);
}
