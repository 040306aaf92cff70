// The cleaners: one operation per kind of usage trace, plus the two folder
// operations the recent-documents and history cleaners share. The class holds
// nothing, so any instance will do; every key, search and file it opens is
// closed before the operation returns. Results are plain statuses that a clean
// run does not read.
#pragma once

#include <windows.h>

#include <string>

class FolderVisitor;
class ShellVisitor;
class RegistryVisitor;
struct Visitors;

class Cleaner {
public:
    // The player's recent-clip keys "MostRecentClips1".."MostRecentClips8"
    // below the first version and preferences subkeys. -1 when the player's
    // key cannot be opened, else 0.
    int CleanRealPlayer();

    // The values "File0".."File9" of the media player's recent-file list.
    // -1 when the list's key cannot be opened, else 0.
    int CleanMediaPlayer();

    // The browser's typed-address key, with all below it. Always 0.
    int CleanTypedUrls();

    // The browser's form-data key, with all below it. Always 0.
    int CleanIntelliForms();

    // The browser's auto-complete store in the protected-storage area. Always 0.
    int CleanAutoComplete();

    // The recycle bins of all drives, without confirmation, progress or sound.
    // Always 0.
    int EmptyRecycleBin();

    // The shell's recent-documents folder, emptied but kept, except for the
    // pinned entries of its jump lists; then the shell forgets its recent
    // documents. Always 0.
    int CleanRecentDocuments();

    // The browser's history folder, emptied but kept. Always 0.
    int CleanIEHistory();

    // Deletes everything below `folder` (not the folder itself), depth first.
    // "desktop.ini" stays unless `includeDesktopIni`; each "index.dat" is
    // wiped before its deletion when `wipeIndexFiles`. Links to folders are
    // never followed. 1 when the folder could be listed, else 0.
    int DeleteFolderContents(const char* folder, int includeDesktopIni, int wipeIndexFiles);

    // Overwrites folder\name with zeros from byte 64 to its end, unless the
    // file is a link or has other names. 1 when the file could be opened,
    // else 0.
    int WipeIndexFile(const char* folder, const char* name);

    // The same operations with the changes made or noted by a visitor: the
    // operations above pass one that deletes and notes nothing. A preview
    // passes one that only notes, and so follows the clean's very steps.
    int CleanRealPlayer(RegistryVisitor& visitor);
    int CleanMediaPlayer(RegistryVisitor& visitor);
    int CleanTypedUrls(RegistryVisitor& visitor);
    int CleanIntelliForms(RegistryVisitor& visitor);
    int CleanAutoComplete(RegistryVisitor& visitor);
    int EmptyRecycleBin(ShellVisitor& visitor);
    // The folder walk, the jump lists and the shell each have their visitor.
    int CleanRecentDocuments(Visitors& visitors);
    int CleanIEHistory(FolderVisitor& visitor);
    int DeleteFolderContents(const char* folder, int includeDesktopIni, int wipeIndexFiles,
                             FolderVisitor& visitor);

private:
    // The shell folder `id` (or, where the platform has no such call,
    // `csidl`); empty when there is none.
    static std::wstring SpecialFolder(const GUID& id, int csidl);
    // The folder operation on a path in wide characters.
    int DeleteFolderContents(const std::wstring& folder, int includeDesktopIni, int wipeIndexFiles,
                             FolderVisitor& visitor);
};
