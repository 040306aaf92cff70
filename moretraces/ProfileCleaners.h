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
} // namespace chromium

namespace firefox {
void CleanCache(const BrowserProfile& profile, Visitors& visitors);
void CleanHistory(const BrowserProfile& profile, Visitors& visitors);
void CleanCookies(const BrowserProfile& profile, Visitors& visitors);
void CleanForms(const BrowserProfile& profile, Visitors& visitors);
} // namespace firefox

// Every row of each table in `names` that the database holds.
RowPlan WholeTables(const std::vector<const char*>& names, const std::set<std::string>& tables);
