#include "moretraces/MoreTraces.h"
#include "moretraces/ProfileCleaners.h"

namespace {

// A profile whose browser runs is skipped as a whole, and said so.
void ForEachProfile(const Browser& browser, Visitors& visitors, ProfileCleaner chromiumClean,
                    ProfileCleaner firefoxClean) {
    for (const BrowserProfile& profile : ProfilesOf(browser)) {
        if (ProfileInUse(profile)) {
            visitors.notes.SkipProfile(profile.folder, InUseReason(profile));
            continue;
        }
        (IsFirefoxFamily(browser) ? firefoxClean : chromiumClean)(profile, visitors);
    }
}

} // namespace

RowPlan WholeTables(const std::vector<const char*>& names, const std::set<std::string>& tables) {
    RowPlan plan;
    for (const char* name : names) {
        if (tables.count(name))
            plan.changes.push_back({name, "1", ""});
    }
    return plan;
}

void CleanBrowserCache(const Browser& browser, Visitors& visitors) {
    ForEachProfile(browser, visitors, chromium::CleanCache, firefox::CleanCache);
}

void CleanBrowserHistory(const Browser& browser, Visitors& visitors) {
    ForEachProfile(browser, visitors, chromium::CleanHistory, firefox::CleanHistory);
}

void CleanBrowserCookies(const Browser& browser, Visitors& visitors) {
    ForEachProfile(browser, visitors, chromium::CleanCookies, firefox::CleanCookies);
}

void CleanBrowserSiteData(const Browser& browser, Visitors& visitors) {
    ForEachProfile(browser, visitors, chromium::CleanSiteData, firefox::CleanSiteData);
}

void CleanBrowserForms(const Browser& browser, Visitors& visitors) {
    ForEachProfile(browser, visitors, chromium::CleanForms, firefox::CleanForms);
}
