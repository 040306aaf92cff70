#include "clean/FolderWalk.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "platform/RelativeFile.h"
#include "platform/Seams.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <iterator>
#include <new>
#include <memory>
#include <vector>

namespace {

const wchar_t CurrentFolder[] = L".";
const wchar_t ParentFolder[] = L"..";
const wchar_t DesktopIni[] = L"desktop.ini";
const wchar_t IndexFile[] = L"index.dat";

// An index file keeps its header; everything after it becomes zero.
const ULONGLONG KeptHeaderSize = 64;
const DWORD ZeroBlockSize = 10000;

const ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A file is first opened for its deletion sharing nothing, so that the open
// fails while another program holds it (the common path opens once).
const ULONG NoSharing = 0;
// Others may go on reading and writing an index file while it is wiped.
const ULONG IndexFileSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Enough to tell what a handle reached; it never collides with the sharing
// mode of another open.
const ACCESS_MASK LookAccess = FILE_READ_ATTRIBUTES;
// What a change needs besides: the read-only bit, and the deletion.
const ACCESS_MASK AttributeAccess = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
const ACCESS_MASK DeleteAccess = DELETE | AttributeAccess;
const ACCESS_MASK WipeAccess = GENERIC_WRITE | FILE_READ_ATTRIBUTES;
const ACCESS_MASK ListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
// Entries are opened as themselves, never through a link.
const ULONG FileOptions = FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;
const ULONG FolderOptions =
    FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT;
const ULONG LinkOptions = FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT;
// Windows 10 1809 and later can delete a file without clearing its read-only bit.
const DWORD IgnoreReadOnlyBuild = 17763;
// A folder's path is read at this length first; a longer one is asked for again.
const size_t FolderPathGuess = MAX_PATH;

// One listing holds this many bytes of entries at a time.
const size_t ListingBufferSize = 64 * 1024;
// A walk that changes nothing walks subfolders on one more thread than the
// caller's, for the two processors this runs on: under Wine every open is a
// round trip to one server, where more threads only queue.
const int ExtraThreads = 1;

// What a handle opened by an entry's name turned out to be: the entry itself,
// another file (a link the platform resolved), or what cannot be told.
enum class Identity { Entry, Elsewhere, Untold };

// What became of a listed read-only bit before a change: cleared (or never
// set), kept because the file has other names that share it, or left because
// the handle reached another file (noted so).
enum class Writability { Writable, SharedReadOnly, Elsewhere };

struct Listed {
    std::wstring name;
    DWORD attributes;
    ULONGLONG size;
    LONGLONG id;
};

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

// The path the platform keeps for an open folder, without a trailing
// backslash. Answers the Win32 error, 0 when read.
DWORD ResolvedPath(HANDLE folder, std::wstring& resolved) {
    const DWORD error = platform::OpenedPath(folder, FolderPathGuess, resolved);
    if (error == ERROR_SUCCESS && resolved.back() == L'\\')
        resolved.pop_back();
    return error;
}

// Under Wine every open of a Unix symbolic link to a file reaches the target,
// FILE_OPEN_REPARSE_POINT included, and the link lists as a plain file: only
// the path Wine keeps for the handle (the target's) tells it from the entry.
// `expected` is the entry's path below its folder's path, as read by
// ResolvedPath; Untold sets `error`.
Identity Identify(HANDLE file, const std::wstring& expected, DWORD& error) {
    if (!FileHandlesMayReachLinkTargets())
        return Identity::Entry;
    std::wstring reported;
    error = platform::OpenedPath(file, expected.size(), reported);
    if (error != ERROR_SUCCESS)
        return Identity::Untold;
    const bool same = CompareStringOrdinal(reported.c_str(), int(reported.size()), expected.c_str(),
                                           int(expected.size()), TRUE) == CSTR_EQUAL;
    return same ? Identity::Entry : Identity::Elsewhere;
}

// Only the entry's own data is zeroed: a file with other names (hard links)
// may be someone else's data, and so is the target of a link.
bool HoldsOwnData(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return true; // the open vouches for it where the platform tells nothing
    return !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && info.nNumberOfLinks <= 1;
}

// Whether the open file has names besides this one, which share its
// attributes. Where the platform does not say, it is taken to have them.
bool HasOtherNames(HANDLE file) {
    FILE_STANDARD_INFO info;
    if (!platform::seam::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info))
        return true;
    return info.NumberOfLinks > 1;
}

