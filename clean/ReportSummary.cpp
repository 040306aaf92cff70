#include "clean/ReportSummary.h"

#include <windows.h>

#include <algorithm>

namespace {

Group GroupOfKind(CleanItemKind kind) {
    switch (kind) {
    case CleanItemKind::RegistryKey:
        return Group::RegistryKeys;
    case CleanItemKind::RegistryValue:
        return Group::RegistryValues;
    case CleanItemKind::Folder:
        return Group::Folders;
    case CleanItemKind::FolderLink:
        return Group::FolderLinks;
    case CleanItemKind::IndexFile:
        return Group::IndexFiles;
    case CleanItemKind::KeptDesktopIni:
        return Group::KeptDesktopIni;
    case CleanItemKind::KeptLink:
    case CleanItemKind::KeptHardLink:
        return Group::KeptLinks;
    case CleanItemKind::RecycleBin:
        return Group::RecycleBin;
    case CleanItemKind::Problem:
    case CleanItemKind::ProfileInUse:
        return Group::Problems;
    case CleanItemKind::DatabaseRows:
        return Group::Databases;
    case CleanItemKind::JumpListEntry:
    case CleanItemKind::PinnedEntry:
        return Group::JumpLists;
    case CleanItemKind::JumpList:
        return Group::Problems;
    case CleanItemKind::SiteKept:
        return Group::KeptSites;
    default:
        return Group::Files;
    }
}

// The items in the order met, one group per run of items of one path.
template <typename Grouped>
std::vector<Grouped> ByPath(const std::vector<CleanItem>& items,
                            std::vector<const CleanItem*> Grouped::*members) {
    std::vector<Grouped> groups;
    for (const CleanItem& item : items) {
        if (groups.empty() || groups.back().path != item.path)
            groups.push_back({item.path, {}});
        (groups.back().*members).push_back(&item);
    }
    return groups;
}

} // namespace

Group GroupOf(const CleanItem& item, bool inUseIsNormal) {
    if (item.status == CleanStatus::InUse)
        return inUseIsNormal ? Group::KeptInUse : Group::Problems;
    if (item.status == CleanStatus::Failed)
        return Group::Problems;
    return GroupOfKind(item.kind);
}

ULONGLONG TargetSummary::Bytes(Group group) const {
    ULONGLONG total = 0;
    for (const CleanItem& item : In(group))
        total += item.bytes;
    return total;
}

ULONGLONG TargetSummary::Count(Group group) const {
    ULONGLONG total = 0;
    for (const CleanItem& item : In(group))
        total += item.count;
    return total;
}

bool TargetSummary::IsEmpty() const {
    for (const std::vector<CleanItem>& items : m_groups) {
        if (!items.empty())
            return false;
    }
    return true;
}

TargetSummary Summarise(const CleanReport& report, bool inUseIsNormal) {
    TargetSummary summary;
    for (const CleanItem& item : report.Items())
        summary.Add(GroupOf(item, inUseIsNormal), item);
    return summary;
}

const char* KindWord(CleanItemKind kind) {
    switch (kind) {
    case CleanItemKind::RegistryKey:
        return "key";
    case CleanItemKind::RegistryValue:
        return "value";
    case CleanItemKind::Folder:
        return "folder";
    case CleanItemKind::FolderLink:
    case CleanItemKind::KeptLink:
        return "link";
    case CleanItemKind::RecycleBin:
        return "recycle bin";
    case CleanItemKind::Problem:
        return "entry";
    case CleanItemKind::DatabaseRows:
        return "database";
    case CleanItemKind::ProfileInUse:
        return "in-use";
    case CleanItemKind::JumpListEntry:
    case CleanItemKind::PinnedEntry:
    case CleanItemKind::JumpList:
        return "jump list";
    case CleanItemKind::SiteKept:
        return "kept site";
    default:
        return "file";
    }
}

std::vector<DatabaseRows> ByDatabase(const std::vector<CleanItem>& rows) {
    return ByPath(rows, &DatabaseRows::tables);
}

std::vector<JumpListEntries> ByJumpList(const std::vector<CleanItem>& entries) {
    return ByPath(entries, &JumpListEntries::entries);
}

std::vector<KeptSitesIn> ByPlace(const std::vector<CleanItem>& kept) {
    return ByPath(kept, &KeptSitesIn::sites);
}

std::vector<std::wstring> SitesOf(const std::vector<CleanItem>& kept) {
    std::vector<std::wstring> sites;
    for (const CleanItem& item : kept) {
        if (std::find(sites.begin(), sites.end(), item.detail) == sites.end())
            sites.push_back(item.detail);
    }
    return sites;
}
