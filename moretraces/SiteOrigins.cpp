#include "moretraces/SiteOrigins.h"

#include "moretraces/ProfileCleaners.h"
#include "platform/TextConversion.h"

#include <algorithm>

namespace {

const char* const WebSchemes[] = {"http", "https"};
// Chromium: scheme, host and port joined by "_", then the kind of store.
const char ChromiumSeparator = '_';
const char ChromiumStoreStart[] = ".indexeddb.";
// Firefox: "scheme+++host+port^attributes", the port left out when it is the
// scheme's own.
const char FirefoxSchemeEnd[] = "+++";
const char FirefoxPortStart = '+';
const char AttributesStart = '^';
// An origin key: the reversed host ends in "." before the scheme's ":".
const char KeyField = ':';
const char ReversedHostEnd = '.';
const char UrlSchemeEnd[] = "://";
const char* const UrlHostEnds = ":/?#";

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool StoredOrigin::IsWeb() const {
    return !host.empty() &&
           std::find(std::begin(WebSchemes), std::end(WebSchemes), scheme) != std::end(WebSchemes);
}

namespace origins {

StoredOrigin FromChromiumFolder(const std::wstring& name) {
    const std::string text = platform::ToUtf8(name);
    const std::string origin = text.substr(0, text.find(ChromiumStoreStart));
    const size_t schemeEnd = origin.find(ChromiumSeparator);
    const size_t portStart = origin.rfind(ChromiumSeparator);
    if (schemeEnd == std::string::npos || portStart <= schemeEnd ||
        !AllDigits(origin.substr(portStart + 1)))
        return StoredOrigin();
    return {origin.substr(0, schemeEnd), origin.substr(schemeEnd + 1, portStart - schemeEnd - 1),
            std::string()};
}

StoredOrigin FromFirefoxFolder(const std::wstring& name) {
    const std::string text = platform::ToUtf8(name);
    const size_t attributes = std::min(text.find(AttributesStart), text.size());
    const std::string origin = text.substr(0, attributes);
    const size_t schemeEnd = origin.find(FirefoxSchemeEnd);
    if (schemeEnd == std::string::npos)
        return StoredOrigin();
    std::string host = origin.substr(schemeEnd + sizeof FirefoxSchemeEnd - 1);
    const size_t port = host.rfind(FirefoxPortStart);
    if (port != std::string::npos && AllDigits(host.substr(port + 1)))
        host.erase(port);
    return {origin.substr(0, schemeEnd), host, firefox::PartitionHostOf(text.substr(attributes))};
}

StoredOrigin FromFirefoxKey(const std::string& attributes, const std::string& originKey) {
    const size_t hostEnd = originKey.find(KeyField);
    if (hostEnd == std::string::npos)
        return StoredOrigin();
    const size_t schemeEnd = originKey.find(KeyField, hostEnd + 1);
    std::string host = originKey.substr(0, hostEnd);
    std::reverse(host.begin(), host.end());
    if (!host.empty() && host[0] == ReversedHostEnd)
        host.erase(0, 1);
    return {originKey.substr(hostEnd + 1, schemeEnd == std::string::npos ? std::string::npos
                                                                         : schemeEnd - hostEnd - 1),
            host, firefox::PartitionHostOf(attributes)};
}

StoredOrigin FromFirefoxScope(const std::string& attributes, const std::string& scope) {
    const size_t schemeEnd = scope.find(UrlSchemeEnd);
    if (schemeEnd == std::string::npos)
        return StoredOrigin();
    const size_t hostStart = schemeEnd + sizeof UrlSchemeEnd - 1;
    const size_t hostEnd = std::min(scope.find_first_of(UrlHostEnds, hostStart), scope.size());
    return {scope.substr(0, schemeEnd), scope.substr(hostStart, hostEnd - hostStart),
            firefox::PartitionHostOf(attributes)};
}

} // namespace origins
