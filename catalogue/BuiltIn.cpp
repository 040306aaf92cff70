// The built-in catalogue: the window's eight, the browsers of both families
// (catalogue/BrowserTable.cpp) and Windows.
#include "catalogue/Catalogue.h"

#include "catalogue/BrowserTable.h"
#include "catalogue/CleanTarget.h"
#include "catalogue/Definitions.h"
#include "clean/Cleaner.h"
#include "moretraces/MoreTraces.h"
#include "res/resource.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

std::wstring Text(UINT id) {
    return CatalogueText(id);
}

// In the order of their CleanTarget ids.
struct WindowTrace {
    const wchar_t* name;
    UINT label;
    void (*run)(Visitors& visitors);
};
const WindowTrace kWindowTraces[] = {
    {L"realplayer", IDS_TARGET_REALPLAYER,
     [](Visitors& v) { Cleaner().CleanRealPlayer(v.registry); }},
    {L"mediaplayer", IDS_TARGET_MEDIAPLAYER,
     [](Visitors& v) { Cleaner().CleanMediaPlayer(v.registry); }},
    {L"recent", IDS_TARGET_RECENTDOCUMENTS, [](Visitors& v) { Cleaner().CleanRecentDocuments(v); }},
    {L"history", IDS_TARGET_IEHISTORY, [](Visitors& v) { Cleaner().CleanIEHistory(v.folders); }},
    {L"typed-urls", IDS_TARGET_IEADDRESSBAR,
     [](Visitors& v) { Cleaner().CleanTypedUrls(v.registry); }},
    {L"autocomplete", IDS_TARGET_IEAUTOCOMPLETE,
     [](Visitors& v) { Cleaner().CleanAutoComplete(v.registry); }},
    {L"forms", IDS_TARGET_IEPASSWORDS,
     [](Visitors& v) { Cleaner().CleanIntelliForms(v.registry); }},
    {L"recycle-bin", IDS_TARGET_RECYCLEBIN,
     [](Visitors& v) { Cleaner().EmptyRecycleBin(v.shell); }},
};
static_assert(std::size(kWindowTraces) == CleanTargetCount, "one trace per check box");

struct Description {
    UINT goes;
    UINT stays;
    UINT warning;
};

// What each browser cleans, in the order of a clean; its name is the
// browser's prefix and the suffix ("chrome-cache"), its label the browser's
// name in the kind's label ("Chrome: cache").
struct BrowserKind {
    const wchar_t* suffix;
    UINT label;
    UINT item;
    void (*clean)(const Browser& browser, Visitors& visitors);
    Description chromium;
    Description firefox;
};
const BrowserKind kBrowserKinds[] = {
    {L"-cache",
     IDS_LABEL_BROWSER_CACHE,
     IDS_ITEM_CACHE,
     CleanBrowserCache,
     {IDS_GOES_CHROMIUM_CACHE, IDS_STAYS_CHROMIUM_CACHE, 0},
     {IDS_GOES_FIREFOX_CACHE, IDS_STAYS_FIREFOX_CACHE, 0}},
    {L"-history",
     IDS_LABEL_BROWSER_HISTORY,
     IDS_ITEM_HISTORY,
     CleanBrowserHistory,
     {IDS_GOES_CHROMIUM_HISTORY, IDS_STAYS_CHROMIUM_HISTORY, 0},
     {IDS_GOES_FIREFOX_HISTORY, IDS_STAYS_FIREFOX_HISTORY, 0}},
    {L"-cookies",
     IDS_LABEL_BROWSER_COOKIES,
     IDS_ITEM_COOKIES,
     CleanBrowserCookies,
     {IDS_GOES_COOKIES, IDS_STAYS_COOKIES, IDS_WARN_COOKIES},
     {IDS_GOES_COOKIES, IDS_STAYS_COOKIES, IDS_WARN_COOKIES}},
    {L"-site-data",
     IDS_LABEL_BROWSER_SITE_DATA,
     IDS_ITEM_SITE_DATA,
     CleanBrowserSiteData,
     {IDS_GOES_SITE_DATA, IDS_STAYS_CHROMIUM_SITE_DATA, IDS_WARN_SITE_DATA},
     {IDS_GOES_SITE_DATA, IDS_STAYS_FIREFOX_SITE_DATA, IDS_WARN_SITE_DATA}},
    {L"-forms",
     IDS_LABEL_BROWSER_FORMS,
     IDS_ITEM_FORMS,
     CleanBrowserForms,
     {IDS_GOES_CHROMIUM_FORMS, IDS_STAYS_FORMS, IDS_WARN_CHROMIUM_FORMS},
     {IDS_GOES_FIREFOX_FORMS, IDS_STAYS_FORMS, IDS_WARN_FIREFOX_FORMS}},
};
// Where a kind's label takes the browser's name.
const wchar_t BrowserNamePlace[] = L"%1";

