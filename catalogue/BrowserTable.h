// The browsers Quenby cleans, as data: one row per browser and channel, each
// a program of its own with the same four traces. Adding a browser is adding
// a row; the cleaners, the preview, the chooser and the console take their
// targets from here.
#pragma once

#include "moretraces/BrowserProfiles.h"

#include <vector>

struct BrowserRow {
    // The console prefix: its traces are "<key>-cache", "<key>-history"...
    const char* key;
    // As people know it, the program in the chooser: "Google Chrome Beta".
    const wchar_t* program;
    // Its short name (labels, the running-browser message) and where its
    // profiles, caches and lock are.
    Browser browser;
};

// Chromium's family, each in the order of the chooser.
const std::vector<BrowserRow>& ChromiumBrowsers();
// Firefox's family.
const std::vector<BrowserRow>& FirefoxBrowsers();
