#include "clean/FolderWalk.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "platform/Seams.h"

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
// Enough to tell what a handle reached and to clear its read-only bit; it
// never collides with the sharing mode of another open.
const DWORD AttributeAccess = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
const DWORD ResolvedForm = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;

// What a handle opened by an entry's path turned out to be.
enum class Identity { Entry, Elsewhere, Unknown };

bool SameFile(HANDLE first, HANDLE second) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    if (!GetFileInformationByHandle(first, &a) || !GetFileInformationByHandle(second, &b))
        return true; // unknown: assume the worst
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// The path the platform reports for `folder`, links in it resolved, as
// "\\?\C:\dir" (a drive's root loses its trailing backslash, so that entry
// names join it alike). Empty when it cannot be told.
std::wstring ResolvedFolder(const std::wstring& folder) {
    platform::UniqueFile handle(CreateFileW(WidePath::ForApi(folder).c_str(), FILE_READ_ATTRIBUTES,
                                            ShareAll, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return std::wstring();
    const DWORD needed =
        platform::seam::GetFinalPathNameByHandleW(handle.get(), nullptr, 0, ResolvedForm);
    if (needed == 0)
        return std::wstring();
    std::wstring resolved(needed, L'\0');
    const DWORD length =
        platform::seam::GetFinalPathNameByHandleW(handle.get(), &resolved[0], needed, ResolvedForm);
    if (length == 0 || length >= needed)
        return std::wstring();
    resolved.resize(length);
    if (resolved.back() == L'\\')
        resolved.pop_back();
    return resolved;
}

std::wstring ResolvedName(const std::wstring& resolvedFolder, const std::wstring& name) {
    return resolvedFolder.empty() ? std::wstring() : WidePath::Join(resolvedFolder, name);
}

// Wine shows a Unix symbolic link to a file as a plain file (no reparse
// attribute, its target's link count), and every open of it, FILE_FLAG_OPEN_REPARSE_POINT
// included, reaches the target: DeleteFileW deletes the target and leaves
// the link dangling, and writes land in the target. Only the path reported
// for the open handle (the target's) tells such a link from the entry. On
// Windows a handle opened on a link is the link, and reports the entry's path.
Identity Identify(HANDLE file, const std::wstring& resolved) {
    if (file == INVALID_HANDLE_VALUE || resolved.empty())
        return Identity::Unknown;
    std::wstring reported(resolved.size() + 1, L'\0');
    const DWORD length = platform::seam::GetFinalPathNameByHandleW(
        file, &reported[0], DWORD(reported.size()), ResolvedForm);
    if (length == 0)
        return Identity::Unknown;
    // A longer path does not fit, and `length` is then the size it needs.
    if (length != resolved.size())
        return Identity::Elsewhere;
    const bool same = CompareStringOrdinal(reported.c_str(), int(length), resolved.c_str(),
                                           int(length), TRUE) == CSTR_EQUAL;
    return same ? Identity::Entry : Identity::Elsewhere;
}

// The attributes are read by path, a plain stat under Wine (through a handle
// they would cost a round trip to fetch its Unix descriptor), and written
// through `file` when there is one: the handle that was checked.
void ClearReadOnly(const std::wstring& path, HANDLE file = INVALID_HANDLE_VALUE) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return;
    const DWORD cleared = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (file == INVALID_HANDLE_VALUE) {
        SetFileAttributesW(path.c_str(), cleared);
        return;
    }
    FILE_BASIC_INFO change = {}; // times of zero stay as they are
    // Attributes of zero would also mean "unchanged".
    change.FileAttributes = cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &change, sizeof change);
}

