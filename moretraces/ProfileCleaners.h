// One profile's clean of each browser target. The browser's targets
// (BrowserTargets.cpp) run these over every profile whose browser does not
// run; each leaves everything it does not name exactly as it is.
#pragma once

#include "clean/Visitors.h"
#include "moretraces/BrowserProfiles.h"

#include <set>
#include <string>
#include <vector>

using ProfileCleaner = void (*)(const BrowserProfile& profile, Visitors& visitors);

namespace chromium {
void CleanCache(const BrowserProfile& profile, Visitors& visitors);
void CleanHistory(const BrowserProfile& profile, Visitors& visitors);
void CleanCookies(const BrowserProfile& profile, Visitors& visitors);
void CleanForms(const BrowserProfile& profile, Visitors& visitors);
void CleanSiteData(const BrowserProfile& profile, Visitors& visitors);
} // namespace chromium

namespace firefox {
void CleanCache(const BrowserProfile& profile, Visitors& visitors);
void CleanHistory(const BrowserProfile& profile, Visitors& visitors);
void CleanCookies(const BrowserProfile& profile, Visitors& visitors);
void CleanForms(const BrowserProfile& profile, Visitors& visitors);
void CleanSiteData(const BrowserProfile& profile, Visitors& visitors);

// The host of the top-level site that origin attributes ("^userContextId=1&
// partitionKey=%28https%2Csite.example%29", of a cookie, a storage row or an
// origin's folder) partition under; empty when they name none.
std::string PartitionHostOf(const std::string& attributes);
} // namespace firefox

// How a browser keys its cookies: the table, its host column, and the column
// that names a cookie's partition (and container), with how to read it.
struct CookieTable {
    const char* table;
    const char* host;
    const char* partition;
    // Whether a value of the partition column names a top-level site...
    bool (*isPartitioned)(const std::string& partition);
    // ...and that site's host.
    std::string (*partitionHost)(const std::string& partition);
};

// Removes the cookies of the database at `path`: every one, or, with sites
// to keep (moretraces/KeptSites.h), all but theirs. When those cannot be
// found, nothing goes and the notes say why.
void CleanCookieDatabase(const std::wstring& path, const CookieTable& table, Visitors& visitors);

// Every row of each table in `names` that the database holds.
RowPlan WholeTables(const std::vector<const char*>& names, const std::set<std::string>& tables);
