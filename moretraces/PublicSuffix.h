// Sites as browsers group cookies and storage today: a host belongs to its
// registrable domain, one label more than its public suffix, as the Public
// Suffix List decides ("mail.example.co.uk" belongs to "example.co.uk",
// "user.github.io" is a site of its own). The list is built into the program
// (cmake/public-suffix.cmake). Hosts are compared in lower-case ASCII, names
// outside ASCII in punycode, as the browsers store them.
#pragma once

#include <string>

namespace sites {

// The site `host` belongs to: its registrable domain; the host itself when
// it has none (an IP address, "localhost", a public suffix, a name of one
// label). `host` is in ASCII as browsers store it; a leading dot (a domain
// cookie's) and a trailing one do not count, nor do the brackets of an IPv6
// address.
std::string SiteOf(const std::string& host);

// Whether `host` is a public suffix itself ("co.uk", "github.io", "com"),
// under which no site of its own can be kept.
bool IsPublicSuffix(const std::string& host);

// The host a person typed or a browser's setting names, in lower-case ASCII
// (punycode outside ASCII, by IdnToAscii): a scheme, a port, a path, a
// leading "[*.]" or dot and a trailing dot go. Empty when it names no host.
std::string HostOfEntry(const std::wstring& entry);

} // namespace sites
