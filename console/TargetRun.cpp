#include "console/TargetRun.h"

#include "clean/Cleaner.h"
#include "clean/FolderNotes.h"
#include "clean/ProtectedStorageCleaner.h"
#include "clean/RegistryNotes.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// Each bin's item count and bytes, as the shell adds them up for all drives.
bool QueryRecycleBin(SHQUERYRBINFO& info, HRESULT& result) {
    info = {};
    info.cbSize = sizeof info;
    result = SHQueryRecycleBinA(nullptr, &info);
    return SUCCEEDED(result);
}

CleanItem RecycleBinItem(const SHQUERYRBINFO& info, DWORD error = 0) {
    return {CleanItemKind::RecycleBin, std::wstring(), ULONGLONG(info.i64Size),
            ULONGLONG(info.i64NumItems), error};
}

// The recycle bins' item count and bytes as the shell reports them; an item
// with the shell's error when it cannot tell.
void PreviewRecycleBin(CleanReport& report) {
    SHQUERYRBINFO info;
    HRESULT result;
    if (!QueryRecycleBin(info, result))
        report.Add(RecycleBinItem(info, DWORD(result)));
    else if (info.i64NumItems > 0)
        report.Add(RecycleBinItem(info));
}

// Empties the bins with the window's cleaner and notes what went; what the
// shell still reports afterwards is noted as not gone.
void EmptyRecycleBin(CleanReport& report) {
    SHQUERYRBINFO before;
    SHQUERYRBINFO after;
    HRESULT result;
    const bool known = QueryRecycleBin(before, result);
    Cleaner().EmptyRecycleBin();
    if (!QueryRecycleBin(after, result)) {
        report.Add(RecycleBinItem(after, DWORD(result)));
        return;
    }
    if (known && before.i64NumItems > after.i64NumItems) {
        before.i64NumItems -= after.i64NumItems;
        before.i64Size -= std::min(before.i64Size, after.i64Size);
        report.Add(RecycleBinItem(before));
    }
    if (after.i64NumItems > 0)
        report.Add(RecycleBinItem(after, ERROR_DIR_NOT_EMPTY));
}

// The targets whose cleaners take visitors, in the window's clean order.
void RunWithVisitors(CleanTarget target, RegistryVisitor& registry, FolderVisitor& folders) {
    Cleaner cleaner;
    switch (target) {
    case RealPlayer:
        cleaner.CleanRealPlayer(registry);
        break;
    case MediaPlayer:
        cleaner.CleanMediaPlayer(registry);
        break;
    case RecentDocuments:
        cleaner.CleanRecentDocuments(folders);
        break;
    case IEHistory:
        cleaner.CleanIEHistory(folders);
        break;
    case IEAddressBar:
        cleaner.CleanTypedUrls(registry);
        break;
    case IEPasswords:
        cleaner.CleanIntelliForms(registry);
        break;
    default:
        break;
    }
}

} // namespace

// The auto-complete store's clean rewrites DACLs on its way to the deletion;
// its preview hands over the deletion alone.
void RunPreview(CleanTarget target, CleanReport& report) {
    RegistryPreview registry(report);
    FolderPreview folders(report);
    if (target == IEAutoComplete)
        ProtectedStorageCleaner().PreviewDeletion(registry);
    else if (target == RecycleBin)
        PreviewRecycleBin(report);
    else
        RunWithVisitors(target, registry, folders);
}

void RunClean(CleanTarget target, CleanReport& report) {
    NotedRegistryCleaning registry(report);
    NotedFolderCleaning folders(report);
    if (target == IEAutoComplete)
        Cleaner().CleanAutoComplete(registry);
    else if (target == RecycleBin)
        EmptyRecycleBin(report);
    else
        RunWithVisitors(target, registry, folders);
}
