// The sites a clean keeps signed in: their cookies stay, those of every
// other site go. The list is set once before a run (the window from its
// settings, the console from them and its command line); an empty list keeps
// nothing, so every cookie goes as before.
#pragma once

#include <string>
#include <vector>

namespace sites {

// The site an entry of the list names (a host, an address or a browser's
// pattern such as "[*.]example.com"), as a registrable domain in lower-case
// ASCII; empty when it names no host, or only a public suffix ("co.uk"),
// which no site can be kept under.
std::string KeptSiteOf(const std::wstring& entry);

// Sets the sites the runs that follow keep; entries naming no site are left out.
void SetKept(const std::vector<std::wstring>& entries);

// The kept sites, sorted, each once.
const std::vector<std::string>& Kept();

// Whether `host` (in ASCII, as a browser stores it) belongs to a kept site.
bool Keeps(const std::string& host);

} // namespace sites
