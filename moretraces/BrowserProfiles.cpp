#include "moretraces/BrowserProfiles.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"
#include "platform/UnicodeIniCopy.h"

#include <shlobj.h>

#include <algorithm>
#include <knownfolders.h>

namespace {

const wchar_t ChromeUserData[] = L"Google\\Chrome\\User Data";
const wchar_t EdgeUserData[] = L"Microsoft\\Edge\\User Data";
const wchar_t DefaultProfile[] = L"Default";
const wchar_t NumberedProfile[] = L"Profile ";
const wchar_t ChromiumLock[] = L"lockfile";
const wchar_t FirefoxRoot[] = L"Mozilla\\Firefox";
const wchar_t FirefoxIni[] = L"profiles.ini";
const wchar_t FirefoxProfiles[] = L"Profiles";
const wchar_t FirefoxLock[] = L"parent.lock";
const wchar_t ProfileSection[] = L"Profile";
const wchar_t PathKey[] = L"Path";
const wchar_t IsRelativeKey[] = L"IsRelative";
const DWORD IniTextSize = 32768;
const wchar_t AllEntries[] = L"\\*";

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(WidePath::ForApi(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names of the plain subfolders of `folder`, links left out.
std::vector<std::wstring> Subfolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(
        FindFirstFileW(WidePath::ForApi(folder + AllEntries).c_str(), &entry));
    if (!find)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && name != L"." &&
            name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring ChromiumUserData(Browser browser) {
    const std::wstring local = platform::KnownFolderPath(FOLDERID_LocalAppData);
    if (local.empty())
        return local;
    return WidePath::Join(local, browser == Browser::Chrome ? ChromeUserData : EdgeUserData);
}

std::vector<BrowserProfile> ChromiumProfiles(Browser browser) {
    std::vector<BrowserProfile> profiles;
    const std::wstring userData = ChromiumUserData(browser);
    if (userData.empty())
        return profiles;
    for (const std::wstring& name : Subfolders(userData)) {
        if (name == DefaultProfile ||
            name.compare(0, wcslen(NumberedProfile), NumberedProfile) == 0) {
            const std::wstring folder = WidePath::Join(userData, name);
            profiles.push_back({browser, name, folder, folder});
        }
    }
    return profiles;
}

std::wstring IniText(const std::wstring& ini, const std::wstring& section, const wchar_t* key) {
    std::vector<wchar_t> text(IniTextSize);
    GetPrivateProfileStringW(section.c_str(), key, L"", text.data(), IniTextSize, ini.c_str());
    return text.data();
}

// profiles.ini writes paths with forward slashes, relative to its own folder
// unless IsRelative is 0.
std::wstring IniProfileFolder(const std::wstring& root, const std::wstring& ini,
                              const std::wstring& section) {
    std::wstring path = IniText(ini, section, PathKey);
    if (path.empty())
        return path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (IniText(ini, section, IsRelativeKey) == L"0")
        return path;
    return WidePath::Join(root, path);
}

std::vector<std::wstring> IniSections(const std::wstring& ini) {
    std::vector<wchar_t> names(IniTextSize);
    const DWORD length = GetPrivateProfileSectionNamesW(names.data(), IniTextSize, ini.c_str());
    std::vector<std::wstring> sections;
    for (const wchar_t* name = names.data(); name < names.data() + length && *name;
         name += wcslen(name) + 1)
        sections.push_back(name);
    return sections;
}

// The folder name below "Profiles" names the local half too; a profile kept
// elsewhere keeps its cache in its own folder.
BrowserProfile FirefoxProfile(const std::wstring& folder, const std::wstring& profilesRoot,
                              const std::wstring& localProfilesRoot) {
    const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    const bool underProfiles =
        CompareStringOrdinal(folder.c_str(), int(folder.size() - name.size() - 1),
                             profilesRoot.c_str(), int(profilesRoot.size()), TRUE) == CSTR_EQUAL;
    const std::wstring local = underProfiles && !localProfilesRoot.empty()
                                   ? WidePath::Join(localProfilesRoot, name)
                                   : folder;
    return {Browser::Firefox, name, folder, local};
}

std::vector<BrowserProfile> FirefoxProfilesFound() {
    std::vector<BrowserProfile> profiles;
    const std::wstring roaming = platform::KnownFolderPath(FOLDERID_RoamingAppData);
    if (roaming.empty())
        return profiles;
    const std::wstring root = WidePath::Join(roaming, FirefoxRoot);
    // Firefox writes profiles.ini in UTF-8, a path outside the code page too.
    const platform::UnicodeIniCopy copy(WidePath::Join(root, FirefoxIni));
    const std::wstring& ini = copy.Path();
    const std::wstring profilesRoot = WidePath::Join(root, FirefoxProfiles);
    const std::wstring local = platform::KnownFolderPath(FOLDERID_LocalAppData);
    const std::wstring localRoot =
        local.empty() ? local : WidePath::Join(WidePath::Join(local, FirefoxRoot), FirefoxProfiles);
    std::vector<std::wstring> folders;
    for (const std::wstring& section : IniSections(ini)) {
        if (section.compare(0, wcslen(ProfileSection), ProfileSection) != 0)
            continue;
        const std::wstring folder = IniProfileFolder(root, ini, section);
        if (!folder.empty() && IsFolder(folder))
            folders.push_back(folder);
    }
    for (const std::wstring& name : Subfolders(profilesRoot))
        folders.push_back(WidePath::Join(profilesRoot, name));
    for (const std::wstring& folder : folders) {
        const bool known =
            std::any_of(profiles.begin(), profiles.end(), [&](const BrowserProfile& p) {
                return WidePath::NameIs(p.folder.c_str(), folder.c_str());
            });
        if (!known)
            profiles.push_back(FirefoxProfile(folder, profilesRoot, localRoot));
    }
    return profiles;
}

// Whether `lock` exists and cannot be opened as asked: its browser holds it.
bool Held(const std::wstring& lock, DWORD access, DWORD sharing) {
    platform::UniqueFile file(CreateFileW(WidePath::ForApi(lock).c_str(), access, sharing, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

const wchar_t* BrowserName(Browser browser) {
    switch (browser) {
    case Browser::Chrome:
        return L"Chrome";
    case Browser::Edge:
        return L"Edge";
    default:
        return L"Firefox";
    }
}

bool BrowserFound(Browser browser) {
    if (browser != Browser::Firefox) {
        const std::wstring userData = ChromiumUserData(browser);
        return !userData.empty() && IsFolder(userData);
    }
    const std::wstring roaming = platform::KnownFolderPath(FOLDERID_RoamingAppData);
    if (roaming.empty())
        return false;
    const std::wstring root = WidePath::Join(roaming, FirefoxRoot);
    return GetFileAttributesW(WidePath::ForApi(WidePath::Join(root, FirefoxIni)).c_str()) !=
               INVALID_FILE_ATTRIBUTES ||
           IsFolder(WidePath::Join(root, FirefoxProfiles));
}

std::vector<BrowserProfile> ProfilesOf(Browser browser) {
    return browser == Browser::Firefox ? FirefoxProfilesFound() : ChromiumProfiles(browser);
}

std::vector<std::wstring> ProfileRoots() {
    std::vector<std::wstring> roots;
    for (Browser browser : {Browser::Chrome, Browser::Edge}) {
        const std::wstring userData = ChromiumUserData(browser);
        if (!userData.empty())
            roots.push_back(userData);
    }
    const std::wstring roaming = platform::KnownFolderPath(FOLDERID_RoamingAppData);
    const std::wstring local = platform::KnownFolderPath(FOLDERID_LocalAppData);
    if (!roaming.empty())
        roots.push_back(WidePath::Join(roaming, FirefoxRoot));
    if (!local.empty())
        roots.push_back(WidePath::Join(WidePath::Join(local, FirefoxRoot), FirefoxProfiles));
    for (const BrowserProfile& profile : FirefoxProfilesFound()) {
        roots.push_back(profile.folder);
        roots.push_back(profile.localFolder);
    }
    return roots;
}

// Chromium holds "User Data\lockfile" without write sharing while it runs,
// background mode included; Firefox holds each profile's "parent.lock"
// without any sharing. Opening either changes nothing in it.
bool ProfileInUse(const BrowserProfile& profile) {
    if (profile.browser == Browser::Firefox)
        return Held(WidePath::Join(profile.folder, FirefoxLock), GENERIC_READ, 0);
    const std::wstring userData = profile.folder.substr(0, profile.folder.find_last_of(L'\\'));
    return Held(WidePath::Join(userData, ChromiumLock), GENERIC_WRITE,
                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

std::wstring InUseReason(const BrowserProfile& profile) {
    const std::wstring background =
        profile.browser == Browser::Firefox ? L"" : L", including its background process,";
    return std::wstring(BrowserName(profile.browser)) + L" is running (profile \"" + profile.name +
           L"\"): close it" + background + L" and clean again";
}
