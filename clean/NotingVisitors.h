// The sets of visitors that note into a report: the console program's clean
// (changes made and noted) and its preview (nothing changed, all noted).
#pragma once

#include "clean/FolderNotes.h"
#include "clean/RecycleBinNotes.h"
#include "clean/RegistryNotes.h"
#include "clean/Visitors.h"

class NotedCleaningVisitors {
public:
    explicit NotedCleaningVisitors(CleanReport& report)
        : m_registry(report), m_folders(report), m_recycleBin(report) {}
    Visitors& Get() { return m_visitors; }

private:
    NotedRegistryCleaning m_registry;
    NotedFolderCleaning m_folders;
    NotedRecycleBinCleaning m_recycleBin;
    Visitors m_visitors{m_registry, m_folders, m_recycleBin};
};

class PreviewVisitors {
public:
    explicit PreviewVisitors(CleanReport& report)
        : m_registry(report), m_folders(report), m_recycleBin(report) {}
    Visitors& Get() { return m_visitors; }

private:
    RegistryPreview m_registry;
    FolderPreview m_folders;
    RecycleBinPreview m_recycleBin;
    Visitors m_visitors{m_registry, m_folders, m_recycleBin};
};
