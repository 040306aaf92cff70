#include "clean/Targets.h"

#include "clean/Cleaner.h"
#include "res/resource.h"

#include <iterator>

namespace {

const int LabelSize = 256;

void RunRealPlayer(Visitors& visitors) {
    Cleaner().CleanRealPlayer(visitors.registry);
}
void RunMediaPlayer(Visitors& visitors) {
    Cleaner().CleanMediaPlayer(visitors.registry);
}
void RunRecentDocuments(Visitors& visitors) {
    Cleaner().CleanRecentDocuments(visitors.folders);
}
void RunIEHistory(Visitors& visitors) {
    Cleaner().CleanIEHistory(visitors.folders);
}
void RunTypedUrls(Visitors& visitors) {
    Cleaner().CleanTypedUrls(visitors.registry);
}
void RunAutoComplete(Visitors& visitors) {
    Cleaner().CleanAutoComplete(visitors.registry);
}
void RunIntelliForms(Visitors& visitors) {
    Cleaner().CleanIntelliForms(visitors.registry);
}
void RunRecycleBin(Visitors& visitors) {
    Cleaner().EmptyRecycleBin(visitors.recycleBin);
}

} // namespace

const Target kTargets[] = {
    {RealPlayer, "realplayer", IDS_TARGET_REALPLAYER, false, RunRealPlayer},
    {MediaPlayer, "mediaplayer", IDS_TARGET_MEDIAPLAYER, false, RunMediaPlayer},
    {RecentDocuments, "recent", IDS_TARGET_RECENTDOCUMENTS, false, RunRecentDocuments},
    {IEHistory, "history", IDS_TARGET_IEHISTORY, false, RunIEHistory},
    {IEAddressBar, "typed-urls", IDS_TARGET_IEADDRESSBAR, false, RunTypedUrls},
    {IEAutoComplete, "autocomplete", IDS_TARGET_IEAUTOCOMPLETE, false, RunAutoComplete},
    {IEPasswords, "forms", IDS_TARGET_IEPASSWORDS, false, RunIntelliForms},
    {RecycleBin, "recycle-bin", IDS_TARGET_RECYCLEBIN, false, RunRecycleBin},
};
const size_t kTargetCount = std::size(kTargets);

const Target* FindTarget(const std::wstring& name) {
    for (const Target& target : kTargets) {
        const std::string ascii = target.name;
        if (CompareStringOrdinal(name.c_str(), int(name.size()),
                                 std::wstring(ascii.begin(), ascii.end()).c_str(),
                                 int(ascii.size()), TRUE) == CSTR_EQUAL)
            return &target;
    }
    return nullptr;
}

std::wstring TargetLabel(const Target& target) {
    wchar_t label[LabelSize] = {};
    LoadStringW(GetModuleHandleW(nullptr), target.label, label, LabelSize);
    return label;
}

TargetSet TargetSet::FromPlace(DWORD place) {
    TargetSet set;
    for (const Target& target : kTargets) {
        if (IsBoxTarget(target) && (place & (1u << target.id)))
            set.Add(target.id);
    }
    return set;
}

DWORD TargetSet::Place() const {
    DWORD place = 0;
    for (const Target& target : kTargets) {
        if (IsBoxTarget(target) && Has(target.id))
            place |= 1u << target.id;
    }
    return place;
}

void RunTargets(const TargetSet& selection, Visitors& visitors) {
    RunTargets(selection, [&visitors](const Target&) -> Visitors& { return visitors; });
}

void RunTargets(const TargetSet& selection,
                const std::function<Visitors&(const Target& target)>& visitorsFor) {
    for (const Target& target : kTargets) {
        if (selection.Has(target.id))
            target.run(visitorsFor(target));
    }
}
