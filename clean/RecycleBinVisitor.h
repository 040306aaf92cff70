// The recycle bins' one change: emptying them, which a visitor either makes
// (RecycleBinCleaning) or notes (RecycleBinNotes.h), as for every target.
#pragma once

#include <windows.h>

#include <string>

class RecycleBinVisitor {
public:
    virtual ~RecycleBinVisitor() = default;
    // SHEmptyRecycleBinA(no window, all drives, `flags`).
    virtual void EmptyRecycleBin(UINT flags) = 0;
};

// Empties: the call the cleaner asks for, and nothing else.
class RecycleBinCleaning : public RecycleBinVisitor {
public:
    void EmptyRecycleBin(UINT flags) override;
};
