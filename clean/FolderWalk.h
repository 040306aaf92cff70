// The depth-first walk behind Cleaner's folder operations, in wide characters
// so that no name is lost to the ANSI code page and no path to MAX_PATH. The
// walk decides; its visitor makes the changes or notes them (FolderVisitor.h).
#pragma once

#include "clean/FolderVisitor.h"

#include <windows.h>

#include <string>

class FolderWalk {
public:
    FolderWalk(bool includeDesktopIni, bool wipeIndexFiles, FolderVisitor& visitor);

    // Deletes every entry below `folder` (or has the visitor note it),
    // keeping the folder. 1 when the folder could be listed, else 0.
    int EmptyFolder(const std::wstring& folder) const;

    // Zeros folder\name from byte 64 to its end, unless the file has other
    // names or the path reaches another file through a link. 1 when the file
    // could be opened, else 0.
    static int WipeIndexFile(const std::wstring& folder, const std::wstring& name);

    // Zeros `path` after its header as WipeIndexFile does, unless it reaches
    // another file; `resolved` is the path a handle on the entry reports.
    // Answers the bytes zeroed.
    static DWORD WipeEntry(const std::wstring& path, const std::wstring& resolved);

    // What a wipe of `path` would zero, by the wipe's own checks through a
    // handle that cannot write: 0 when it would zero nothing.
    static DWORD BytesToWipe(const std::wstring& path, const std::wstring& resolved);

    // Walks the subfolder `entry` of `folder` by this walk's rules with
    // `visitor`, as the walk itself would have: for a visitor that forks.
    bool WalkSubfolder(FolderVisitor& visitor, const std::wstring& folder,
                       const std::wstring& resolvedFolder, const WIN32_FIND_DATAW& entry) const;

private:
    FolderState Empty(const std::wstring& folder) const;
    // Hands the walk of a subfolder entry to the visitor to run on another
    // thread; false when the entry is for this thread.
    bool Fork(const std::wstring& folder, const std::wstring& resolvedFolder,
              const WIN32_FIND_DATAW& entry) const;
    bool IsKept(const wchar_t* name) const;
    // `resolvedFolder` is the path the platform reports for `folder` (empty
    // when that cannot be told); each file's handle is checked against it.
    // True when the entry went (or, in a preview, would go).
    bool RemoveEntry(const std::wstring& folder, const std::wstring& resolvedFolder,
                     const WIN32_FIND_DATAW& entry) const;
    bool RemoveFile(const std::wstring& path, const std::wstring& resolved,
                    const WIN32_FIND_DATAW& entry) const;

    bool m_includeDesktopIni;
    bool m_wipeIndexFiles;
    FolderVisitor& m_visitor;
};
