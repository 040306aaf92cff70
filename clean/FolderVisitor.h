// The changes a folder walk makes, one call per change. The walk decides
// what to change, in its order and by its rules (the kept "desktop.ini", the
// identity checks on links and hard links, the index-file wipe); a visitor
// either makes each change (FolderCleaning) or notes it (FolderPreview in
// FolderNotes.h), so a preview is the clean's own walk with nothing changed.
#pragma once

#include "clean/CleanReport.h"

#include <windows.h>

#include <string>

// What became of a folder's entries, for the decision on the folder itself.
enum class FolderState { NotListed, Emptied, PartlyEmptied };

class FolderWalk;

class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;

    // The access a file entry's checked handle is opened with: the visitor
    // that deletes deletes through that handle.
    virtual DWORD EntryAccess() const = 0;
    // Clears the read-only bit of `path`, through `file` when it is a handle.
    virtual void ClearReadOnly(const std::wstring& path, HANDLE file) = 0;
    // Zeros the index file `path` after its header; `resolved` is the path a
    // handle on the entry itself reports.
    virtual void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) = 0;
    // Deletes the file entry checked through `file`; true when it goes.
    virtual bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) = 0;
    // Removes a folder link through the handle on the link; true when it goes.
    virtual bool RemoveFolderLink(const std::wstring& path, HANDLE link) = 0;
    // Removes a folder once its entries were dealt with; true when it goes.
    virtual bool RemoveFolder(const std::wstring& path, FolderState contents) = 0;
    // An entry that stays by rule (`why`: a kept kind of CleanItemKind).
    virtual void Keep(const std::wstring& path, CleanItemKind why, ULONGLONG bytes) = 0;

    // Whether subfolders may be walked on other threads: never for a visitor
    // that changes anything, whose walk keeps its order.
    virtual bool CanFork() const { return false; }
    // Starts the walk of the subfolder `entry` of `folder` on another thread,
    // by `walk`'s rules and with a visitor of its own (see
    // FolderWalk::WalkSubfolder); false when no thread is free, and the walk
    // is then made on this one.
    virtual bool Fork(const FolderWalk& /*walk*/, const std::wstring& /*folder*/,
                      const std::wstring& /*resolvedFolder*/, const WIN32_FIND_DATAW& /*entry*/) {
        return false;
    }
    // How many walks this visitor has forked so far.
    virtual size_t Forked() const { return 0; }
    // Waits for the walks forked after the first `from`, takes over what
    // they noted in the order they were forked; true when all of them went.
    virtual bool Join(size_t /*from*/) { return true; }
};

// Makes the changes: the calls the walk makes, and nothing else.
class FolderCleaning : public FolderVisitor {
public:
    DWORD EntryAccess() const override;
    void ClearReadOnly(const std::wstring& path, HANDLE file) override;
    void WipeIndexFile(const std::wstring& path, const std::wstring& resolved) override;
    bool RemoveFile(const std::wstring& path, HANDLE file, ULONGLONG bytes) override;
    bool RemoveFolderLink(const std::wstring& path, HANDLE link) override;
    bool RemoveFolder(const std::wstring& path, FolderState contents) override;
    void Keep(const std::wstring&, CleanItemKind, ULONGLONG) override {}
};
