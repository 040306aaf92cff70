// The depth-first walk behind Cleaner's folder operations, in wide characters
// so that no name is lost to the ANSI code page and no path to MAX_PATH. The
// walk decides; its visitor makes the changes or notes them (FolderVisitor.h).
//
// Each folder is opened once, without following a link, and listed through
// that handle; its entries are opened relative to it. A folder swapped for a
// link between its listing and the walk into it is therefore never walked:
// the open reaches the link itself (Windows), or a folder that is not the
// one listed (Wine, which resolves Unix links), and either stays outside the
// walk. The walk keeps its own stack, so no depth of folders can exhaust the
// thread's stack.
#pragma once

#include "clean/FolderVisitor.h"

#include <windows.h>

#include <string>
#include <vector>

class FolderWalk {
public:
    FolderWalk(bool includeDesktopIni, bool wipeIndexFiles, FolderVisitor& visitor);

    // Which entries of the folder given to EmptyFolder are the walk's: all
    // of them (the default), all but these names, or only these names
    // (ignoring case). Entries outside the walk are neither touched nor noted.
    FolderWalk& Except(std::vector<std::wstring> names);
    FolderWalk& Only(std::vector<std::wstring> names);

    // Deletes every entry below `folder` (or has the visitor note it),
    // keeping the folder. 1 when the folder could be listed, else 0.
    int EmptyFolder(const std::wstring& folder) const;

    // Zeros folder\name from byte 64 to its end, unless the file has other
    // names or the path reaches another file through a link. 1 when the file
    // could be opened, else 0.
    static int WipeIndexFile(const std::wstring& folder, const std::wstring& name);

private:
    bool m_includeDesktopIni;
    bool m_wipeIndexFiles;
    FolderVisitor& m_visitor;
    std::vector<std::wstring> m_names;
    bool m_onlyNames = false;
};

// What a wipe wrote: the bytes zeroed, and why it stopped short (0 when it
// zeroed all it was asked to and reached the disk).
struct WipeResult {
    ULONGLONG zeroed;
    DWORD error;
};

// Zeros `bytes` bytes of the open index file from its 64th byte on, in blocks
// of 10000 bytes, checking every seek and write, and flushes them to the disk
// before the caller closes (and deletes) the file. A block that fails does
// not stop the wipe; the next one is written at its own place.
WipeResult ZeroAfterHeader(HANDLE file, ULONGLONG bytes);

// Whether the files of a walk need the check that their handle reached the
// entry itself: only where the platform shows a link as a plain file and
// resolves every open of it. Decided once per process.
bool FileHandlesMayReachLinkTargets();
