#include "clean/FolderWalk.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <cwchar>

namespace {

const wchar_t SearchPattern[] = L"\\*.*";
const wchar_t CurrentFolder[] = L".";
const wchar_t ParentFolder[] = L"..";
const wchar_t DesktopIni[] = L"desktop.ini";
const wchar_t IndexFile[] = L"index.dat";

// An index file keeps its header; everything after it becomes zero.
const DWORD KeptHeaderSize = 64;
const DWORD ZeroBlockSize = 10000;

const DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Others may go on reading and writing an index file while it is wiped.
const DWORD IndexFileSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool SameFile(HANDLE first, HANDLE second) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    if (!GetFileInformationByHandle(first, &a) || !GetFileInformationByHandle(second, &b))
        return true; // unknown: assume the worst
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace

FolderWalk::FolderWalk(bool includeDesktopIni, bool wipeIndexFiles)
    : m_includeDesktopIni(includeDesktopIni), m_wipeIndexFiles(wipeIndexFiles) {}

int FolderWalk::EmptyFolder(const std::wstring& folder) const {
    // An empty folder path would list the root of the current drive.
    if (folder.empty())
        return 0;
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(
        FindFirstFileW(WidePath::ForApi(folder + SearchPattern).c_str(), &entry));
    if (!find)
        return 0;
    do {
        if (!IsKept(entry.cFileName))
            RemoveEntry(folder, entry);
    } while (FindNextFileW(find.get(), &entry));
    return 1;
}

bool FolderWalk::IsKept(const wchar_t* name) const {
    if (wcscmp(name, CurrentFolder) == 0 || wcscmp(name, ParentFolder) == 0)
        return true;
    return !m_includeDesktopIni && WidePath::NameIs(name, DesktopIni);
}

// Folders go depth first: emptied, then removed, before the listing of their
// parent goes on. The attributes from the listing decide, as they were before
// the read-only bit was cleared.
void FolderWalk::RemoveEntry(const std::wstring& folder, const WIN32_FIND_DATAW& entry) const {
    const std::wstring path = WidePath::Join(folder, entry.cFileName);
    const std::wstring apiPath = WidePath::ForApi(path);
    const DWORD listed = entry.dwFileAttributes;
    const bool isLink = (listed & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // A link's attributes may be those of its target: leave them alone.
    if (!isLink)
        ClearReadOnly(apiPath);
    if (listed & FILE_ATTRIBUTE_DIRECTORY) {
        if (isLink) {
            RemoveFolderLink(apiPath);
            return;
        }
        EmptyFolder(path);
        RemoveDirectoryW(apiPath.c_str());
        return;
    }
    if (m_wipeIndexFiles && WidePath::NameIs(entry.cFileName, IndexFile))
        WipeIndexFile(folder, entry.cFileName);
    DeleteFileW(apiPath.c_str());
}

void FolderWalk::ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// A junction, folder symbolic link or mount point is never walked into: what
// it points to is not ours to empty. The link itself goes through a handle
// opened on the link. Where the platform resolves the link even when asked
// for the link itself (Wine does so for a Unix symbolic link, and its
// RemoveDirectoryW then removes an empty target), both opens name the same
// file, and the link stays rather than risk the target.
void FolderWalk::RemoveFolderLink(const std::wstring& path) {
    platform::UniqueFile link(
        CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!link)
        return;
    platform::UniqueFile target(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target || SameFile(link.get(), target.get()))
        return;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition, sizeof disposition);
}

// The zeros go to the file's own data only: a file reached through a link or
// one with other names (hard links) may be someone else's data, so it is
// left as it is; its deletion by the walk removes only this name.
int FolderWalk::WipeIndexFile(const std::wstring& folder, const std::wstring& name) {
    const char zeros[ZeroBlockSize] = {};
    const std::wstring path = WidePath::ForApi(WidePath::Join(folder, name));
    platform::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, IndexFileSharing, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return 0;
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size <= KeptHeaderSize || !IsSoleName(file.get()))
        return 1;
    SetFilePointer(file.get(), KeptHeaderSize, nullptr, FILE_BEGIN);
    DWORD written = 0;
    DWORD remainder = size - KeptHeaderSize;
    // A failed or short write does not stop the wipe.
    while (remainder > ZeroBlockSize) {
        WriteFile(file.get(), zeros, ZeroBlockSize, &written, nullptr);
        remainder -= ZeroBlockSize;
    }
    WriteFile(file.get(), zeros, remainder, &written, nullptr);
    return 1;
}

// When this cannot be told, the file counts as shared.
bool FolderWalk::IsSoleName(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information))
        return false;
    return information.nNumberOfLinks <= 1 &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}
