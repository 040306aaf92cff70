// The sets of visitors that note into a report: the console program's clean
// (changes made and noted) and its preview (nothing changed, all noted).
#pragma once

#include "clean/DatabaseNotes.h"
#include "clean/FolderNotes.h"
#include "clean/JumpListNotes.h"
#include "clean/RegistryNotes.h"
#include "clean/ShellNotes.h"
#include "clean/Visitors.h"

class NotedCleaningVisitors {
public:
    explicit NotedCleaningVisitors(CleanReport& report)
        : m_registry(report), m_folders(report), m_shell(report), m_databases(report),
          m_notes(report), m_jumpLists(report) {}
    Visitors& Get() { return m_visitors; }

private:
    NotedRegistryCleaning m_registry;
    NotedFolderCleaning m_folders;
    NotedShellCleaning m_shell;
    NotedDatabaseCleaning m_databases;
    NotedTraceNotes m_notes;
    NotedJumpListCleaning m_jumpLists;
    Visitors m_visitors{m_registry, m_folders, m_shell, m_databases, m_notes, m_jumpLists};
};

class PreviewVisitors {
public:
    explicit PreviewVisitors(CleanReport& report)
        : m_registry(report), m_folders(report), m_shell(report), m_databases(report),
          m_notes(report), m_jumpLists(report) {}
    Visitors& Get() { return m_visitors; }

private:
    RegistryPreview m_registry;
    FolderPreview m_folders;
    ShellPreview m_shell;
    DatabasePreview m_databases;
    NotedTraceNotes m_notes;
    JumpListPreview m_jumpLists;
    Visitors m_visitors{m_registry, m_folders, m_shell, m_databases, m_notes, m_jumpLists};
};