// Whether a file's deletion can leave its read-only bit alone
// (FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE). ntdll answers the version
// as it is, whatever compatibility the program is run in.
bool DeletionCanKeepReadOnly() {
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!NT_SUCCESS(platform::seam::RtlGetVersion(&version)))
        return false;
    return version.dwMajorVersion > 10 ||
           (version.dwMajorVersion == 10 && version.dwBuildNumber >= IgnoreReadOnlyBuild);
}

// The bytes a wipe of the open file zeros: 0 when it holds no more than its
// header or is not its own.
ULONGLONG BytesToZero(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || ULONGLONG(size.QuadPart) <= KeptHeaderSize ||
        !HoldsOwnData(file))
        return 0;
    return ULONGLONG(size.QuadPart) - KeptHeaderSize;
}

// ---- what a walk met, handed to the visitor in the clean's order ----

// The walk's calls for one folder level: Enter, the entries' calls, Leave.
class WalkSink {
public:
    virtual ~WalkSink() = default;
    virtual void Enter() = 0;
    virtual void ClearReadOnly(const FolderEntry& entry, DWORD attributes) = 0;
    virtual void Wipe(const FolderEntry& entry) = 0;
    virtual void RemoveFile(const FolderEntry& entry) = 0;
    virtual void RemoveFolderLink(const FolderEntry& entry) = 0;
    virtual void Keep(const FolderEntry& entry, CleanItemKind why) = 0;
    virtual void Problem(const std::wstring& path, DWORD error) = 0;
    // The folder's entries are done; `listed` false when it could not be listed.
    virtual void Leave(const FolderEntry& folder, bool top, bool listed) = 0;
};

// Hands each call to the visitor and keeps, for each folder level, whether
// everything in it went: that decides what the visitor is told of the folder.
class Applier : public WalkSink {
public:
    explicit Applier(FolderVisitor& visitor) : m_visitor(visitor) {}

    void Enter() override { m_allGone.push_back(true); }
    void ClearReadOnly(const FolderEntry& entry, DWORD attributes) override {
        m_visitor.ClearReadOnly(entry, attributes);
    }
    void Wipe(const FolderEntry& entry) override { m_visitor.WipeIndexFile(entry); }
    void RemoveFile(const FolderEntry& entry) override {
        Count(m_visitor.RemoveFile(entry) == CleanStatus::Gone);
    }
    void RemoveFolderLink(const FolderEntry& entry) override {
        Count(m_visitor.RemoveFolderLink(entry) == CleanStatus::Gone);
    }
    void Keep(const FolderEntry& entry, CleanItemKind why) override {
        m_visitor.Keep(entry, why);
        Count(false);
    }
    void Problem(const std::wstring& path, DWORD error) override {
        m_visitor.Problem(path, error);
        Count(false);
    }
    void Leave(const FolderEntry& folder, bool top, bool listed) override {
        const bool allGone = m_allGone.back();
        m_allGone.pop_back();
        if (top)
            return;
        const FolderState contents = !listed   ? FolderState::NotListed
                                     : allGone ? FolderState::Emptied
                                               : FolderState::PartlyEmptied;
        Count(m_visitor.RemoveFolder(folder, contents) == CleanStatus::Gone);
    }

private:
    void Count(bool gone) {
        if (!m_allGone.empty())
            m_allGone.back() = m_allGone.back() && gone;
    }

    FolderVisitor& m_visitor;
    std::vector<bool> m_allGone;
};

struct ForkedWalk;

// The calls of a walk that changes nothing, kept to be handed over later,
// with the walks of subfolders that other threads make in their place.
class Recording : public WalkSink {
public:
    Recording();
    // Waits for the walks still going on for it.
    ~Recording() override;

    void Enter() override { Add(Call::Enter, std::wstring()); }
    void ClearReadOnly(const FolderEntry&, DWORD) override {}
    void Wipe(const FolderEntry& entry) override { Add(Call::Wipe, entry.path, entry.bytes); }
    void RemoveFile(const FolderEntry& entry) override {
        Add(Call::RemoveFile, entry.path, entry.bytes);
    }
    void RemoveFolderLink(const FolderEntry& entry) override {
        Add(Call::RemoveFolderLink, entry.path);
    }
    void Keep(const FolderEntry& entry, CleanItemKind why) override {
        Add(Call::Keep, entry.path, entry.bytes).kind = why;
    }
    void Problem(const std::wstring& path, DWORD error) override {
        Add(Call::Problem, path).error = error;
    }
    void Leave(const FolderEntry& folder, bool top, bool listed) override {
        Recorded& call = Add(Call::Leave, folder.path);
        call.top = top;
        call.listed = listed;
    }
    // Where a walk another thread makes belongs among the calls.
    void Fork(std::unique_ptr<ForkedWalk> walk);

