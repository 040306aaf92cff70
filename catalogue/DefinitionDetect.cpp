// How an entry is found on this PC.
#include "catalogue/Definitions.h"

#include "catalogue/BrowserTable.h"
#include "clean/WidePath.h"
#include "clean/Wildcard.h"
#include "moretraces/BrowserProfiles.h"
#include "platform/Handles.h"
#include "platform/Seams.h"

#include <algorithm>

namespace {

const DWORD MinorsPerMajor = 100;
const wchar_t Separator = L'\\';
const wchar_t AllEntries[] = L"\\*";
const wchar_t MozillaFolder[] = L"%AppData%\\Mozilla\\Firefox";
const wchar_t ThunderbirdFolder[] = L"%AppData%\\Thunderbird";
const wchar_t OperaFolder[] = L"%AppData%\\Opera Software";
// Long enough for one look at the chooser, short enough that a program
// installed meanwhile is found at the next.
const ULONGLONG CacheLifetimeMs = 2000;
// How many entries of a folder are looked up one by one before the folder is
// listed: most are asked about once or thousands of times.
const unsigned QuestionsBeforeListing = 3;
// "Software\Vendor": the first part of a key that entries share.
const size_t SharedKeyParts = 2;

DWORD WindowsVersion() {
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    platform::seam::RtlGetVersion(&version);
    return version.dwMajorVersion * MinorsPerMajor + version.dwMinorVersion;
}

bool InRange(const OsRange& os) {
    const DWORD version = WindowsVersion();
    return (os.low == 0 || version >= os.low) && (os.high == 0 || version <= os.high);
}

bool Exists(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

bool FolderOfVariable(const wchar_t* written, const DefinitionContext& context) {
    std::vector<std::wstring> paths;
    std::wstring why;
    return context.paths.Expand(written, paths, why) &&
           std::any_of(paths.begin(), paths.end(), [&](const std::wstring& path) {
               return context.detection->PathExists(path);
           });
}

bool SpecialFound(SpecialDetect special, const DefinitionContext& context) {
    switch (special) {
    case SpecialDetect::Chrome:
        return std::any_of(ChromiumBrowsers().begin(), ChromiumBrowsers().end(),
                           [](const BrowserRow& row) { return BrowserFound(row.browser); });
    case SpecialDetect::Mozilla:
        return FolderOfVariable(MozillaFolder, context);
    case SpecialDetect::Thunderbird:
        return FolderOfVariable(ThunderbirdFolder, context);
    default:
        return FolderOfVariable(OperaFolder, context);
    }
}

} // namespace

void DetectionCache::Expire() {
    const ULONGLONG now = GetTickCount64();
    if (now - m_since <= CacheLifetimeMs)
        return;
    m_listings.clear();
    m_keys.clear();
    m_subkeys.clear();
    m_since = now;
}

// A folder exists when its parent's listing holds its name, so a missing
// vendor's folder costs no call at all once its parent is listed. A drive's
// or share's root is taken to exist until its listing says otherwise.
DetectionCache::Listing& DetectionCache::ListingOf(const std::wstring& folder) {
    const std::wstring key = wildcard::Folded(folder);
    const auto known = m_listings.find(key);
    if (known != m_listings.end())
        return known->second;
    Listing listing;
    const size_t last = folder.rfind(Separator);
    const bool root =
        last == std::wstring::npos || WidePath::StartsWith(folder, WidePath::kUncStart);
    listing.exists = root || EntryExists(folder.substr(0, last), folder.substr(last + 1));
    // The references of an unordered_map stay valid as it grows.
    return m_listings.emplace(key, std::move(listing)).first->second;
}

void DetectionCache::List(const std::wstring& folder, Listing& listing) {
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(FindFirstFileExW(WidePath::ForApi(folder + AllEntries).c_str(),
                                               FindExInfoBasic, &entry, FindExSearchNameMatch,
                                               nullptr, FIND_FIRST_EX_LARGE_FETCH));
    const DWORD error = find ? ERROR_SUCCESS : GetLastError();
    listing.listed = true;
    listing.exists = find || error == ERROR_FILE_NOT_FOUND || error == ERROR_ACCESS_DENIED;
    listing.listable = find || error == ERROR_FILE_NOT_FOUND;
    if (find) {
        do
            listing.names.insert(wildcard::Folded(entry.cFileName));
        while (FindNextFileW(find.get(), &entry));
    }
}

// A wildcard is matched against the listing, so the folder is listed at once.
bool DetectionCache::EntryExists(const std::wstring& folder, const std::wstring& name) {
    Listing& listing = ListingOf(folder);
    if (!listing.exists)
        return false;
    const bool wild = wildcard::HasWildcard(name);
    if (!listing.listed && (wild || ++listing.asked >= QuestionsBeforeListing))
        List(folder, listing);
    if (!listing.exists)
        return false;
    if (!listing.listed || !listing.listable)
        return wild ? false : WidePath::Exists(WidePath::Join(folder, name));
    const std::wstring folded = wildcard::Folded(name);
    if (!wild)
        return listing.names.count(folded) != 0;
    return std::any_of(listing.names.begin(), listing.names.end(), [&](const std::wstring& entry) {
        return entry != L"." && entry != L".." && wildcard::FoldedMatches(entry, folded);
    });
}

bool DetectionCache::PathExists(const std::wstring& path) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Expire();
    const size_t last = path.rfind(Separator);
    if (last == std::wstring::npos)
        return ListingOf(path).exists;
    const std::wstring parent = path.substr(0, last), name = path.substr(last + 1);
    if (!wildcard::HasWildcard(parent))
        return EntryExists(parent, name);
    const std::vector<std::wstring> folders = wildcard::ExpandFolders(parent);
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::wstring& folder) { return EntryExists(folder, name); });
}

