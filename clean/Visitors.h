// The visitors a trace runs against: one per kind of change, and the notes
// for problems that belong to none. A new kind of change is a new member here
// and a new visitor, not a change to the existing ones.
#pragma once

#include "clean/DatabaseVisitor.h"
#include "clean/FolderVisitor.h"
#include "clean/JumpListVisitor.h"
#include "clean/RegistryVisitor.h"
#include "clean/ShellVisitor.h"
#include "clean/TraceNotes.h"

struct Visitors {
    RegistryVisitor& registry;
    FolderVisitor& folders;
    ShellVisitor& shell;
    DatabaseVisitor& databases;
    TraceNotes& notes;
    JumpListVisitor& jumpLists;
};

// The visitors that make the changes and note nothing: the window's clean.
class CleaningVisitors {
public:
    Visitors& Get() { return m_visitors; }

private:
    RegistryCleaning m_registry;
    FolderCleaning m_folders;
    ShellCleaning m_shell;
    DatabaseCleaning m_databases;
    SilentNotes m_notes;
    JumpListCleaning m_jumpLists;
    Visitors m_visitors{m_registry, m_folders, m_shell, m_databases, m_notes, m_jumpLists};
};