    // Hands every call to `sink` in the walk's order, waiting for each
    // forked walk where it belongs.
    void Replay(WalkSink& sink);

private:
    enum class Call { Enter, Wipe, RemoveFile, RemoveFolderLink, Keep, Problem, Leave, Fork };
    struct Recorded {
        Call call;
        std::wstring path;
        ULONGLONG bytes = 0;
        DWORD error = 0;
        CleanItemKind kind = CleanItemKind::File;
        bool top = false;
        bool listed = true;
        size_t fork = 0;
    };

    Recorded& Add(Call call, const std::wstring& path, ULONGLONG bytes = 0) {
        m_calls.push_back({call, path, bytes});
        return m_calls.back();
    }

    std::vector<Recorded> m_calls;
    std::vector<std::unique_ptr<ForkedWalk>> m_forks;
};

// ---- the walk ----

struct Rules {
    bool includeDesktopIni;
    bool wipeIndexFiles;
    bool changes; // the visitor makes the changes: entries are opened for them
    // The top folder's entries that are (onlyNames) or are not the walk's.
    const std::vector<std::wstring>& names;
    bool onlyNames;

    bool InScope(const std::wstring& name) const {
        const bool named = std::any_of(names.begin(), names.end(), [&](const std::wstring& n) {
            return WidePath::NameIs(name.c_str(), n.c_str());
        });
        return named == onlyNames;
    }
};

// Threads free to walk subfolders of a walk that changes nothing.
class ForkSlots {
public:
    explicit ForkSlots(int threads) : m_free(threads) {}
    bool Take() {
        if (m_free.fetch_sub(1) > 0)
            return true;
        m_free.fetch_add(1);
        return false;
    }
    void Give() { m_free.fetch_add(1); }

private:
    std::atomic<int> m_free;
};

// A folder being walked: its handle, what it listed, and how far the walk is.
struct Frame {
    platform::UniqueFile handle;
    std::wstring path;
    // The folder's own path as the platform keeps it, when files are checked
    // against it, or why it cannot be read.
    std::wstring resolved;
    DWORD resolveError = 0;
    std::vector<Listed> entries;
    size_t next = 0;
    // Why the folder could not be opened for its removal (it is then walked
    // through a handle that may only list), or 0.
    DWORD removeError = 0;
};

class Walker {
public:
    // `recording` is the sink when the walk may fork, which only a walk that
    // changes nothing does.
    Walker(const Rules& rules, WalkSink& sink, Recording* recording, ForkSlots* slots)
        : m_rules(rules), m_sink(sink), m_recording(recording), m_slots(slots),
          m_buffer(ListingBufferSize) {}

    // Walks the folder open as `frame`, which the walk may remove at the end
    // unless it is the top one. False when it could not be listed.
    bool Walk(Frame frame, bool top);

private:
    bool Start(Frame frame, bool top);
    void Visit(Frame& frame, const Listed& entry);
    void RemoveFile(Frame& frame, const Listed& entry, const std::wstring& path);
    DWORD OpenForRemoval(Frame& frame, const Listed& entry, platform::UniqueFile& file,
                         FolderEntry& removal);
    bool PrepareReadOnly(HANDLE file, const Listed& entry, FolderEntry& removal);
    bool WipeIndexFile(Frame& frame, const Listed& entry, const std::wstring& path);
    Writability MakeWritable(Frame& frame, const Listed& entry, const std::wstring& path);
    void RemoveFolderLink(Frame& frame, const Listed& entry, const std::wstring& path);
    void Descend(Frame& frame, const Listed& entry, const std::wstring& path);
    bool OpenFolder(Frame& parent, const Listed& entry, const std::wstring& path, Frame& child);
    // The folder as the visitor is told of it when the walk leaves it.
    FolderEntry Left(const Frame& frame) const;
    bool Fork(Frame& child);
    bool Verified(const Frame& frame, HANDLE file, const Listed& entry, const std::wstring& path);

    const Rules& m_rules;
    WalkSink& m_sink;
    Recording* m_recording;
    ForkSlots* m_slots;
    std::vector<BYTE> m_buffer;
    std::vector<Frame> m_stack;
};

