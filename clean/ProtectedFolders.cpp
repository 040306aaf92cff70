#include "clean/ProtectedFolders.h"

#include "clean/WidePath.h"
#include "clean/Wildcard.h"
#include "platform/KnownFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace {

const GUID* const Protected[] = {
    &FOLDERID_Profile,        &FOLDERID_UserProfiles,    &FOLDERID_Public,
    &FOLDERID_ProgramData,    &FOLDERID_Windows,         &FOLDERID_System,
    &FOLDERID_ProgramFiles,   &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64,
    &FOLDERID_Desktop,        &FOLDERID_Documents,       &FOLDERID_Downloads,
    &FOLDERID_Pictures,       &FOLDERID_Music,           &FOLDERID_Videos,
    &FOLDERID_RoamingAppData, &FOLDERID_LocalAppData,    &FOLDERID_LocalAppDataLow,
    &FOLDERID_SkyDrive,
};
const size_t ShareRootParts = 2;

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Whether `folder` is `known` or lies above it; both resolved, no trailing backslash.
bool IsOrHolds(const std::wstring& folder, const std::wstring& known) {
    return SamePath(folder, known) ||
           (known.size() > folder.size() && known[folder.size()] == L'\\' &&
            SamePath(folder, known.substr(0, folder.size())));
}

// "\\server\share" or "\\?\UNC\server\share", without a trailing backslash:
// a share's root, which no volume call may know of.
bool IsShareRoot(const std::wstring& path) {
    size_t server = 0;
    if (WidePath::StartsWith(path, WidePath::kExtendedUncPrefix))
        server = wcslen(WidePath::kExtendedUncPrefix);
    else if (!WidePath::StartsWith(path, WidePath::kExtendedPrefix) &&
             WidePath::StartsWith(path, WidePath::kUncStart))
        server = wcslen(WidePath::kUncStart);
    const size_t share = server ? path.find(L'\\', server) : std::wstring::npos;
    return share != std::wstring::npos && path.find(L'\\', share + 1) == std::wstring::npos;
}

// Whether `path` is the root of its volume or of a share.
bool IsRoot(const std::wstring& path) {
    const std::wstring trimmed = WithoutTrailingBackslash(path);
    std::wstring volume(path.size() + 2, L'\0');
    return IsShareRoot(trimmed) ||
           (GetVolumePathNameW(path.c_str(), &volume[0], DWORD(volume.size())) &&
            SamePath(trimmed, WithoutTrailingBackslash(volume.c_str())));
}

} // namespace

ProtectedFolders::ProtectedFolders() {
    for (const GUID* id : Protected) {
        std::wstring path = platform::KnownFolderPath(*id);
        if (path.empty())
            continue;
        m_folded.emplace_back(path);
        m_paths.push_back(std::move(path));
    }
}

// A known folder that is missing here cannot be reached through `folder`.
ProtectedReach ProtectedFolders::Reached(const std::wstring& folder,
                                         const std::wstring& final) const {
    ProtectedReach reach;
    if (IsRoot(folder) || IsRoot(final)) {
        reach.root = true;
        return reach;
    }
    if (m_finals.empty()) {
        for (const std::wstring& path : m_paths) {
            std::wstring resolved;
            platform::FinalFolderPath(path, resolved);
            m_finals.push_back(WithoutTrailingBackslash(resolved));
        }
    }
    for (size_t i = 0; i < m_paths.size(); ++i) {
        if (!m_finals[i].empty() && IsOrHolds(WithoutTrailingBackslash(final), m_finals[i])) {
            reach.known = m_paths[i];
            break;
        }
    }
    return reach;
}

// A share's root has two parts, "server" and "share"; a drive's one, "C:".
ProtectedReach ProtectedFolders::MayReach(const wildcard::FoldedPath& pattern) const {
    ProtectedReach reach;
    const bool share =
        !pattern.parts.empty() && pattern.PartAt(0).find(L':') == std::wstring_view::npos;
    reach.root = pattern.parts.size() <= (share ? ShareRootParts : 1);
    for (size_t i = 0; i < m_folded.size() && reach.known.empty(); ++i) {
        const wildcard::Standing standing = wildcard::StandingOf(pattern, m_folded[i]);
        if (standing == wildcard::Standing::At || standing == wildcard::Standing::Above)
            reach.known = m_paths[i];
    }
    return reach;
}