HANDLE OpenFileEntry(const std::wstring& path, DWORD access) {
    return CreateFileW(path.c_str(), access, ShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Opens a file entry for `access` or, when it is held open without shared
// deletion, for its attributes alone, and clears its read-only bit. False
// when the handle reached another file: a link the platform resolves, which
// stays in place, since under Wine no Win32 call removes it without acting
// on its target. A file whose handle cannot be told is made writable and
// deleted as any other.
bool OpenChecked(const std::wstring& path, const std::wstring& resolved, bool isLink, DWORD access,
                 platform::UniqueFile& handle, FolderVisitor& visitor) {
    handle.reset(OpenFileEntry(path, access));
    if (!handle)
        handle.reset(OpenFileEntry(path, AttributeAccess));
    const Identity identity = Identify(handle.get(), resolved);
    if (identity == Identity::Elsewhere)
        return false;
    // A link's attributes may be those of its target: only a handle known to
    // be on the link itself changes them.
    if (!isLink || identity == Identity::Entry)
        visitor.ClearReadOnly(path, handle.get());
    return true;
}

bool MakeWritable(const std::wstring& path, const std::wstring& resolved, bool isLink,
                  FolderVisitor& visitor) {
    platform::UniqueFile handle;
    return OpenChecked(path, resolved, isLink, AttributeAccess, handle, visitor);
}

// Deleting through the handle that was checked acts on the file that was
// checked, and needs no second open. A link to another file stays.
bool DeleteChecked(const std::wstring& path, const std::wstring& resolved, bool isLink,
                   ULONGLONG bytes, FolderVisitor& visitor) {
    platform::UniqueFile handle;
    if (!OpenChecked(path, resolved, isLink, visitor.EntryAccess(), handle, visitor)) {
        visitor.Keep(path, CleanItemKind::KeptLink, bytes);
        return false;
    }
    return visitor.RemoveFile(path, handle.get(), bytes);
}

// Only the entry's own data is zeroed: a file with other names (hard links)
// may be someone else's data, and so is the target of a link. Only what is
// known counts against the file. Where the platform tells nothing (a network
// redirector or a volume without a drive letter may resolve no path, or
// answer no query of the volume), the open vouches for it: on Windows a
// handle opened with FILE_FLAG_OPEN_REPARSE_POINT is the entry itself.
bool HoldsOwnData(HANDLE file, const std::wstring& resolved) {
    FILE_BASIC_INFO basic;
    if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    FILE_STANDARD_INFO standard;
    if (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
        standard.NumberOfLinks > 1)
        return false;
    return Identify(file, resolved) != Identity::Elsewhere;
}

// Whether wiping the file open as `file`, of `size` bytes, zeros anything.
bool IsWipeable(HANDLE file, DWORD size, const std::wstring& resolved) {
    return size != INVALID_FILE_SIZE && size > KeptHeaderSize && HoldsOwnData(file, resolved);
}

// `resolved` is the path a handle on the file itself reports. `zeroed`, when
// given, receives the number of bytes zeroed.
int Wipe(const std::wstring& path, const std::wstring& resolved, DWORD* zeroed = nullptr) {
    const char zeros[ZeroBlockSize] = {};
    // Reading the attributes needs their own right, which GENERIC_WRITE lacks.
    platform::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, IndexFileSharing, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return 0;
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (!IsWipeable(file.get(), size, resolved))
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
    if (zeroed)
        *zeroed = size - KeptHeaderSize;
    return 1;
}

// Whether a handle opened on a folder link may have reached its target: where
// the platform resolves the link even when asked for the link itself, both
// opens name the same file. A link whose target is missing protects nothing.
bool MayBeTarget(const std::wstring& path, HANDLE link) {
    platform::UniqueFile target(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target) {
        const DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    return SameFile(link, target.get());
}

// A junction, folder symbolic link or mount point is never walked into: what
// it points to is not ours to empty. The link itself is made writable and
// removed through a handle opened on the link, unless that handle may be the
// target (Wine resolves a Unix symbolic link so, and its RemoveDirectoryW
// then removes an empty target): the link then stays rather than risk it.
bool RemoveFolderLink(const std::wstring& path, FolderVisitor& visitor) {
    platform::UniqueFile link(
        CreateFileW(path.c_str(), visitor.EntryAccess(), ShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!link)
        return false;
    if (MayBeTarget(path, link.get())) {
        visitor.Keep(path, CleanItemKind::KeptLink, 0);
        return false;
    }
    visitor.ClearReadOnly(path, link.get());
    return visitor.RemoveFolderLink(path, link.get());
}

ULONGLONG SizeOf(const WIN32_FIND_DATAW& entry) {
    return (ULONGLONG(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

bool IsDotEntry(const wchar_t* name) {
    return wcscmp(name, CurrentFolder) == 0 || wcscmp(name, ParentFolder) == 0;
}

} // namespace

FolderWalk::FolderWalk(bool includeDesktopIni, bool wipeIndexFiles, FolderVisitor& visitor)
    : m_includeDesktopIni(includeDesktopIni), m_wipeIndexFiles(wipeIndexFiles), m_visitor(visitor) {
}

int FolderWalk::EmptyFolder(const std::wstring& folder) const {
    return Empty(folder) == FolderState::NotListed ? 0 : 1;
}

FolderState FolderWalk::Empty(const std::wstring& folder) const {
    // An empty folder path would list the root of the current drive.
    if (folder.empty())
        return FolderState::NotListed;
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(
        FindFirstFileW(WidePath::ForApi(folder + SearchPattern).c_str(), &entry));
    if (!find)
        return FolderState::NotListed;
    const std::wstring resolvedFolder = ResolvedFolder(folder);
    bool allGone = true;
    const size_t firstFork = m_visitor.Forked();
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        if (IsKept(entry.cFileName)) {
            m_visitor.Keep(WidePath::Join(folder, entry.cFileName), CleanItemKind::KeptDesktopIni,
                           SizeOf(entry));
            allGone = false;
            continue;
        }
        if (!Fork(folder, resolvedFolder, entry))
            allGone &= RemoveEntry(folder, resolvedFolder, entry);
    } while (FindNextFileW(find.get(), &entry));
    allGone &= m_visitor.Join(firstFork);
    return allGone ? FolderState::Emptied : FolderState::PartlyEmptied;
}

// Only a visitor that changes nothing forks: a clean keeps the walk's order.
bool FolderWalk::Fork(const std::wstring& folder, const std::wstring& resolvedFolder,
                      const WIN32_FIND_DATAW& entry) const {
    const DWORD listed = entry.dwFileAttributes;
    if (!(listed & FILE_ATTRIBUTE_DIRECTORY) || (listed & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !m_visitor.CanFork())
        return false;
    return m_visitor.Fork(*this, folder, resolvedFolder, entry);
}

bool FolderWalk::WalkSubfolder(FolderVisitor& visitor, const std::wstring& folder,
                               const std::wstring& resolvedFolder,
                               const WIN32_FIND_DATAW& entry) const {
    return FolderWalk(m_includeDesktopIni, m_wipeIndexFiles, visitor)
        .RemoveEntry(folder, resolvedFolder, entry);
}

bool FolderWalk::IsKept(const wchar_t* name) const {
    return !m_includeDesktopIni && WidePath::NameIs(name, DesktopIni);
}

// Folders go depth first: emptied, then removed, before the listing of their
// parent goes on. The attributes from the listing decide, as they were before
// the read-only bit was cleared.
bool FolderWalk::RemoveEntry(const std::wstring& folder, const std::wstring& resolvedFolder,
                             const WIN32_FIND_DATAW& entry) const {
    const std::wstring path = WidePath::Join(folder, entry.cFileName);
    const std::wstring apiPath = WidePath::ForApi(path);
    const DWORD listed = entry.dwFileAttributes;
    if (!(listed & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveFile(apiPath, ResolvedName(resolvedFolder, entry.cFileName), entry);
    if (listed & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveFolderLink(apiPath, m_visitor);
    m_visitor.ClearReadOnly(apiPath, INVALID_HANDLE_VALUE);
    const FolderState contents = Empty(path);
    return m_visitor.RemoveFolder(apiPath, contents);
}

// Every step opens the file afresh and checks what it reached. The wipe's
// open does not share deletion, so the file is made writable and wiped
// before the handle that deletes it is opened.
bool FolderWalk::RemoveFile(const std::wstring& path, const std::wstring& resolved,
                            const WIN32_FIND_DATAW& entry) const {
    const bool isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (m_wipeIndexFiles && WidePath::NameIs(entry.cFileName, IndexFile)) {
        if (!MakeWritable(path, resolved, isLink, m_visitor)) {
            m_visitor.Keep(path, CleanItemKind::KeptLink, SizeOf(entry));
            return false;
        }
        m_visitor.WipeIndexFile(path, resolved);
    }
    return DeleteChecked(path, resolved, isLink, SizeOf(entry), m_visitor);
}

DWORD FolderWalk::WipeEntry(const std::wstring& path, const std::wstring& resolved) {
    DWORD zeroed = 0;
    Wipe(path, resolved, &zeroed);
    return zeroed;
}

DWORD FolderWalk::BytesToWipe(const std::wstring& path, const std::wstring& resolved) {
    platform::UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return 0;
    const DWORD size = GetFileSize(file.get(), nullptr);
    return IsWipeable(file.get(), size, resolved) ? size - KeptHeaderSize : 0;
}

int FolderWalk::WipeIndexFile(const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = WidePath::ForApi(WidePath::Join(folder, name));
    return Wipe(path, ResolvedName(ResolvedFolder(folder), name));
}

// ---- the deleting visitor ----

DWORD FolderCleaning::EntryAccess() const {
    return DELETE | AttributeAccess;
}

void FolderCleaning::ClearReadOnly(const std::wstring& path, HANDLE file) {
    ::ClearReadOnly(path, file);
}

void FolderCleaning::WipeIndexFile(const std::wstring& path, const std::wstring& resolved) {
    Wipe(path, resolved);
}

// Without a handle that may delete, the path is tried: it fails as the open
// did when the file is held open without shared deletion.
bool FolderCleaning::RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return (file != INVALID_HANDLE_VALUE &&
            SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                       sizeof disposition)) ||
           DeleteFileW(path.c_str());
}

bool FolderCleaning::RemoveFolderLink(const std::wstring&, HANDLE link) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(link, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

bool FolderCleaning::RemoveFolder(const std::wstring& path, FolderState) {
    return RemoveDirectoryW(path.c_str()) != FALSE;
}
