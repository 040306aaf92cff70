// The origins a browser names its stored site data by, read back from the
// names it gives them: a folder per origin, or a key of a row. Each belongs
// to one site, as cookies do: a partitioned origin (one a site's frame used
// under another site) to the top-level site it is partitioned under, any
// other to the site of its host.
#pragma once

#include <string>

struct StoredOrigin {
    std::string scheme;
    std::string host;
    // The host of the top-level site it is partitioned under; empty when none.
    std::string partitionHost;

    // Whether it is a web site's (http or https): the data of extensions and
    // of the browser's own pages is no site's, and never the trace's.
    bool IsWeb() const;
    // The host whose site the data belongs to.
    const std::string& OwnerHost() const { return partitionHost.empty() ? host : partitionHost; }
};

namespace origins {

// Chromium's folder of one origin: "https_www.example.com_443.indexeddb.leveldb"
// (and its ".indexeddb.blob" sibling). An empty scheme when the name is of
// another form.
StoredOrigin FromChromiumFolder(const std::wstring& name);

// Firefox's folder of one origin in storage\default (and its other
// repositories): "https+++www.example.com+8443", with the origin's attributes
// after a "^" ("^userContextId=1&partitionKey=%28https%2Csite.example%29").
StoredOrigin FromFirefoxFolder(const std::wstring& name);

// A row of Firefox's local storage: its origin attributes, and its origin key,
// the host reversed, ".", ":", the scheme, ":", the port
// ("moc.elpmaxe.www.:https:443").
StoredOrigin FromFirefoxKey(const std::string& attributes, const std::string& originKey);

// A service worker's registration in Firefox: its origin attributes and its
// scope ("https://www.example.com:8443/").
StoredOrigin FromFirefoxScope(const std::string& attributes, const std::string& scope);

} // namespace origins
