// Where each browser keeps its profiles, as its own source or documentation
// says (README, "More traces", lists the sources). Chromium puts the user
// data of "<company>\<product><channel suffix>" in "User Data" below the local
// application data, and holds "lockfile" there while it runs; Firefox's
// family keeps profiles.ini in "<vendor>\<product>" below the roaming half
// and each profile's "parent.lock" in it.
#include "catalogue/BrowserTable.h"

namespace {

const wchar_t ChromiumLock[] = L"lockfile";
const wchar_t FirefoxLock[] = L"parent.lock";

constexpr ProfileLayout UserData = ProfileLayout::UserData;
constexpr ProfileLayout ProfileFolder = ProfileLayout::ProfileFolder;
constexpr ProfileLayout ProfilesIni = ProfileLayout::ProfilesIni;
constexpr AppData Local = AppData::Local;
constexpr AppData Roaming = AppData::Roaming;

} // namespace

// Columns: prefix, program; name, layout, profiles below, folder, caches
// below, lock.
const std::vector<BrowserRow>& ChromiumBrowsers() {
    static const std::vector<BrowserRow> rows = {
        {"chrome",
         L"Google Chrome",
         {L"Chrome", UserData, Local, L"Google\\Chrome\\User Data", Local, ChromiumLock}},
        {"chrome-beta",
         L"Google Chrome Beta",
         {L"Chrome Beta", UserData, Local, L"Google\\Chrome Beta\\User Data", Local, ChromiumLock}},
        {"chrome-dev",
         L"Google Chrome Dev",
         {L"Chrome Dev", UserData, Local, L"Google\\Chrome Dev\\User Data", Local, ChromiumLock}},
        {"chrome-canary",
         L"Google Chrome Canary",
         {L"Chrome Canary", UserData, Local, L"Google\\Chrome SxS\\User Data", Local,
          ChromiumLock}},
        {"edge",
         L"Microsoft Edge",
         {L"Edge", UserData, Local, L"Microsoft\\Edge\\User Data", Local, ChromiumLock}},
        {"edge-beta",
         L"Microsoft Edge Beta",
         {L"Edge Beta", UserData, Local, L"Microsoft\\Edge Beta\\User Data", Local, ChromiumLock}},
        {"edge-dev",
         L"Microsoft Edge Dev",
         {L"Edge Dev", UserData, Local, L"Microsoft\\Edge Dev\\User Data", Local, ChromiumLock}},
        {"edge-canary",
         L"Microsoft Edge Canary",
         {L"Edge Canary", UserData, Local, L"Microsoft\\Edge SxS\\User Data", Local, ChromiumLock}},
        {"brave",
         L"Brave",
         {L"Brave", UserData, Local, L"BraveSoftware\\Brave-Browser\\User Data", Local,
          ChromiumLock}},
        {"brave-beta",
         L"Brave Beta",
         {L"Brave Beta", UserData, Local, L"BraveSoftware\\Brave-Browser-Beta\\User Data", Local,
          ChromiumLock}},
        {"brave-dev",
         L"Brave Dev",
         {L"Brave Dev", UserData, Local, L"BraveSoftware\\Brave-Browser-Dev\\User Data", Local,
          ChromiumLock}},
        {"brave-nightly",
         L"Brave Nightly",
         {L"Brave Nightly", UserData, Local, L"BraveSoftware\\Brave-Browser-Nightly\\User Data",
          Local, ChromiumLock}},
        {"vivaldi",
         L"Vivaldi",
         {L"Vivaldi", UserData, Local, L"Vivaldi\\User Data", Local, ChromiumLock}},
        {"opera",
         L"Opera",
         {L"Opera", ProfileFolder, Roaming, L"Opera Software\\Opera Stable", Local, ChromiumLock}},
        {"opera-gx",
         L"Opera GX",
         {L"Opera GX", ProfileFolder, Roaming, L"Opera Software\\Opera GX Stable", Local,
          ChromiumLock}},
        {"chromium",
         L"Chromium",
         {L"Chromium", UserData, Local, L"Chromium\\User Data", Local, ChromiumLock}},
        {"yandex",
         L"Yandex Browser",
         {L"Yandex", UserData, Local, L"Yandex\\YandexBrowser\\User Data", Local, ChromiumLock}},
    };
    return rows;
}

// Firefox Developer Edition and Nightly keep their profiles in Firefox's own
// profiles.ini, and are cleaned as Firefox.
const std::vector<BrowserRow>& FirefoxBrowsers() {
    static const std::vector<BrowserRow> rows = {
        {"firefox",
         L"Mozilla Firefox",
         {L"Firefox", ProfilesIni, Roaming, L"Mozilla\\Firefox", Local, FirefoxLock}},
        {"librewolf",
         L"LibreWolf",
         {L"LibreWolf", ProfilesIni, Roaming, L"librewolf", Local, FirefoxLock}},
        {"waterfox",
         L"Waterfox",
         {L"Waterfox", ProfilesIni, Roaming, L"Waterfox", Local, FirefoxLock}},
    };
    return rows;
}
