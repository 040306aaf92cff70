#include "console/TargetRun.h"

#include "clean/Cleaner.h"
#include "clean/FolderVisitor.h"
#include "clean/ProtectedStorageCleaner.h"
#include "clean/RegistryVisitor.h"

namespace {

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
        Cleaner().PreviewRecycleBin(report);
    else
        RunWithVisitors(target, registry, folders);
}

void RunClean(CleanTarget target, CleanReport& report) {
    RegistryCleaning registry(&report);
    FolderCleaning folders(&report);
    if (target == IEAutoComplete)
        Cleaner().CleanAutoComplete(registry);
    else if (target == RecycleBin)
        Cleaner().EmptyRecycleBin(report);
    else
        RunWithVisitors(target, registry, folders);
}
