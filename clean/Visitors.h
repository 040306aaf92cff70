// The visitors a target runs against: one per kind of change. A new kind of
// change (rows in a database, say) is a new member here and a new visitor,
// not a change to the existing ones.
#pragma once

#include "clean/FolderVisitor.h"
#include "clean/RecycleBinVisitor.h"
#include "clean/RegistryVisitor.h"

struct Visitors {
    RegistryVisitor& registry;
    FolderVisitor& folders;
    RecycleBinVisitor& recycleBin;
};

// The visitors that make the changes and note nothing: the window's clean.
class CleaningVisitors {
public:
    Visitors& Get() { return m_visitors; }

private:
    RegistryCleaning m_registry;
    FolderCleaning m_folders;
    RecycleBinCleaning m_recycleBin;
    Visitors m_visitors{m_registry, m_folders, m_recycleBin};
};
