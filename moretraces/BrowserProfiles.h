// Where the browsers keep their profiles, and whether a profile's browser
// runs. Chrome and Edge keep every profile ("Default", "Profile 1"...) in one
// "User Data" folder with one lock for all of them; Firefox names its
// profiles in profiles.ini, beside a "Profiles" folder that may hold more,
// and keeps each one's cache in a local half of the same name.
#pragma once

#include <string>
#include <vector>

enum class Browser { Chrome, Edge, Firefox };

struct BrowserProfile {
    Browser browser;
    // As the user knows it: "Default", "Profile 1", Firefox's folder name.
    std::wstring name;
    // The folder with the profile's databases.
    std::wstring folder;
    // The folder with its caches (Firefox's local half; the same folder for
    // the others).
    std::wstring localFolder;
};

// The browser's name as a person reads it: "Chrome", "Edge", "Firefox".
const wchar_t* BrowserName(Browser browser);

// Whether `browser` keeps its profiles on this machine, for the current
// user: Chrome's or Edge's "User Data" folder, Firefox's profiles.ini or its
// "Profiles" folder exists. Quick: nothing is listed or read.
bool BrowserFound(Browser browser);

// Every profile of `browser` on this machine, for the current user; none
// when the browser was never used here.
std::vector<BrowserProfile> ProfilesOf(Browser browser);

// The folders that hold the profiles this file knows of, whether they exist
// or not: Chrome's and Edge's "User Data", Firefox's own folder (with its
// profiles.ini) and the local half of its "Profiles", and every Firefox
// profile found elsewhere. Nothing but these cleaners may change them.
std::vector<std::wstring> ProfileRoots();

// Whether the profile's browser runs, by the browser's own lock (also a
// browser with no window open, running in the background).
bool ProfileInUse(const BrowserProfile& profile);

// What a person can do about a profile in use, in one sentence.
std::wstring InUseReason(const BrowserProfile& profile);
