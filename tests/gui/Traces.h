// Usage traces of the eight kinds that the program cleans, planted where the
// program looks for them (the current user's registry, the recent-documents
// and history folders, the recycle bin), and the state that a clean run must
// leave of them. Everything planted is removed again when the object goes.
#pragma once

#include "tests/gui/Files.h"
#include "tests/gui/QuenbyIds.h"

#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

class Traces {
public:
    Traces();
    ~Traces();

    Traces(const Traces&) = delete;
    Traces& operator=(const Traces&) = delete;

    // Plants the traces of every target in `targets` (bit i: target i). The
    // history gets `extraHistoryFiles` more files, so that walking it takes a
    // while. Adds a test failure and answers false when something could not
    // be planted.
    bool Plant(DWORD targets, int extraHistoryFiles = 0);

    // Everything planted, as it is now: the registry keys of the traces, the
    // planted files and folders (what else the two folders hold is not looked
    // at), the names in the recycle bin; `withTimes` adds the write times.
    TreeSnapshot Capture(bool withTimes = false) const;

    // What Capture() must show after a clean run of `targets`, given what it
    // showed before: the numbered recent-clip keys 1 to 8 and the recent-file
    // values before the gap gone, the typed-address, form-data and
    // auto-complete keys gone, the folders emptied of everything but the
    // "desktop.ini" files, their folders and the index file held open (whose
    // bytes after its header are zeros), the recycle bin empty.
    TreeSnapshot AfterClean(const TreeSnapshot& before, DWORD targets) const;

    // Whether the target's traces are gone; cheap enough to ask while a run
    // goes on. A folder counts as cleaned once none of the planted entries
    // directly in it that do not stay is left.
    bool LooksCleaned(int target) const;

    // The history's index file that the driver holds open without sharing
    // deletion: size and first 64 bytes as planted, zeros after them.
    void ExpectHeldIndexFileWiped() const;

private:
    struct PlantedFile {
        std::string relative;
        std::string content;
        DWORD attributes;
        bool stays;
    };

    bool PlantKeys(DWORD targets);
    bool PlantFolder(const std::string& folder, const std::vector<PlantedFile>& files);
    bool PlantHistory(int extraHistoryFiles);
    bool PlantRecycledFile();
    bool CreateTracedKey(const std::string& path);
    void RemoveFolderTraces(const std::string& folder, const std::vector<PlantedFile>& files);
    void KeepFolderEntries(const std::string& label, const std::vector<PlantedFile>& files,
                           TreeSnapshot& expected) const;
    static bool FolderCleaned(const std::string& folder, const std::vector<PlantedFile>& files);

    std::string m_sid;
    std::string m_recentFolder;
    std::string m_historyFolder;
    std::vector<PlantedFile> m_recentFiles;
    std::vector<PlantedFile> m_historyFiles;
    // The highest keys that planting created, deleted at the end.
    std::vector<std::string> m_createdKeys;
    platform::UniqueFile m_heldIndexFile;
    std::string m_recycledName;
};

} // namespace gui
