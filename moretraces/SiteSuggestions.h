// Sites the user may want to keep signed in, for the "Sites to keep" list to
// offer: never kept until the user adds them.
#pragma once

#include "moretraces/BrowserProfiles.h"

#include <string>
#include <vector>

// First the sites the browsers' own settings allow cookies for (Chromium's
// content-settings exceptions in "Preferences", Firefox's permissions.sqlite),
// then those with the most cookies, at most `mostCookies` of them; each once,
// in lower-case ASCII. Every profile of `browsers` is read, nothing changed.
std::vector<std::string> SuggestedSites(const std::vector<const Browser*>& browsers,
                                        size_t mostCookies);