bool Walker::Walk(Frame frame, bool top) {
    if (!Start(std::move(frame), top))
        return false;
    while (!m_stack.empty()) {
        Frame& current = m_stack.back();
        if (current.next == current.entries.size()) {
            Frame done = std::move(current);
            m_stack.pop_back();
            m_sink.Leave(Left(done), m_stack.empty() && top, true);
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
    if (!ListFolder(frame.handle.get(), m_buffer, frame.entries, error)) {
        m_sink.Problem(frame.path, error);
        m_sink.Leave(Left(frame), top, false);
        return false;
    }
    if (top)
        frame.entries.erase(
            std::remove_if(frame.entries.begin(), frame.entries.end(),
                           [this](const Listed& entry) { return !m_rules.InScope(entry.name); }),
            frame.entries.end());
    if (FileHandlesMayReachLinkTargets())
        frame.resolveError = ResolvedPath(frame.handle.get(), frame.resolved);
    m_stack.push_back(std::move(frame));
    return true;
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
    const ACCESS_MASK access = m_rules.changes ? ListAccess | DeleteAccess : ListAccess;
    DWORD error = platform::OpenInFolder(parent.handle.get(), entry.name, access, ShareAll,
                                         FolderOptions, child.handle);
    // Held open by a program that does not share its deletion: it is still
    // emptied, and stays.
    if (error != ERROR_SUCCESS && m_rules.changes) {
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

// The walk of a subfolder on a thread of its own, into a recording of its
// own that the walk it was forked from hands over in its place.
struct ForkedWalk {
    ForkedWalk(Frame folder, const Rules& rules, ForkSlots& slots)
        : folder(std::move(folder)), rules(rules), slots(slots) {}
    ~ForkedWalk() {
        if (thread)
            WaitForSingleObject(thread.get(), INFINITE);
    }

    Frame folder;
    const Rules& rules;
    ForkSlots& slots;
    Recording recording;
    bool outOfMemory = false;
    platform::UniqueHandle thread;
};

DWORD WINAPI WalkForked(LPVOID context) {
    auto* fork = static_cast<ForkedWalk*>(context);
    // No exception may leave a thread; it is raised again where the
    // recording is handed over.
    try {
        Walker(fork->rules, fork->recording, &fork->recording, &fork->slots)
            .Walk(std::move(fork->folder), false);
    } catch (const std::bad_alloc&) {
        fork->outOfMemory = true;
    }
    fork->slots.Give();
    return 0;
}

Recording::Recording() = default;
Recording::~Recording() = default;

void Recording::Fork(std::unique_ptr<ForkedWalk> walk) {
    Add(Call::Fork, std::wstring()).fork = m_forks.size();
    m_forks.push_back(std::move(walk));
}

void Recording::Replay(WalkSink& sink) {
    for (const Recorded& call : m_calls) {
        const FolderEntry entry = {call.path, INVALID_HANDLE_VALUE, call.bytes, 0};
        switch (call.call) {
        case Call::Enter:
            sink.Enter();
            break;
        case Call::Wipe:
            sink.Wipe(entry);
            break;
        case Call::RemoveFile:
            sink.RemoveFile(entry);
            break;
        case Call::RemoveFolderLink:
            sink.RemoveFolderLink(entry);
            break;
        case Call::Keep:
            sink.Keep(entry, call.kind);
            break;
        case Call::Problem:
            sink.Problem(call.path, call.error);
            break;
        case Call::Leave:
            sink.Leave(entry, call.top, call.listed);
            break;
        case Call::Fork: {
            ForkedWalk& fork = *m_forks[call.fork];
            WaitForSingleObject(fork.thread.get(), INFINITE);
            if (fork.outOfMemory)
                throw std::bad_alloc();
            fork.recording.Replay(sink);
            break;
        }
        }
    }
}

// Hands the walk of an opened subfolder to another thread when one is free;
// only a walk that changes nothing is recorded, and so may fork.
bool Walker::Fork(Frame& child) {
    if (!m_recording || !m_slots->Take())
        return false;
    std::unique_ptr<ForkedWalk> fork(new ForkedWalk(std::move(child), m_rules, *m_slots));
    fork->thread.reset(CreateThread(nullptr, 0, WalkForked, fork.get(), 0, nullptr));
    if (!fork->thread) {
        m_slots->Give();
        child = std::move(fork->folder);
        return false;
    }
    m_recording->Fork(std::move(fork));
    return true;
}

platform::UniqueFile OpenTopFolder(const std::wstring& folder, DWORD& error) {
    platform::UniqueFile handle(CreateFileW(WidePath::ForApi(folder).c_str(),
                                            ListAccess | SYNCHRONIZE, ShareAll, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    error = handle ? ERROR_SUCCESS : GetLastError();
    return handle;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY;
}

} // namespace

FolderWalk::FolderWalk(bool includeDesktopIni, bool wipeIndexFiles, FolderVisitor& visitor)
    : m_includeDesktopIni(includeDesktopIni), m_wipeIndexFiles(wipeIndexFiles), m_visitor(visitor) {
}

FolderWalk& FolderWalk::Except(std::vector<std::wstring> names) {
    m_names = std::move(names);
    m_onlyNames = false;
    return *this;
}

FolderWalk& FolderWalk::Only(std::vector<std::wstring> names) {
    m_names = std::move(names);
    m_onlyNames = true;
    return *this;
}

// The folder given is trusted as it is named, links on its way included
// (some shell folders of a Wine prefix link into the home folder); only what
// lies below it is opened as itself.
int FolderWalk::EmptyFolder(const std::wstring& folder) const {
    // An empty folder path would list the current folder.
    if (folder.empty())
        return 0;
    DWORD error = 0;
    Frame top;
    top.handle = OpenTopFolder(folder, error);
    if (!top.handle) {
        if (!IsMissing(error))
            m_visitor.Problem(folder, error);
        return 0;
    }
    top.path = folder;
    const Rules rules = {m_includeDesktopIni, m_wipeIndexFiles, m_visitor.ChangesFiles(), m_names,
                         m_onlyNames};
    Applier applier(m_visitor);
    if (rules.changes)
        return Walker(rules, applier, nullptr, nullptr).Walk(std::move(top), true) ? 1 : 0;
    ForkSlots slots(ExtraThreads);
    Recording recording;
    const bool listed = Walker(rules, recording, &recording, &slots).Walk(std::move(top), true);
    recording.Replay(applier);
    return listed ? 1 : 0;
}

int FolderWalk::WipeIndexFile(const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = WidePath::ForApi(WidePath::Join(folder, name));
    platform::UniqueFile file(
        CreateFileW(path.c_str(), WipeAccess, IndexFileSharing, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return 0;
    if (FileHandlesMayReachLinkTargets()) {
        DWORD error = 0;
        platform::UniqueFile parent = OpenTopFolder(folder, error);
        std::wstring resolved;
        // Only a file known to be the one named is zeroed.
        if (!parent || ResolvedPath(parent.get(), resolved) != ERROR_SUCCESS ||
            Identify(file.get(), WidePath::Join(resolved, name), error) != Identity::Entry)
            return 1;
    }
    const ULONGLONG bytes = BytesToZero(file.get());
    if (bytes != 0)
        ZeroAfterHeader(file.get(), bytes);
    return 1;
}

WipeResult ZeroAfterHeader(HANDLE file, ULONGLONG bytes) {
    const char zeros[ZeroBlockSize] = {};
    WipeResult result = {0, ERROR_SUCCESS};
    for (ULONGLONG done = 0; done < bytes;) {
        LARGE_INTEGER offset;
        offset.QuadPart = LONGLONG(KeptHeaderSize + done);
        const DWORD block = DWORD(std::min<ULONGLONG>(ZeroBlockSize, bytes - done));
        DWORD written = 0;
        DWORD error = ERROR_SUCCESS;
        if (!SetFilePointerEx(file, offset, nullptr, FILE_BEGIN))
            error = GetLastError();
        else if (!platform::seam::WriteFile(file, zeros, block, &written, nullptr))
            error = GetLastError();
        else if (written < block)
            error = ERROR_WRITE_FAULT;
        result.zeroed += written;
        if (result.error == ERROR_SUCCESS)
            result.error = error;
        done += block;
    }
    // A file system may drop the unwritten pages of a file deleted next:
    // the zeros must be on the disk first.
    if (!platform::seam::FlushFileBuffers(file) && result.error == ERROR_SUCCESS)
        result.error = GetLastError();
    return result;
}

bool FileHandlesMayReachLinkTargets() {
    // Wine announces itself by this export of its ntdll. On Windows a handle
    // opened with FILE_FLAG_OPEN_REPARSE_POINT is the entry itself, and a
    // hard link's name is deleted without touching the other names.
    static const bool mayReach =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return mayReach;
}

// ---- the deleting visitor ----

namespace {

// The deletion mark that names its flags (Windows 10 1607 and later).
const FILE_INFORMATION_CLASS FileDispositionInformationEx = FILE_INFORMATION_CLASS(64);
const ULONG DispositionDelete = 0x1;
// The name goes at once, while other programs still hold the file open.
const ULONG DispositionPosixSemantics = 0x2;
// The read-only bit does not stop the deletion (Windows 10 1809 and later).
const ULONG DispositionIgnoreReadOnly = 0x10;
// What a platform answers for a class or flag it does not offer: Wine 8 and
// Windows before 10 1607 the first two, a file system without it the others.
const NTSTATUS NotOffered[] = {NTSTATUS(0xC0000002L), NTSTATUS(0xC0000003L), NTSTATUS(0xC000000DL),
                               NTSTATUS(0xC00000BBL)};
// A read-only file, or one mapped as a running program or loaded DLL (under
// Wine, mapped at all); Win32 calls both "access denied".
const NTSTATUS CannotDelete = NTSTATUS(0xC0000121L);

NTSTATUS Mark(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    IO_STATUS_BLOCK io;
    return platform::seam::NtSetInformationFile(handle, &io, &disposition, sizeof disposition,
                                                FileDispositionInformation);
}

NTSTATUS MarkWith(HANDLE handle, ULONG flags) {
    IO_STATUS_BLOCK io;
    return platform::seam::NtSetInformationFile(handle, &io, &flags, sizeof flags,
                                                FileDispositionInformationEx);
}

// An entry that stays, with the reason left for GetLastError.
CleanStatus Stays(DWORD error) {
    SetLastError(error);
    return StatusOf(CleanItemKind::File, error);
}

CleanStatus Outcome(NTSTATUS status) {
    return NT_SUCCESS(status) ? CleanStatus::Gone : Stays(RtlNtStatusToDosError(status));
}

// Marks the entry open as `entry.handle` for deletion, which happens as the
// handle closes; without a handle, answers why there is none.
CleanStatus MarkForDeletion(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return Stays(entry.error);
    return Outcome(Mark(entry.handle));
}

// A file that is not read-only refuses its mark while it is mapped: in use.
CleanStatus FileOutcome(HANDLE file, NTSTATUS status) {
    FILE_BASIC_INFO basic;
    if (status == CannotDelete &&
        GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return Stays(ERROR_USER_MAPPED_FILE);
    return Outcome(status);
}

bool Offered(NTSTATUS status) {
    return std::find(std::begin(NotOffered), std::end(NotOffered), status) == std::end(NotOffered);
}

// A file others hold, sharing its deletion, loses its name at once where the
// platform offers it; elsewhere the name stays until they close the file,
// which then goes: in use until then.
CleanStatus MarkFile(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return Stays(entry.error);
    if (!entry.heldByOthers && !entry.keepsReadOnly)
        return FileOutcome(entry.handle, Mark(entry.handle));
    const ULONG flags = DispositionDelete | (entry.heldByOthers ? DispositionPosixSemantics : 0) |
                        (entry.keepsReadOnly ? DispositionIgnoreReadOnly : 0);
    const NTSTATUS status = MarkWith(entry.handle, flags);
    if (entry.keepsReadOnly || Offered(status))
        return FileOutcome(entry.handle, status);
    const NTSTATUS marked = Mark(entry.handle);
    return NT_SUCCESS(marked) ? Stays(ERROR_SHARING_VIOLATION) : FileOutcome(entry.handle, marked);
}

} // namespace

void FolderCleaning::ClearReadOnly(const FolderEntry& entry, DWORD attributes) {
    FILE_BASIC_INFO change = {}; // times of zero stay as they are
    const DWORD cleared = attributes & ~FILE_ATTRIBUTE_READONLY;
    // Attributes of zero would also mean "unchanged".
    change.FileAttributes = cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(entry.handle, FileBasicInfo, &change, sizeof change);
}

CleanStatus FolderCleaning::WipeIndexFile(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return StatusOf(CleanItemKind::IndexFile, entry.error);
    return StatusOf(CleanItemKind::IndexFile, ZeroAfterHeader(entry.handle, entry.bytes).error);
}

CleanStatus FolderCleaning::RemoveFile(const FolderEntry& entry) {
    return MarkFile(entry);
}

CleanStatus FolderCleaning::RemoveFolderLink(const FolderEntry& entry) {
    return MarkForDeletion(entry);
}

// The folder goes when its handle closes, as the walk leaves it.
CleanStatus FolderCleaning::RemoveFolder(const FolderEntry& entry, FolderState) {
    return MarkForDeletion(entry);
}
