#include "moretraces/SiteSuggestions.h"

#include "clean/DatabaseCopy.h"
#include "clean/WidePath.h"
#include "moretraces/KeptSites.h"
#include "platform/WholeFile.h"
#include "platform/TextConversion.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <set>

namespace {

const wchar_t PreferencesFile[] = L"Preferences";
const LONGLONG LargestPreferences = 64 << 20;
const wchar_t* const ChromiumCookieFiles[] = {L"Network\\Cookies", L"Cookies"};
const char ChromiumCookieHosts[] = "SELECT host_key FROM cookies";
const wchar_t FirefoxPermissions[] = L"permissions.sqlite";
const char FirefoxAllowed[] =
    "SELECT origin FROM moz_perms WHERE type = 'cookie' AND permission = 1";
const wchar_t FirefoxCookies[] = L"cookies.sqlite";
const char FirefoxCookieHosts[] = "SELECT host FROM moz_cookies";
// A content-settings exception is "primary pattern,secondary pattern"; 1 allows.
const char PatternSeparator = ',';
const int Allow = 1;
const char SettingKey[] = "setting";

struct Found {
    std::set<std::string> allowed;
    std::map<std::string, size_t> cookies;
};

void AddAllowed(const std::wstring& entry, Found& found) {
    const std::string site = sites::KeptSiteOf(entry);
    if (!site.empty())
        found.allowed.insert(site);
}

// Every text the query gives, from the database read-only; none when it
// cannot be read.
std::vector<std::wstring> Texts(const std::wstring& path, const char* query) {
    std::vector<std::wstring> texts;
    DatabaseCopy db;
    if (WidePath::Exists(path) && !db.Open(path))
        database::Strings(db.get(), query, texts);
    return texts;
}

void CountCookies(const std::wstring& path, const char* query, Found& found) {
    for (const std::wstring& host : Texts(path, query)) {
        const std::string site = sites::KeptSiteOf(host);
        if (!site.empty())
            ++found.cookies[site];
    }
}

// The primary patterns of the cookie exceptions that allow, from the text
// of a "Preferences" file; none when it is not what the browser writes.
std::vector<std::string> AllowedPatterns(const std::string& text) {
    std::vector<std::string> patterns;
    const nlohmann::json preferences = nlohmann::json::parse(text, nullptr, false);
    const nlohmann::json::json_pointer cookies("/profile/content_settings/exceptions/cookies");
    if (!preferences.is_object() || !preferences.contains(cookies) ||
        !preferences.at(cookies).is_object())
        return patterns;
    for (const auto& exception : preferences.at(cookies).items()) {
        const nlohmann::json& value = exception.value();
        if (value.is_object() && value.contains(SettingKey) &&
            value.at(SettingKey).is_number_integer() && value.at(SettingKey).get<int>() == Allow)
            patterns.push_back(exception.key().substr(0, exception.key().find(PatternSeparator)));
    }
    return patterns;
}

void ReadChromium(const BrowserProfile& profile, Found& found) {
    const std::string text = platform::ReadWholeFile(
        WidePath::ForApi(WidePath::Join(profile.folder, PreferencesFile)), LargestPreferences);
    for (const std::string& pattern : AllowedPatterns(text))
        AddAllowed(platform::FromUtf8(pattern), found);
    for (const wchar_t* file : ChromiumCookieFiles)
        CountCookies(WidePath::Join(profile.folder, file), ChromiumCookieHosts, found);
}

void ReadFirefox(const BrowserProfile& profile, Found& found) {
    for (const std::wstring& origin :
         Texts(WidePath::Join(profile.folder, FirefoxPermissions), FirefoxAllowed))
        AddAllowed(origin, found);
    CountCookies(WidePath::Join(profile.folder, FirefoxCookies), FirefoxCookieHosts, found);
}

} // namespace

std::vector<std::string> SuggestedSites(const std::vector<const Browser*>& browsers,
                                        size_t mostCookies) {
    Found found;
    for (const Browser* browser : browsers) {
        for (const BrowserProfile& profile : ProfilesOf(*browser))
            (IsFirefoxFamily(*browser) ? ReadFirefox : ReadChromium)(profile, found);
    }
    std::vector<std::string> sites(found.allowed.begin(), found.allowed.end());
    std::vector<std::pair<size_t, std::string>> counted;
    for (const auto& site : found.cookies) {
        if (!found.allowed.count(site.first))
            counted.push_back({site.second, site.first});
    }
    std::stable_sort(counted.begin(), counted.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < counted.size() && i < mostCookies; ++i)
        sites.push_back(counted[i].second);
    return sites;
}
