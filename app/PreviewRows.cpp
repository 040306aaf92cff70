#include "app/PreviewRows.h"

#include "app/UiText.h"
#include "clean/ReportSummary.h"
#include "clean/WidePath.h"
#include "res/resource.h"
#include "platform/TextConversion.h"

#include <algorithm>

namespace {

const wchar_t PartSeparator[] = L"; ";
const wchar_t PathSeparator[] = L": ";
const wchar_t TableWord[] = L"table";

// What the row adds up, item by item: no item is copied, so that a trace of
// tens of thousands of files keeps the window's thread for a moment only.
struct Totals {
    ULONGLONG items = 0;
    ULONGLONG files = 0;
    ULONGLONG bytes = 0;
    ULONGLONG rows = 0;
    ULONGLONG kept = 0;              // what stays for the sites kept signed in...
    std::vector<std::wstring> sites; // ...and those sites, each once
};

void CountKept(const CleanItem& item, Totals& totals) {
    totals.kept += item.count;
    if (std::find(totals.sites.begin(), totals.sites.end(), item.detail) == totals.sites.end())
        totals.sites.push_back(item.detail);
}

void Count(const CleanItem& item, Group group, Totals& totals) {
    // The recycle bin is one entry for all its items.
    const ULONGLONG entries = group == Group::RecycleBin ? item.count : 1;
    switch (group) {
    case Group::Files:
    case Group::IndexFiles:
    case Group::RecycleBin:
        totals.files += entries;
        totals.bytes += item.bytes;
        break;
    case Group::Databases:
        totals.rows += item.count;
        break;
    case Group::KeptSites:
        CountKept(item, totals);
        return; // stays
    case Group::JumpLists:
        if (item.kind == CleanItemKind::PinnedEntry)
            return; // pinned: stays
        break;
    case Group::Folders:
    case Group::FolderLinks:
    case Group::RegistryKeys:
    case Group::RegistryValues:
        break;
    default:
        return; // stays, or cannot go: not what would go
    }
    totals.items += entries;
}

std::wstring FilesText(ULONGLONG files, ULONGLONG bytes) {
    return files == 1 ? LoadText(IDS_PREVIEW_ONE_FILE, {ByteSizeText(bytes)})
                      : LoadText(IDS_PREVIEW_FILES, {std::to_wstring(files), ByteSizeText(bytes)});
}

std::wstring RowsText(ULONGLONG rows) {
    return rows == 1 ? LoadText(IDS_PREVIEW_ONE_ROW)
                     : LoadText(IDS_PREVIEW_ROWS, {std::to_wstring(rows)});
}

std::wstring KeptText(const Totals& totals) {
    const std::wstring kept = std::to_wstring(totals.kept);
    return totals.sites.size() == 1
               ? LoadText(IDS_PREVIEW_KEPT_ONE_SITE, {kept})
               : LoadText(IDS_PREVIEW_KEPT_SITES, {kept, std::to_wstring(totals.sites.size())});
}

std::wstring SizeText(const Totals& totals) {
    std::wstring text = totals.files ? FilesText(totals.files, totals.bytes) : std::wstring();
    if (totals.rows)
        text += (text.empty() ? L"" : PartSeparator) + RowsText(totals.rows);
    if (!totals.sites.empty())
        text += (text.empty() ? L"" : PartSeparator) + KeptText(totals);
    return text;
}

std::wstring NoteOf(const CleanItem& item, bool inUseIsNormal) {
    switch (item.status) {
    case CleanStatus::Kept:
        return LoadText(item.kind == CleanItemKind::SiteKept ? IDS_ITEMS_SITE_KEPT
                                                             : IDS_ITEMS_KEPT);
    case CleanStatus::InUse:
        return inUseIsNormal ? LoadText(IDS_ITEMS_IN_USE) : ReasonOf(item);
    case CleanStatus::Failed:
        return ReasonOf(item);
    default:
        return std::wstring();
    }
}

} // namespace

std::wstring FailureText(const std::vector<const CleanItem*>& failures) {
    if (failures.empty())
        return std::wstring();
    const CleanItem& first = *failures.front();
    // A skipped profile's reason names it; anything else needs its path.
    std::wstring text = first.kind == CleanItemKind::ProfileInUse
                            ? ReasonOf(first)
                            : WidePath::Shown(first.path) + PathSeparator + ReasonOf(first);
    if (failures.size() > 1)
        text = LoadText(IDS_PREVIEW_MORE_PROBLEMS, {text, std::to_wstring(failures.size() - 1)});
    return text;
}

PreviewRow RowOf(const Trace& trace, const CleanReport& report) {
    Totals totals;
    for (const CleanItem& item : report.Items())
        Count(item, GroupOf(item, trace.inUseIsNormal), totals);
    return {trace.label, std::to_wstring(totals.items), SizeText(totals),
            FailureText(report.Failures(trace.inUseIsNormal))};
}

ItemRow ItemRowOf(const CleanItem& item, bool inUseIsNormal) {
    ItemRow row{platform::FromAnsi(KindWord(item.kind)), WidePath::Shown(item.path), std::wstring(),
                NoteOf(item, inUseIsNormal)};
    if (item.kind == CleanItemKind::DatabaseRows) {
        row.kind = TableWord;
        row.path += PathSeparator + item.detail;
        row.size = RowsText(item.count);
    } else if (item.kind == CleanItemKind::JumpListEntry ||
               item.kind == CleanItemKind::PinnedEntry) {
        row.path += PathSeparator + item.detail;
    } else if (item.kind == CleanItemKind::SiteKept) {
        row.path += PathSeparator + item.detail;
        row.size = std::to_wstring(item.count);
    } else if (item.kind == CleanItemKind::RecycleBin) {
        row.size = FilesText(item.count, item.bytes);
    } else if (item.bytes) {
        row.size = ByteSizeText(item.bytes);
    }
    return row;
}
