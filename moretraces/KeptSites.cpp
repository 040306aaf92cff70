#include "moretraces/KeptSites.h"

#include "moretraces/PublicSuffix.h"

#include <algorithm>

namespace {

std::vector<std::string>& KeptList() {
    static std::vector<std::string> kept;
    return kept;
}

} // namespace

namespace sites {

std::string KeptSiteOf(const std::wstring& entry) {
    const std::string host = HostOfEntry(entry);
    if (host.empty() || IsPublicSuffix(host))
        return std::string();
    return SiteOf(host);
}

void SetKept(const std::vector<std::wstring>& entries) {
    std::vector<std::string> kept;
    for (const std::wstring& entry : entries) {
        const std::string site = KeptSiteOf(entry);
        if (!site.empty())
            kept.push_back(site);
    }
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    KeptList() = std::move(kept);
}

const std::vector<std::string>& Kept() {
    return KeptList();
}

bool Keeps(const std::string& host) {
    const std::vector<std::string>& kept = KeptList();
    return !kept.empty() && std::binary_search(kept.begin(), kept.end(), SiteOf(host));
}

} // namespace sites
