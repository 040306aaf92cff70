#include "clean/Targets.h"

#include "clean/Cleaner.h"
#include "clean/WidePath.h"
#include "moretraces/MoreTraces.h"
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
    Cleaner().EmptyRecycleBin(visitors.shell);
}

// The browsers' targets, one function per browser and kind.
template <Browser B> void RunCache(Visitors& visitors) {
    CleanBrowserCache(B, visitors);
}
template <Browser B> void RunHistory(Visitors& visitors) {
    CleanBrowserHistory(B, visitors);
}
template <Browser B> void RunCookies(Visitors& visitors) {
    CleanBrowserCookies(B, visitors);
}
template <Browser B> void RunForms(Visitors& visitors) {
    CleanBrowserForms(B, visitors);
}

// Files held open are normal in the temporary folder: they are kept, and
// no failure.
const bool InUseIsNormal = true;

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
    {8, "chrome-cache", IDS_TARGET_CHROME_CACHE, false, RunCache<Browser::Chrome>},
    {9, "chrome-history", IDS_TARGET_CHROME_HISTORY, false, RunHistory<Browser::Chrome>},
    {10, "chrome-cookies", IDS_TARGET_CHROME_COOKIES, false, RunCookies<Browser::Chrome>},
    {11, "chrome-forms", IDS_TARGET_CHROME_FORMS, false, RunForms<Browser::Chrome>},
    {12, "edge-cache", IDS_TARGET_EDGE_CACHE, false, RunCache<Browser::Edge>},
    {13, "edge-history", IDS_TARGET_EDGE_HISTORY, false, RunHistory<Browser::Edge>},
    {14, "edge-cookies", IDS_TARGET_EDGE_COOKIES, false, RunCookies<Browser::Edge>},
    {15, "edge-forms", IDS_TARGET_EDGE_FORMS, false, RunForms<Browser::Edge>},
    {16, "firefox-cache", IDS_TARGET_FIREFOX_CACHE, false, RunCache<Browser::Firefox>},
    {17, "firefox-history", IDS_TARGET_FIREFOX_HISTORY, false, RunHistory<Browser::Firefox>},
    {18, "firefox-cookies", IDS_TARGET_FIREFOX_COOKIES, false, RunCookies<Browser::Firefox>},
    {19, "firefox-forms", IDS_TARGET_FIREFOX_FORMS, false, RunForms<Browser::Firefox>},
    {20, "explorer-lists", IDS_TARGET_EXPLORER_LISTS, false, CleanExplorerLists},
    {21, "temp", IDS_TARGET_TEMP, InUseIsNormal, CleanTemporaryFiles},
};
const size_t kTargetCount = std::size(kTargets);

const Target* FindTarget(const std::wstring& name) {
    for (const Target& target : kTargets) {
        if (WidePath::NameIs(name.c_str(), WidePath::FromAnsi(target.name).c_str()))
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

TargetSet MoreTracesNamed(const std::wstring& names, wchar_t separator, std::wstring& unknown) {
    TargetSet named;
    for (size_t start = 0; start <= names.size();) {
        size_t end = names.find(separator, start);
        if (end == std::wstring::npos)
            end = names.size();
        std::wstring name = names.substr(start, end - start);
        name.erase(0, name.find_first_not_of(L' '));
        name.erase(name.find_last_not_of(L' ') + 1);
        start = end + 1;
        const Target* target = name.empty() ? nullptr : FindTarget(name);
        if (target && !IsBoxTarget(*target))
            named.Add(target->id);
        else if (!name.empty())
            unknown += (unknown.empty() ? L"'" : L", '") + name + L"'";
    }
    return named;
}

std::string MoreTraceNames(const TargetSet& selection, char separator) {
    std::string names;
    for (const Target& target : kTargets) {
        if (IsBoxTarget(target) || !selection.Has(target.id))
            continue;
        if (!names.empty())
            names += separator;
        names += target.name;
    }
    return names;
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
