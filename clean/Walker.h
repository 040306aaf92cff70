// The depth-first walk behind FolderWalk: its rules, the folders on its own
// stack, and the decisions it makes for each entry before telling its sink.
// Internal to the walk.
#pragma once

#include "clean/FolderWalk.h"
#include "clean/WalkSink.h"
#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <algorithm>
#include <vector>

namespace walk {

const wchar_t CurrentFolder[] = L".";
const wchar_t ParentFolder[] = L"..";
const wchar_t DesktopIni[] = L"desktop.ini";
const wchar_t IndexFile[] = L"index.dat";

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

// One listing holds this many bytes of entries at a time.
const size_t ListingBufferSize = 64 * 1024;

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

struct Rules {
    bool includeDesktopIni;
    bool wipeIndexFiles;
    bool changes; // the visitor makes the changes: entries are opened for them
    // The entries that are (onlyNames: of the top folder) or are not the
    // walk's, as paths below the top folder; `nested` when one of them lies
    // below a subfolder.
    const std::vector<std::wstring>& names;
    bool onlyNames;
    const std::wstring& top;
    bool nested;
    // Only files matching one of these go; null: every entry.
    const std::vector<std::wstring>* patterns;
    bool inSubfolders;  // with patterns: subfolders are walked
    bool removeEmptied; // with patterns: folders that end empty go
    const std::vector<SparedFiles>& spared;

    // Whether the entry `name` of the folder at `folder` (`atTop`: the top
    // one) is the walk's.
    bool InScope(const std::wstring& folder, bool atTop, const std::wstring& name) const {
        if (!atTop && (onlyNames || !nested))
            return true;
        const std::wstring below = atTop ? name : folder.substr(top.size() + 1) + L'\\' + name;
        const bool named = std::any_of(names.begin(), names.end(), [&](const std::wstring& n) {
            return WidePath::NameIs(below.c_str(), n.c_str());
        });
        return named == onlyNames;
    }
    // Whether the folders below the top one may go.
    bool FoldersGo() const { return !patterns || removeEmptied; }
};

class Recording;
class ForkSlots;

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
    // The folder stays whatever becomes of its entries.
    bool keep = false;
    // Something in it stays by the walk's rules (a file no pattern matches,
    // a spared file, a folder that stays), so the folder stays too.
    bool spared = false;
    // The patterns of the files spared in it.
    std::vector<std::wstring> sparedPatterns;
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
    void Scope(Frame& frame, bool top) const;
    bool Takes(const Frame& frame, const Listed& entry) const;
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

// Opens the folder a walk starts from, for listing (and `access` besides);
// `error` says why not.
platform::UniqueFile OpenTopFolder(const std::wstring& folder, DWORD& error,
                                   ACCESS_MASK access = ListAccess);

// Whether an open failed because the entry is not there.
bool IsMissing(DWORD error);

} // namespace walk
