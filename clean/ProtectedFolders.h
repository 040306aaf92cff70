// The folders no broad deletion may reach: the root of a drive or a share,
// and the folders of the system and of the profile (Windows, Program Files,
// ProgramData, the profile and its Desktop, Documents, AppData...), together
// with every folder above one of them. The temporary folder's clean and the
// cleaning definitions refuse them alike.
#pragma once

#include "clean/Wildcard.h"

#include <string>
#include <vector>

// What a folder would reach; nothing when neither is set.
struct ProtectedReach {
    bool root = false;
    // The protected folder it is or holds, as the platform names it.
    std::wstring known;

    bool Any() const { return root || !known.empty(); }
};

class ProtectedFolders {
public:
    // Reads where the known folders are; those missing here are left out.
    ProtectedFolders();

    // What emptying the existing `folder`, which resolves to `final`
    // (platform::FinalFolderPath), would reach. Folders are compared as the
    // platform resolves them, so no short name, "\\?\" prefix, junction or
    // link hides one; a root is found by the volume it starts.
    ProtectedReach Reached(const std::wstring& folder, const std::wstring& final) const;

    // The same for a folder as written, before it exists or is resolved:
    // `pattern` may hold wildcards ('*', '?') in its parts, and reaches a
    // protected folder when some folder it can name is one or lies above one.
    ProtectedReach MayReach(const wildcard::FoldedPath& pattern) const;

private:
    std::vector<std::wstring> m_paths;
    std::vector<wildcard::FoldedPath> m_folded;
    // m_paths resolved, on the first need (empty where a path does not resolve).
    mutable std::vector<std::wstring> m_finals;
};
