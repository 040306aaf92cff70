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

// Files a walk leaves alone (FolderWalk::SparingFiles, SparingBelow).
struct SparedFiles {
    std::wstring folder;
    std::wstring pattern;
    bool below; // in every folder below `folder` too
};

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

    // Only the files whose names match one of `patterns` go (wildcards '*'
    // and '?', case ignored, clean/Wildcard.h). Other files stay, untouched
    // and unnoted, and so do the folders that hold them; subfolders and
    // folder links stay as they are, and so does the folder itself.
    FolderWalk& Matching(std::vector<std::wstring> patterns);
    // With Matching: the patterns match in every subfolder too, and the
    // subfolders stay (links are still never followed).
    FolderWalk& InSubfolders();
    // With Matching: as InSubfolders, and each subfolder that ends empty
    // goes, and so does the folder itself when it ends empty (unless it is
    // a link, which is never removed as the walk's folder).
    FolderWalk& RemovingEmptiedFolders();
    // Files that stay whatever else is asked, untouched and unnoted: those of
    // `folder` whose names match `pattern`; SparingBelow: those of `folder`
    // and of every folder below it, and those folders stay too. `folder` is
    // compared as written, case ignored.
    FolderWalk& SparingFiles(std::wstring folder, std::wstring pattern);
    FolderWalk& SparingBelow(std::wstring folder, std::wstring pattern);

    // Deletes every entry below `folder` (or has the visitor note it),
    // keeping the folder. 1 when the folder could be listed, else 0.
    int EmptyFolder(const std::wstring& folder) const;

    // The names of the files right in `folder` (not its folders) that begin
    // with `prefix` and end with `suffix`, ignoring case; for Only().
    static std::vector<std::wstring>
    FileNames(const std::wstring& folder, const std::wstring& prefix, const std::wstring& suffix);
    // The names of the folders right in `folder`, folder links among them
    // (never followed); for Only().
    static std::vector<std::wstring> FolderNames(const std::wstring& folder);

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
    std::vector<std::wstring> m_patterns;
    bool m_matching = false;
    bool m_inSubfolders = false;
    bool m_removeEmptied = false;
    std::vector<SparedFiles> m_spared;
};
