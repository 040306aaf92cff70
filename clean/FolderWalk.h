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
//
//   FolderWalk(visitors.folders).KeepDesktopIni().WipeIndexFiles().EmptyFolder(folder);
#pragma once

#include "clean/FolderVisitor.h"

#include <windows.h>

#include <string>
#include <vector>

class FolderWalk {
public:
    // By default every entry goes as it is: "desktop.ini" files too, and an
    // index file is deleted without being zeroed first.
    explicit FolderWalk(FolderVisitor& visitor);

    // "desktop.ini" files stay, in any case of their name (noted as kept),
    // and so do the folders that hold them.
    FolderWalk& KeepDesktopIni();
    // Each "index.dat" is zeroed after its header before its deletion is tried.
    FolderWalk& WipeIndexFiles();

    // Which entries of the folder given to EmptyFolder are the walk's: all
    // of them (the default), all but these names, or only these names
    // (ignoring case). Entries outside the walk are neither touched nor noted.
    // Except also takes paths below the folder ("sub\\name"): the subfolders
    // that hold them stay.
    FolderWalk& Except(std::vector<std::wstring> names);
    FolderWalk& Only(std::vector<std::wstring> names);

    // Deletes every entry below `folder` (or has the visitor note it),
    // keeping the folder. 1 when the folder could be listed, else 0.
    int EmptyFolder(const std::wstring& folder) const;

    // The names of the files right in `folder` (not its folders) that begin
    // with `prefix` and end with `suffix`, ignoring case; for Only().
    static std::vector<std::wstring>
    FileNames(const std::wstring& folder, const std::wstring& prefix, const std::wstring& suffix);

    // Zeros folder\name from byte 64 to its end, unless the file has other
    // names or the path reaches another file through a link. 1 when the file
    // could be opened, else 0.
    static int WipeIndexFile(const std::wstring& folder, const std::wstring& name);

private:
    FolderVisitor& m_visitor;
    bool m_keepDesktopIni = false;
    bool m_wipeIndexFiles = false;
    std::vector<std::wstring> m_names;
    bool m_onlyNames = false;
};
