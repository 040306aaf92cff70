#include "clean/Walker.h"

#include "clean/EntryChecks.h"
#include "clean/IndexWipe.h"
#include "clean/WidePath.h"
#include "clean/Wildcard.h"
#include "platform/RelativeFile.h"
#include "platform/Seams.h"

#include <algorithm>

namespace walk {

namespace {

bool IsDotEntry(const std::wstring& name) {
    return name == CurrentFolder || name == ParentFolder;
}

// The entries of the folder open as `folder`, read whole before any of them
// is touched. False (with `error`) when it cannot be listed.
bool ListFolder(HANDLE folder, std::vector<BYTE>& buffer, std::vector<Listed>& entries,
                DWORD& error) {
    entries.clear();
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (platform::seam::GetFileInformationByHandleEx(folder, kind, buffer.data(),
                                                        DWORD(buffer.size()))) {
        kind = FileIdBothDirectoryInfo;
        for (size_t offset = 0;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(&buffer[offset]);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (!IsDotEntry(name))
                entries.push_back({std::move(name), info->FileAttributes,
                                   ULONGLONG(info->EndOfFile.QuadPart), info->FileId.QuadPart});
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
    }
    error = GetLastError();
    return error == ERROR_NO_MORE_FILES;
}

} // namespace

bool Walker::Walk(Frame frame, bool top) {
    if (!Start(std::move(frame), top))
        return false;
    while (!m_stack.empty()) {
        Frame& current = m_stack.back();
        if (current.next == current.entries.size()) {
            Frame done = std::move(current);
            m_stack.pop_back();
            const bool stays = done.keep || done.spared;
            if (stays && !m_stack.empty())
                m_stack.back().spared = true;
            m_sink.Leave(Left(done), stays, true);
            continue; // `done` closes here: a folder marked for deletion goes now
        }
        const Listed entry = current.entries[current.next++];
        Visit(current, entry);
    }
    return true;
}

// Lists the folder and puts it on the stack, or tells why it cannot be listed.
bool Walker::Start(Frame frame, bool top) {
    m_sink.Enter();
    DWORD error = 0;
    Scope(frame, top);
    if (!ListFolder(frame.handle.get(), m_buffer, frame.entries, error)) {
        m_sink.Problem(frame.path, error);
        m_sink.Leave(Left(frame), frame.keep, false);
        return false;
    }
    const size_t listed = frame.entries.size();
    frame.entries.erase(std::remove_if(frame.entries.begin(), frame.entries.end(),
                                       [&](const Listed& entry) {
                                           return !m_rules.InScope(frame.path, top, entry.name);
                                       }),
                        frame.entries.end());
    // An entry outside the walk stays, and so does the subfolder that holds it.
    if (!top && frame.entries.size() != listed)
        m_sink.Skip();
    if (FileHandlesMayReachLinkTargets())
        frame.resolveError = ResolvedPath(frame.handle.get(), frame.resolved);
    m_stack.push_back(std::move(frame));
    return true;
}

// What of the walk's rules holds in this folder: the files spared in it, and
// whether it stays. A folder below a SparingBelow folder stays.
void Walker::Scope(Frame& frame, bool top) const {
    if (!top && !m_rules.FoldersGo())
        frame.keep = true;
    for (const SparedFiles& spared : m_rules.spared) {
        const wildcard::Standing standing = wildcard::StandingOf(spared.folder, frame.path);
        const bool below = spared.below && (standing == wildcard::Standing::At ||
                                            standing == wildcard::Standing::Above);
        if (below || standing == wildcard::Standing::At)
            frame.sparedPatterns.push_back(spared.pattern);
        frame.keep = frame.keep || below;
    }
}

// Whether the entry is the walk's: a file that a pattern (if any) matches and
// that is not spared; a folder or folder link only where the walk goes below.
bool Walker::Takes(const Frame& frame, const Listed& entry) const {
    const auto matches = [&entry](const std::wstring& pattern) {
        return wildcard::Matches(entry.name, pattern);
    };
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return !m_rules.patterns ||
               (m_rules.inSubfolders && !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT));
    const std::vector<std::wstring>* patterns = m_rules.patterns;
    return (!patterns || std::any_of(patterns->begin(), patterns->end(), matches)) &&
           std::none_of(frame.sparedPatterns.begin(), frame.sparedPatterns.end(), matches);
}

FolderEntry Walker::Left(const Frame& frame) const {
    if (!m_rules.changes || frame.removeError != ERROR_SUCCESS)
        return {frame.path, INVALID_HANDLE_VALUE, 0, frame.removeError};
    return {frame.path, frame.handle.get(), 0, 0};
}

void Walker::Visit(Frame& frame, const Listed& entry) {
    const std::wstring path = WidePath::Join(frame.path, entry.name);
    if (!m_rules.includeDesktopIni && WidePath::NameIs(entry.name.c_str(), DesktopIni)) {
        m_sink.Keep({path, INVALID_HANDLE_VALUE, entry.size, 0}, CleanItemKind::KeptDesktopIni);
        return;
    }
    if (!Takes(frame, entry)) {
        frame.spared = true;
        return;
    }
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
        RemoveFile(frame, entry, path);
    else if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        RemoveFolderLink(frame, entry, path);
    else
        Descend(frame, entry, path);
}

// Whether the handle opened by the entry's name reached the entry itself.
// Otherwise nothing changes through it: a link the platform resolved stays
// and is noted so, and a file that cannot be told from a link's target is a
// problem, since under Wine deleting it might delete that target.
bool Walker::Verified(const Frame& frame, HANDLE file, const Listed& entry,
                      const std::wstring& path) {
    if (!FileHandlesMayReachLinkTargets())
        return true;
    DWORD error = frame.resolveError;
    const Identity identity =
        error != ERROR_SUCCESS ? Identity::Untold
                               : Identify(file, WidePath::Join(frame.resolved, entry.name), error);
    if (identity == Identity::Elsewhere)
        m_sink.Keep({path, INVALID_HANDLE_VALUE, entry.size, 0}, CleanItemKind::KeptLink);
    else if (identity == Identity::Untold)
        m_sink.Problem(path, error);
    return identity == Identity::Entry;
}

// A file is opened as itself and checked before anything changes: a link the
// platform resolves stays in place, since under Wine no call removes it
// without acting on its target. The index file is wiped through an open of
// its own, which does not share deletion, before the one that deletes.
void Walker::RemoveFile(Frame& frame, const Listed& entry, const std::wstring& path) {
    if (m_rules.wipeIndexFiles && WidePath::NameIs(entry.name.c_str(), IndexFile) &&
        !WipeIndexFile(frame, entry, path))
        return;
    const bool readOnly = entry.attributes & FILE_ATTRIBUTE_READONLY;
    // A walk that changes nothing needs a handle only for the checks.
    if (!m_rules.changes && !FileHandlesMayReachLinkTargets() && !readOnly) {
        m_sink.RemoveFile({path, INVALID_HANDLE_VALUE, entry.size, 0});
        return;
    }
    platform::UniqueFile file;
    FolderEntry removal = {path, INVALID_HANDLE_VALUE, entry.size, 0};
    const DWORD error = OpenForRemoval(frame, entry, file, removal);
    if (error != ERROR_SUCCESS) {
        // It cannot be deleted as it is; it is still made writable, as every entry is.
        if (m_rules.changes && MakeWritable(frame, entry, path) != Writability::Elsewhere)
            m_sink.RemoveFile({path, INVALID_HANDLE_VALUE, entry.size, error});
        else if (!m_rules.changes)
            m_sink.Problem(path, error);
        return;
    }
    if (!Verified(frame, file.get(), entry, path) ||
        (readOnly && !PrepareReadOnly(file.get(), entry, removal)))
        return;
    if (m_rules.changes)
        removal.handle = file.get();
    m_sink.RemoveFile(removal);
}

// Opens the file for its deletion, or for the checks of a walk that changes
// nothing. The first open for the deletion shares nothing; only where another
// program holds the file is it opened again, sharing all, which succeeds when
// that program shares the deletion (noted in `removal`).
DWORD Walker::OpenForRemoval(Frame& frame, const Listed& entry, platform::UniqueFile& file,
                             FolderEntry& removal) {
    HANDLE folder = frame.handle.get();
    if (!m_rules.changes)
        return platform::OpenInFolder(folder, entry.name, LookAccess, ShareAll, FileOptions, file);
    const DWORD error =
        platform::OpenInFolder(folder, entry.name, DeleteAccess, NoSharing, FileOptions, file);
    if (error != ERROR_SHARING_VIOLATION)
        return error;
    removal.heldByOthers = platform::OpenInFolder(folder, entry.name, DeleteAccess, ShareAll,
                                                  FileOptions, file) == ERROR_SUCCESS;
    return removal.heldByOthers ? ERROR_SUCCESS : error;
}

// A read-only file loses the bit before its deletion. The bit is the file's,
// not the name's: a file with other names keeps it, and goes only where the
// platform's deletion can leave it alone; elsewhere it stays (noted), and
// false says so.
bool Walker::PrepareReadOnly(HANDLE file, const Listed& entry, FolderEntry& removal) {
    if (!HasOtherNames(file)) {
        if (m_rules.changes)
            m_sink.ClearReadOnly({removal.path, file, entry.size, 0}, entry.attributes);
        return true;
    }
    removal.keepsReadOnly = DeletionCanKeepReadOnly();
    if (!removal.keepsReadOnly)
        m_sink.Keep({removal.path, INVALID_HANDLE_VALUE, entry.size, 0},
                    CleanItemKind::KeptHardLink);
    return removal.keepsReadOnly;
}

// Clears the listed read-only bit through a handle that may only change
// attributes, unless the file has other names.
Writability Walker::MakeWritable(Frame& frame, const Listed& entry, const std::wstring& path) {
    if (!(entry.attributes & FILE_ATTRIBUTE_READONLY) || !m_rules.changes)
        return Writability::Writable;
    platform::UniqueFile file;
    if (platform::OpenInFolder(frame.handle.get(), entry.name, AttributeAccess, ShareAll,
                               FileOptions, file) != ERROR_SUCCESS)
        return Writability::Writable;
    if (!Verified(frame, file.get(), entry, path))
        return Writability::Elsewhere;
    if (HasOtherNames(file.get()))
        return Writability::SharedReadOnly;
    m_sink.ClearReadOnly({path, file.get(), entry.size, 0}, entry.attributes);
    return Writability::Writable;
}

// False when the file stays (and was noted so); true when its deletion is to
// be tried, wiped or not.
bool Walker::WipeIndexFile(Frame& frame, const Listed& entry, const std::wstring& path) {
    const Writability writable = MakeWritable(frame, entry, path);
    // Data with other names is never zeroed, nor can a read-only file be opened to be.
    if (writable != Writability::Writable)
        return writable == Writability::SharedReadOnly;
    platform::UniqueFile file;
    const DWORD error = platform::OpenInFolder(
        frame.handle.get(), entry.name, m_rules.changes ? WipeAccess : LookAccess,
        m_rules.changes ? IndexFileSharing : ShareAll, FileOptions, file);
    if (error != ERROR_SUCCESS) {
        // Not wiped; its deletion is still tried.
        if (m_rules.changes)
            m_sink.Wipe({path, INVALID_HANDLE_VALUE, 0, error});
        return true;
    }
    if (!Verified(frame, file.get(), entry, path))
        return false;
    const ULONGLONG bytes = BytesToZero(file.get());
    if (bytes != 0)
        m_sink.Wipe({path, m_rules.changes ? file.get() : INVALID_HANDLE_VALUE, bytes, 0});
    return true;
}

// A junction, folder symbolic link or mount point is never walked into: what
// it points to is not ours to empty. It is removed through a handle on the
// link itself; where the platform resolves it even so (Wine, for a Unix
// link, whose removal would then remove an empty target), it stays.
void Walker::RemoveFolderLink(Frame& frame, const Listed& entry, const std::wstring& path) {
    platform::UniqueFile link;
    const DWORD error = platform::OpenInFolder(frame.handle.get(), entry.name,
                                               m_rules.changes ? DeleteAccess : LookAccess,
                                               ShareAll, LinkOptions, link);
    if (error != ERROR_SUCCESS) {
        if (m_rules.changes)
            m_sink.RemoveFolderLink({path, INVALID_HANDLE_VALUE, 0, error});
        else
            m_sink.Problem(path, error);
        return;
    }
    platform::EntryIdentity info;
    if (platform::QueryIdentity(link.get(), info) != ERROR_SUCCESS ||
        !(info.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        m_sink.Keep({path, INVALID_HANDLE_VALUE, 0, 0}, CleanItemKind::KeptLink);
        return;
    }
    if (m_rules.changes && (info.attributes & FILE_ATTRIBUTE_READONLY))
        m_sink.ClearReadOnly({path, link.get(), 0, 0}, info.attributes);
    m_sink.RemoveFolderLink({path, m_rules.changes ? link.get() : INVALID_HANDLE_VALUE, 0, 0});
}

void Walker::Descend(Frame& frame, const Listed& entry, const std::wstring& path) {
    Frame child;
    if (OpenFolder(frame, entry, path, child) && !Fork(child))
        Start(std::move(child), false);
}

// Opens the listed subfolder relative to its parent and checks that it is
// the folder that was listed. On a link it removes the link instead, and on
// another folder (a link the platform resolved) it leaves it alone.
bool Walker::OpenFolder(Frame& parent, const Listed& entry, const std::wstring& path,
                        Frame& child) {
    const ACCESS_MASK access =
        m_rules.changes && m_rules.FoldersGo() ? ListAccess | DeleteAccess : ListAccess;
    DWORD error = platform::OpenInFolder(parent.handle.get(), entry.name, access, ShareAll,
                                         FolderOptions, child.handle);
    // Held open by a program that does not share its deletion: it is still
    // emptied, and stays.
    if (error != ERROR_SUCCESS && access != ListAccess) {
        child.removeError = error;
        error = platform::OpenInFolder(parent.handle.get(), entry.name, ListAccess, ShareAll,
                                       FolderOptions, child.handle);
    }
    platform::EntryIdentity info;
    if (error == ERROR_SUCCESS)
        error = platform::QueryIdentity(child.handle.get(), info);
    if (error != ERROR_SUCCESS) {
        m_sink.Problem(path, error);
        return false;
    }
    child.path = path;
    if (info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        m_sink.RemoveFolderLink(Left(child));
        return false;
    }
    if (entry.id != 0 && info.id != entry.id) {
        m_sink.Keep({path, INVALID_HANDLE_VALUE, 0, 0}, CleanItemKind::KeptLink);
        return false;
    }
    if ((info.attributes & FILE_ATTRIBUTE_READONLY) && m_rules.changes)
        m_sink.ClearReadOnly({path, child.handle.get(), 0, 0}, info.attributes);
    return true;
}

platform::UniqueFile OpenTopFolder(const std::wstring& folder, DWORD& error, ACCESS_MASK access) {
    platform::UniqueFile handle(CreateFileW(WidePath::ForApi(folder).c_str(), access | SYNCHRONIZE,
                                            ShareAll, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    error = handle ? ERROR_SUCCESS : GetLastError();
    return handle;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY;
}

} // namespace walk
