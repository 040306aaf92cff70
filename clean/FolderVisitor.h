// The changes a folder walk makes, one call per change. The walk decides
// everything, in its order and by its rules (the kept "desktop.ini", the
// identity checks on links and hard links, whether and how much of an index
// file is zeroed), and tells the visitor what it met; a visitor either makes
// each change (FolderCleaning) or notes it (FolderPreview in FolderNotes.h),
// so a preview is the clean's own walk with nothing changed. A visitor is
// only ever called on the thread that started the walk, in the clean's order.
#pragma once

#include "clean/CleanReport.h"

#include <windows.h>

#include <string>

// What became of a folder's entries, for the decision on the folder itself.
enum class FolderState { NotListed, Emptied, PartlyEmptied };

// One entry as the walk hands it over.
struct FolderEntry {
    // The entry's path as the caller named the folder, with the entry's
    // name below it.
    const std::wstring& path;
    // The entry itself, opened for the change and checked; invalid for a
    // visitor that changes nothing, and when the entry could not be opened
    // for the change (`error` then says why).
    HANDLE handle;
    // A file's size; for an index file, the bytes to zero after its header.
    ULONGLONG bytes;
    DWORD error;
    // A file that another program holds open too, sharing its deletion: its
    // name may stay until that program closes it.
    bool heldByOthers = false;
    // A read-only file with other names: it goes without its read-only bit
    // being cleared, since that bit is its other names' too.
    bool keepsReadOnly = false;
};

class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;

    // Whether this visitor changes anything. The walk opens the entries of a
    // visitor that does for the changes, one after another; it may walk
    // subfolders of one that does not on other threads, and hands over what
    // they met in the clean's order.
    virtual bool ChangesFiles() const = 0;

    // Clears the read-only bit of the entry; `attributes` are its current ones.
    // The walk never asks it of a file with other names.
    virtual void ClearReadOnly(const FolderEntry& entry, DWORD attributes) = 0;
    // Zeros `entry.bytes` bytes after the header of the index file.
    virtual CleanStatus WipeIndexFile(const FolderEntry& entry) = 0;
    virtual CleanStatus RemoveFile(const FolderEntry& entry) = 0;
    // Removes a junction or folder link without following it.
    virtual CleanStatus RemoveFolderLink(const FolderEntry& entry) = 0;
    // Removes a folder once its entries were dealt with.
    virtual CleanStatus RemoveFolder(const FolderEntry& entry, FolderState contents) = 0;
    // An entry that stays by rule (`why`: a kept kind of CleanItemKind).
    virtual void Keep(const FolderEntry& entry, CleanItemKind why) = 0;
    // Something the walk could not look at: a folder it cannot list, an
    // entry it cannot open.
    virtual void Problem(const std::wstring& path, DWORD error) = 0;
};

// Makes the changes: the calls the walk asks for, and nothing else.
class FolderCleaning : public FolderVisitor {
public:
    bool ChangesFiles() const override { return true; }
    void ClearReadOnly(const FolderEntry& entry, DWORD attributes) override;
    CleanStatus WipeIndexFile(const FolderEntry& entry) override;
    CleanStatus RemoveFile(const FolderEntry& entry) override;
    CleanStatus RemoveFolderLink(const FolderEntry& entry) override;
    CleanStatus RemoveFolder(const FolderEntry& entry, FolderState contents) override;
    void Keep(const FolderEntry&, CleanItemKind) override {}
    void Problem(const std::wstring&, DWORD) override {}
};
