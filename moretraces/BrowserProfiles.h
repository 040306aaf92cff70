// Where the browsers keep their profiles, and whether a profile's browser
// runs. A browser is a row of data (catalogue/BrowserTable.cpp); its layout
// is one of three:
// - Chromium's: one "User Data" folder holds every profile ("Default",
//   "Profile 1"...) and one lock for all of them; each profile keeps its
//   caches inside it.
// - Opera's: the folder itself is the profile, with side profiles in
//   "_side_profiles", and holds the one lock; the caches are at the same path
//   below the local application data.
// - Firefox's: profiles.ini names the profiles, beside a "Profiles" folder
//   that may hold more; each profile has a lock of its own and keeps its
//   caches at the same path below the local application data.
#pragma once

#include <string>
#include <vector>

enum class ProfileLayout { UserData, ProfileFolder, ProfilesIni };

// The two halves of the user's application data.
enum class AppData { Local, Roaming };

struct Browser {
    // As a person reads it, in labels and the running-browser message: "Chrome
    // Beta", "Brave", "Firefox".
    const wchar_t* name;
    ProfileLayout layout;
    // Where its profiles are: `folder` below `profilesIn`.
    AppData profilesIn;
    const wchar_t* folder;
    // Where its caches are: the same path below `cachesIn` (the profile itself
    // when both halves are one).
    AppData cachesIn;
    // The file its running browser holds: in the folder for the layouts with
    // one lock, in each profile for Firefox's.
    const wchar_t* lock;
};

// Whether the browser is of Firefox's family (its profiles are cleaned as
// Firefox's); the others are of Chromium's.
inline bool IsFirefoxFamily(const Browser& browser) {
    return browser.layout == ProfileLayout::ProfilesIni;
}

struct BrowserProfile {
    const Browser* browser;
    // As the user knows it: "Default", "Profile 1", Firefox's folder name.
    std::wstring name;
    // The folder with the profile's databases.
    std::wstring folder;
    // The folder with its caches (the same folder when they are inside it).
    std::wstring localFolder;
    // The lock its running browser holds.
    std::wstring lock;
};

// Whether `browser` keeps its profiles on this machine, for the current
// user: its folder exists (for Firefox's layout: its profiles.ini or its
// "Profiles" folder). Quick: nothing is listed or read.
bool BrowserFound(const Browser& browser);

// Every profile of `browser` on this machine, for the current user; none
// when the browser was never used here.
std::vector<BrowserProfile> ProfilesOf(const Browser& browser);

// The folders that hold the browser's profiles, whether they exist or not:
// its folder and the one of its caches, and for Firefox's layout every
// profile found elsewhere too. Nothing but Quenby's own cleaners may change them.
std::vector<std::wstring> ProfileRoots(const Browser& browser);

// Whether the profile's browser runs, by the browser's own lock (also a
// browser with no window open, running in the background).
bool ProfileInUse(const BrowserProfile& profile);

// What a person can do about a profile in use, in one sentence.
std::wstring InUseReason(const BrowserProfile& profile);
