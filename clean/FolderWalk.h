// The depth-first walk behind Cleaner's folder operations, in wide characters
// so that no name is lost to the ANSI code page and no path to MAX_PATH.
#pragma once

#include <windows.h>

#include <string>

class FolderWalk {
public:
    FolderWalk(bool includeDesktopIni, bool wipeIndexFiles);

    // Deletes every entry below `folder`, keeping the folder. 1 when the
    // folder could be listed, else 0.
    int EmptyFolder(const std::wstring& folder) const;

    // Zeros folder\name from byte 64 to its end. 1 when the file could be
    // opened, else 0.
    static int WipeIndexFile(const std::wstring& folder, const std::wstring& name);

private:
    bool IsKept(const wchar_t* name) const;
    void RemoveEntry(const std::wstring& folder, const WIN32_FIND_DATAW& entry) const;
    static void ClearReadOnly(const std::wstring& path);
    static void RemoveFolderLink(const std::wstring& path);
    static bool IsSoleName(HANDLE file);

    bool m_includeDesktopIni;
    bool m_wipeIndexFiles;
};
