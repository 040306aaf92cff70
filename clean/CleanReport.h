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
    RecycleBin,     // the recycle bins' items (count) and bytes
};

struct CleanItem {
    CleanItemKind kind;
    std::wstring path;
    ULONGLONG bytes = 0;
    ULONGLONG count = 1;
    // Why it could not go; 0 when it went, would go or stays by rule.
    DWORD error = 0;
};

class CleanReport {
public:
    void Add(CleanItem item) {
        m_items.push_back(std::move(item));
        if (m_onAdd)
            m_onAdd(m_items.size());
    }
    const std::vector<CleanItem>& Items() const { return m_items; }

    bool HasFailures() const {
        for (const CleanItem& item : m_items) {
            if (item.error != 0)
                return true;
        }
        return false;
    }

    // Called with the number of items after each addition (a progress count).
    void OnAdd(std::function<void(size_t)> onAdd) { m_onAdd = std::move(onAdd); }

private:
    std::vector<CleanItem> m_items;
    std::function<void(size_t)> m_onAdd;
};
