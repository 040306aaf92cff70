// One target's report grouped by kind, each with its items. The console
// program's text and JSON forms and the window's preview are all made from
// it, so they hold the same content.
#pragma once

#include "clean/CleanReport.h"

#include <string>
#include <vector>

// The groups in the order both forms show them; every item of a report goes
// into exactly one.
enum class Group {
    Files,
    Folders,
    IndexFiles, // bytes: those zeroed after the header
    KeptDesktopIni,
    FolderLinks,
    KeptLinks,
    RegistryKeys,
    RegistryValues,
    RecycleBin,
    Databases, // rows deleted, one item per table of each database
    KeptSites, // what stays for the sites kept signed in, one item per site of each place
    JumpLists, // entries removed from jump lists, and the pinned ones that stay
    KeptInUse, // held open where that is normal: kept, and no failure
    Problems,  // could not go (a clean) or could not be looked at (a preview)
};
constexpr size_t GroupCount = size_t(Group::Problems) + 1;

class TargetSummary {
public:
    void Add(Group group, const CleanItem& item) { m_groups[size_t(group)].push_back(item); }
    const std::vector<CleanItem>& In(Group group) const { return m_groups[size_t(group)]; }
    // The items' bytes, or their counts, added up.
    ULONGLONG Bytes(Group group) const;
    ULONGLONG Count(Group group) const;
    bool IsEmpty() const;
    bool Failed() const { return !In(Group::Problems).empty(); }

private:
    std::vector<CleanItem> m_groups[GroupCount];
};

// The group of one item. `inUseIsNormal`: an item held open by another
// program is kept, not a problem.
Group GroupOf(const CleanItem& item, bool inUseIsNormal);
TargetSummary Summarise(const CleanReport& report, bool inUseIsNormal);

// A word for the kind of an item: "file", "folder", "key"...
const char* KindWord(CleanItemKind kind);

// The databases of a group of rows, in the order they were met, each with
// its tables' rows.
struct DatabaseRows {
    std::wstring path;
    std::vector<const CleanItem*> tables;
};
std::vector<DatabaseRows> ByDatabase(const std::vector<CleanItem>& rows);

// The jump lists of a group, in the order they were met, each with its
// entries that go and its pinned entries that stay.
struct JumpListEntries {
    std::wstring path;
    std::vector<const CleanItem*> entries;
};
std::vector<JumpListEntries> ByJumpList(const std::vector<CleanItem>& entries);

// The databases and folders of a group of kept sites, in the order they were
// met, each with what stays there per site.
struct KeptSitesIn {
    std::wstring path;
    std::vector<const CleanItem*> sites;
};
std::vector<KeptSitesIn> ByPlace(const std::vector<CleanItem>& kept);

// The sites of a group of kept sites, each once, in the order they were met.
std::vector<std::wstring> SitesOf(const std::vector<CleanItem>& kept);