const char WindowsKey[] = "windows";
// Files held open are normal in the temporary folder and among Explorer's
// thumbnails: they are kept, and no failure.
const bool InUseIsNormal = true;

Trace Described(const wchar_t* name, const std::wstring& label, UINT item,
                const Description& description, std::function<void(Visitors&)> run) {
    Trace trace;
    trace.name = name;
    trace.label = label;
    trace.itemLabel = Text(item);
    trace.goes = Text(description.goes);
    trace.stays = Text(description.stays);
    trace.warning = Text(description.warning);
    trace.run = std::move(run);
    return trace;
}

Program Named(const char* key, std::wstring name, UINT category, std::function<bool()> found) {
    return {key, std::move(name), Text(category), std::move(found), {}};
}

// The kind's label with the browser's name in its place.
std::wstring BrowserLabel(const BrowserKind& kind, const Browser& browser) {
    std::wstring label = Text(kind.label);
    const size_t place = label.find(BrowserNamePlace);
    if (place != std::wstring::npos)
        label.replace(place, wcslen(BrowserNamePlace), browser.name);
    return label;
}

void AddBrowser(Catalogue& catalogue, const BrowserRow& row) {
    const Browser* browser = &row.browser;
    const std::wstring prefix(row.key, row.key + strlen(row.key));
    std::vector<Trace> traces;
    for (const BrowserKind& kind : kBrowserKinds) {
        const Description& description = IsFirefoxFamily(*browser) ? kind.firefox : kind.chromium;
        traces.push_back(Described(
            (prefix + kind.suffix).c_str(), BrowserLabel(kind, *browser), kind.item, description,
            [browser, clean = kind.clean](Visitors& v) { clean(*browser, v); }));
    }
    catalogue.AddProgram(Named(row.key, row.program, IDS_CATEGORY_BROWSERS,
                               [browser] { return BrowserFound(*browser); }),
                         std::move(traces));
}

void AddWindows(Catalogue& catalogue) {
    std::vector<Trace> traces;
    traces.push_back(
        Described(L"explorer-lists", Text(IDS_TARGET_EXPLORER_LISTS), IDS_ITEM_EXPLORER_LISTS,
                  {IDS_GOES_EXPLORER_LISTS, IDS_STAYS_EXPLORER_LISTS, 0}, CleanExplorerLists));
    traces.push_back(Described(L"temp", Text(IDS_TARGET_TEMP), IDS_ITEM_TEMP,
                               {IDS_GOES_TEMP, IDS_STAYS_TEMP, 0}, CleanTemporaryFiles));
    traces.back().inUseIsNormal = InUseIsNormal;
    traces.push_back(
        Described(L"office-recent", Text(IDS_TARGET_OFFICE_RECENT), IDS_ITEM_OFFICE_RECENT,
                  {IDS_GOES_OFFICE_RECENT, IDS_STAYS_OFFICE_RECENT, 0}, CleanOfficeRecent));
    traces.back().found = OfficeFound;
    traces.push_back(Described(L"thumbnails", Text(IDS_TARGET_THUMBNAILS), IDS_ITEM_THUMBNAILS,
                               {IDS_GOES_THUMBNAILS, IDS_STAYS_THUMBNAILS, 0}, CleanThumbnails));
    traces.back().inUseIsNormal = InUseIsNormal;
    catalogue.AddProgram(
        Named(WindowsKey, Text(IDS_PROGRAM_WINDOWS), IDS_CATEGORY_WINDOWS, [] { return true; }),
        std::move(traces));
}

} // namespace

Catalogue Catalogue::BuiltInTraces() {
    Catalogue catalogue;
    for (const WindowTrace& window : kWindowTraces) {
        Trace trace;
        trace.name = window.name;
        trace.label = Text(window.label);
        trace.itemLabel = trace.label;
        trace.run = window.run;
        catalogue.AddWindowTrace(std::move(trace));
    }
    for (const BrowserRow& row : ChromiumBrowsers())
        AddBrowser(catalogue, row);
    for (const BrowserRow& row : FirefoxBrowsers())
        AddBrowser(catalogue, row);
    AddWindows(catalogue);
    return catalogue;
}

std::wstring CatalogueText(UINT id) {
    const wchar_t* text = nullptr;
    // A buffer size of 0 answers a pointer to the resource itself, however long.
    const int length =
        id ? LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0) : 0;
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

const Catalogue& Catalogue::BuiltIn() {
    static const Catalogue catalogue = [] {
        Catalogue built = BuiltInTraces();
        AddDefinitions(built, ProcessDefinitions());
        return built;
    }();
    return catalogue;
}
