// The traces beside the window's eight: what today's browsers of Chromium's
// and Firefox's families and Explorer keep, and the temporary files. Each
// operation runs one target over every profile of one browser, with the
// visitors of a clean or a preview.
#pragma once

#include "clean/Visitors.h"
#include "moretraces/BrowserProfiles.h"

// The contents of the profiles' cache folders; the folders stay.
void CleanBrowserCache(const Browser& browser, Visitors& visitors);
// Visits, searches, downloads and every address no bookmark names; the
// bookmarks keep their addresses and icons.
void CleanBrowserHistory(const Browser& browser, Visitors& visitors);
// Every cookie.
void CleanBrowserCookies(const Browser& browser, Visitors& visitors);
// What sites store besides cookies (local and session storage, IndexedDB,
// Cache Storage, service workers, the file system API); the kept sites' stay.
void CleanBrowserSiteData(const Browser& browser, Visitors& visitors);
// Form entries and saved addresses; search engines stay.
void CleanBrowserForms(const Browser& browser, Visitors& visitors);

// The Run box, address bar, search box and open/save dialog lists, and the
// recent documents Explorer lists; the keys stay.
void CleanExplorerLists(Visitors& visitors);
// The user's temporary folder, emptied but kept, with its "Low" folder;
// files other programs hold open stay.
void CleanTemporaryFiles(Visitors& visitors);
// Explorer's thumbnail caches (thumbcache_*.db); the icon caches stay, and so
// do the caches Explorer holds open.
void CleanThumbnails(Visitors& visitors);

// Office's lists of recent files and places (File MRU, Place MRU) of every
// version and program, and its recent links (%APPDATA%\Microsoft\Office\Recent);
// the keys and the folder stay.
void CleanOfficeRecent(Visitors& visitors);
// Whether one of those keys or the folder exists.
bool OfficeFound();