namespace {

// The hive and the view as two characters before the key, folded in place:
// thousands of keys are asked at once.
std::wstring KeyMemo(HKEY hive, REGSAM view, const std::wstring& key) {
    std::wstring memo;
    memo.reserve(key.size() + 2);
    memo += wchar_t(reinterpret_cast<ULONG_PTR>(hive) & 0xFFFF);
    memo += wchar_t(view);
    memo += key;
    wildcard::Fold(memo, 2);
    return memo;
}

} // namespace

// The key's subkeys, Folded; not `listable` when it cannot be opened or
// listed whole.
DetectionCache::Listing DetectionCache::Subkeys(HKEY hive, REGSAM view, const std::wstring& key) {
    Listing listing;
    platform::UniqueHKey opened;
    DWORD count = 0, longest = 0;
    if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | view,
                      opened.put()) != ERROR_SUCCESS ||
        RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return listing;
    std::vector<wchar_t> name(longest + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = DWORD(name.size());
        const LONG status = RegEnumKeyExW(opened.get(), index, name.data(), &length, nullptr,
                                          nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            return Listing();
        listing.names.insert(wildcard::Folded(std::wstring(name.data(), length)));
    }
    listing.exists = listing.listable = true;
    return listing;
}

// Whether `key` may exist, from its parent's subkeys, listed once: one
// listing of "Software" answers for every vendor that is missing. A parent
// that cannot be listed leaves the question to the key's opening.
LONG DetectionCache::Listed(HKEY hive, REGSAM view, const std::wstring& key) {
    const size_t last = key.rfind(Separator);
    const std::wstring parent = last == std::wstring::npos ? std::wstring() : key.substr(0, last);
    const std::wstring memo = KeyMemo(hive, view, parent);
    auto known = m_subkeys.find(memo);
    if (known == m_subkeys.end())
        known = m_subkeys.emplace(memo, Subkeys(hive, view, parent)).first;
    if (!known->second.listable)
        return Opened(hive, view, key);
    const std::wstring name = last == std::wstring::npos ? key : key.substr(last + 1);
    return known->second.names.count(wildcard::Folded(name)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG DetectionCache::Opened(HKEY hive, REGSAM view, const std::wstring& key) {
    const std::wstring memo = KeyMemo(hive, view, key);
    const auto known = m_keys.find(memo);
    if (known != m_keys.end())
        return known->second;
    platform::UniqueHKey opened;
    const LONG status = RegOpenKeyExW(hive, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.put());
    m_keys.emplace(memo, status);
    return status;
}

// The key's first parts are asked first and remembered: most entries'
// vendors are missing, and one listing of their parent answers for all.
bool DetectionCache::KeyExists(const RegistryPath& path) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Expire();
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        size_t shared = 0;
        for (size_t part = 0; part < SharedKeyParts && shared != std::wstring::npos; ++part)
            shared = path.key.find(Separator, shared + (part ? 1 : 0));
        const LONG first = shared == std::wstring::npos
                               ? ERROR_SUCCESS
                               : Listed(path.hive, view, path.key.substr(0, shared));
        if (first != ERROR_FILE_NOT_FOUND && Exists(Opened(path.hive, view, path.key)))
            return true;
        if (path.hive != HKEY_LOCAL_MACHINE)
            return false;
    }
    return false;
}

bool DefinitionFound(const Definition& entry, const DefinitionContext& context) {
    if (entry.os.given && !InRange(entry.os))
        return false;
    if (entry.detectKeys.empty() && entry.detectFiles.empty() && entry.special.empty())
        return true;
    DetectionCache& cache = *context.detection;
    return std::any_of(entry.detectKeys.begin(), entry.detectKeys.end(),
                       [&](const RegistryPath& key) { return cache.KeyExists(key); }) ||
           std::any_of(entry.detectFiles.begin(), entry.detectFiles.end(),
                       [&](const std::wstring& path) { return cache.PathExists(path); }) ||
           std::any_of(entry.special.begin(), entry.special.end(),
                       [&](SpecialDetect special) { return SpecialFound(special, context); });
}
