// What one target's clean did, or its preview would do, item by item in the
// order the cleaner met them. The console program prints it; the window's
// clean keeps none.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

enum class CleanItemKind {
    RegistryKey,    // a key with its values (and, for a tree, all below it)
    RegistryValue,  // one value
    File,           // a file deleted
    Folder,         // a folder removed once emptied
    FolderLink,     // a junction or folder link removed without being followed
    IndexFile,      // an index file zeroed after its header (bytes: those zeroed)
    KeptDesktopIni, // a "desktop.ini" that stays by rule
    KeptLink,       // a link that cannot be told from its target, left alone
    KeptHardLink,   // a read-only file with other names: its name goes only with the bit they share
    RecycleBin,     // the recycle bins' items (count) and bytes
    Problem,        // something the cleaner could not look at (a folder it cannot list)
    DatabaseRows,   // rows of one table (detail) of a database (path) deleted (count)
    ProfileInUse,   // a browser profile skipped as a whole: its browser runs (detail: what to do)
    JumpListEntry,  // an entry of a jump list (path) that goes (detail: what it names)
    PinnedEntry,    // a pinned entry of a jump list (path) that stays (detail: what it names)
    JumpList,       // a jump list that stays as it is: it cannot be read or written again
    SiteKept,       // what stays for a site the user keeps signed in (path: the database or
                    // folder; detail: the site; count: the cookies, or 1)
};

// What became of an item (in a preview: what will become of it).
enum class CleanStatus {
    Gone,   // removed, zeroed or emptied
    Kept,   // stays by rule
    InUse,  // held open by another program, so it stays; normal for some targets
    Failed, // could not go; `error` says why
};

// The status of an item of `kind` from the platform's reason.
inline CleanStatus StatusOf(CleanItemKind kind, DWORD error) {
    if (error == ERROR_SUCCESS) {
        const bool kept = kind == CleanItemKind::KeptDesktopIni ||
                          kind == CleanItemKind::KeptLink || kind == CleanItemKind::KeptHardLink ||
                          kind == CleanItemKind::PinnedEntry ||
                          kind == CleanItemKind::SiteKept;
        return kept ? CleanStatus::Kept : CleanStatus::Gone;
    }
    const bool inUse = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                       error == ERROR_USER_MAPPED_FILE;
    return inUse ? CleanStatus::InUse : CleanStatus::Failed;
}

struct CleanItem {
    CleanItemKind kind;
    std::wstring path;
    ULONGLONG bytes = 0;
    ULONGLONG count = 1;
    // Why it could not go or could not be looked at; 0 when it went, would go
    // or stays by rule.
    DWORD error = 0;
    CleanStatus status = StatusOf(kind, error);
    // What the kind needs besides: a table's name, or a reason in words
    // where the platform's text for `error` would say less.
    std::wstring detail = std::wstring();
};

// `number` in decimal digits.
std::wstring DecimalText(ULONGLONG number);

// The platform's text for `error`, with its number: "Access denied. (error 5)".
std::wstring ReasonText(DWORD error);

// Why `item` could not go: its own words where it has them, else the
// platform's text for its error.
std::wstring ReasonOf(const CleanItem& item);

class CleanReport {
public:
    void Add(CleanItem item) {
        m_items.push_back(std::move(item));
        if (m_onAdd)
            m_onAdd(m_items.size());
    }
    const std::vector<CleanItem>& Items() const { return m_items; }

    // What could not go or be looked at, in the order met; an item held open
    // by another program counts unless that is normal for the target.
    std::vector<const CleanItem*> Failures(bool inUseIsNormal = false) const {
        std::vector<const CleanItem*> failures;
        for (const CleanItem& item : m_items) {
            if (item.status == CleanStatus::Failed ||
                (item.status == CleanStatus::InUse && !inUseIsNormal))
                failures.push_back(&item);
        }
        return failures;
    }
    bool HasFailures(bool inUseIsNormal = false) const { return !Failures(inUseIsNormal).empty(); }

    // Called with the number of items after each addition (a progress count).
    void OnAdd(std::function<void(size_t)> onAdd) { m_onAdd = std::move(onAdd); }

private:
    std::vector<CleanItem> m_items;
    std::function<void(size_t)> m_onAdd;
};
