#include "app/PreviewRows.h"

#include "app/UiText.h"
#include "clean/ReportSummary.h"
#include "clean/WidePath.h"
#include "res/resource.h"

namespace {

const wchar_t PartSeparator[] = L"; ";
const wchar_t PathSeparator[] = L": ";
const wchar_t TableWord[] = L"table";

// The groups that count as items, and those whose items have bytes.
const Group ItemGroups[] = {Group::Files,       Group::Folders,      Group::IndexFiles,
                            Group::FolderLinks, Group::RegistryKeys, Group::RegistryValues,
                            Group::RecycleBin,  Group::Databases};
const Group SizedGroups[] = {Group::Files, Group::IndexFiles, Group::RecycleBin};

std::wstring FilesText(ULONGLONG files, ULONGLONG bytes) {
    return files == 1 ? LoadText(IDS_PREVIEW_ONE_FILE, {ByteSizeText(bytes)})
                      : LoadText(IDS_PREVIEW_FILES, {std::to_wstring(files), ByteSizeText(bytes)});
}

std::wstring RowsText(ULONGLONG rows) {
    return rows == 1 ? LoadText(IDS_PREVIEW_ONE_ROW)
                     : LoadText(IDS_PREVIEW_ROWS, {std::to_wstring(rows)});
}

// The recycle bin counts its items; every other group one item per entry.
ULONGLONG ItemsIn(const TargetSummary& summary, Group group) {
    return group == Group::RecycleBin ? summary.Count(group) : summary.In(group).size();
}

std::wstring SizeText(const TargetSummary& summary) {
    ULONGLONG files = 0, bytes = 0;
    for (Group group : SizedGroups) {
        files += ItemsIn(summary, group);
        bytes += summary.Bytes(group);
    }
    std::wstring text = files ? FilesText(files, bytes) : std::wstring();
    if (const ULONGLONG rows = summary.Count(Group::Databases))
        text += (text.empty() ? L"" : PartSeparator) + RowsText(rows);
    return text;
}

std::wstring NoteOf(const CleanItem& item, bool inUseIsNormal) {
    switch (item.status) {
    case CleanStatus::Kept:
        return LoadText(IDS_ITEMS_KEPT);
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
    const TargetSummary summary = Summarise(report, trace.inUseIsNormal);
    ULONGLONG items = 0;
    for (Group group : ItemGroups)
        items += ItemsIn(summary, group);
    return {trace.label, std::to_wstring(items), SizeText(summary),
            FailureText(report.Failures(trace.inUseIsNormal))};
}

ItemRow ItemRowOf(const CleanItem& item, bool inUseIsNormal) {
    ItemRow row{WidePath::FromAnsi(KindWord(item.kind)), WidePath::Shown(item.path), std::wstring(),
                NoteOf(item, inUseIsNormal)};
    if (item.kind == CleanItemKind::DatabaseRows) {
        row.kind = TableWord;
        row.path += PathSeparator + item.detail;
        row.size = RowsText(item.count);
    } else if (item.kind == CleanItemKind::RecycleBin) {
        row.size = FilesText(item.count, item.bytes);
    } else if (item.bytes) {
        row.size = ByteSizeText(item.bytes);
    }
    return row;
}
