#include "moretraces/BrowserProfiles.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"
#include "platform/UnicodeIniCopy.h"

#include <shlobj.h>

#include <algorithm>
#include <knownfolders.h>

namespace {

const wchar_t DefaultProfile[] = L"Default";
const wchar_t NumberedProfile[] = L"Profile ";
// Opera keeps the profiles beside its first one here, one folder each.
const wchar_t SideProfiles[] = L"_side_profiles";
const wchar_t FirefoxIni[] = L"profiles.ini";
const wchar_t FirefoxProfiles[] = L"Profiles";
const wchar_t ProfileSection[] = L"Profile";
const wchar_t PathKey[] = L"Path";
const wchar_t IsRelativeKey[] = L"IsRelative";
const DWORD IniTextSize = 32768;
const wchar_t AllEntries[] = L"\\*";
const wchar_t RunningText[] = L" is running (profile \"";
const wchar_t CloseText[] = L"\"): close it";
const wchar_t BackgroundText[] = L", including its background process,";
const wchar_t AgainText[] = L" and clean again";

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

// `folder` below the half of the application data; empty when the platform
// does not tell where that is.
std::wstring Below(AppData half, const wchar_t* folder) {
    const std::wstring root = platform::KnownFolderPath(
        half == AppData::Local ? FOLDERID_LocalAppData : FOLDERID_RoamingAppData);
    return root.empty() ? root : WidePath::Join(root, folder);
}

// The browser's folder and the one of its caches.
struct Roots {
    std::wstring profiles;
    std::wstring caches;
};

Roots RootsOf(const Browser& browser) {
    return {Below(browser.profilesIn, browser.folder), Below(browser.cachesIn, browser.folder)};
}

// Whether `path` is `root` or lies below it.
bool IsWithin(const std::wstring& path, const std::wstring& root) {
    return !root.empty() && path.size() >= root.size() &&
           (path.size() == root.size() || path[root.size()] == L'\\') &&
           CompareStringOrdinal(path.c_str(), int(root.size()), root.c_str(), int(root.size()),
                                TRUE) == CSTR_EQUAL;
}

// A profile within the browser's folder keeps its caches at the same path
// within the caches' folder; one kept elsewhere keeps them in itself.
BrowserProfile ProfileAt(const Browser& browser, const Roots& roots, const std::wstring& name,
                         const std::wstring& folder, const std::wstring& lock) {
    const std::wstring local = IsWithin(folder, roots.profiles) && !roots.caches.empty()
                                   ? roots.caches + folder.substr(roots.profiles.size())
                                   : folder;
    return {&browser, name, folder, local, lock};
}

std::vector<BrowserProfile> UserDataProfiles(const Browser& browser, const Roots& roots) {
    std::vector<BrowserProfile> profiles;
    if (roots.profiles.empty())
        return profiles;
    const std::wstring lock = WidePath::Join(roots.profiles, browser.lock);
    for (const std::wstring& name : Subfolders(roots.profiles)) {
        if (name == DefaultProfile ||
            name.compare(0, wcslen(NumberedProfile), NumberedProfile) == 0)
            profiles.push_back(
                ProfileAt(browser, roots, name, WidePath::Join(roots.profiles, name), lock));
    }
    return profiles;
}

// The folder itself, named as it is, then its side profiles.
std::vector<BrowserProfile> FolderProfiles(const Browser& browser, const Roots& roots) {
    std::vector<BrowserProfile> profiles;
    if (!WidePath::IsFolder(roots.profiles))
        return profiles;
    const std::wstring lock = WidePath::Join(roots.profiles, browser.lock);
    const std::wstring name = roots.profiles.substr(roots.profiles.find_last_of(L'\\') + 1);
    profiles.push_back(ProfileAt(browser, roots, name, roots.profiles, lock));
    const std::wstring side = WidePath::Join(roots.profiles, SideProfiles);
    for (const std::wstring& sideName : Subfolders(side))
        profiles.push_back(
            ProfileAt(browser, roots, sideName, WidePath::Join(side, sideName), lock));
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

// The profiles profiles.ini names, then those in the "Profiles" folder it
// names none of; each with a lock of its own.
std::vector<BrowserProfile> IniProfiles(const Browser& browser, const Roots& roots) {
    std::vector<BrowserProfile> profiles;
    if (roots.profiles.empty())
        return profiles;
    // Firefox writes profiles.ini in UTF-8, a path outside the code page too.
    const platform::UnicodeIniCopy copy(WidePath::Join(roots.profiles, FirefoxIni));
    const std::wstring& ini = copy.Path();
    const std::wstring profilesRoot = WidePath::Join(roots.profiles, FirefoxProfiles);
    std::vector<std::wstring> folders;
    for (const std::wstring& section : IniSections(ini)) {
        if (section.compare(0, wcslen(ProfileSection), ProfileSection) != 0)
            continue;
        const std::wstring folder = IniProfileFolder(roots.profiles, ini, section);
        if (!folder.empty() && WidePath::IsFolder(folder))
            folders.push_back(folder);
    }
    for (const std::wstring& name : Subfolders(profilesRoot))
        folders.push_back(WidePath::Join(profilesRoot, name));
    for (const std::wstring& folder : folders) {
        const bool known =
            std::any_of(profiles.begin(), profiles.end(), [&](const BrowserProfile& p) {
                return WidePath::NameIs(p.folder.c_str(), folder.c_str());
            });
        const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
        if (!known)
            profiles.push_back(
                ProfileAt(browser, roots, name, folder, WidePath::Join(folder, browser.lock)));
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

// The profiles' folder alone: the chooser asks this of every browser as it
// opens, and each known folder is a few requests to the system.
bool BrowserFound(const Browser& browser) {
    const std::wstring root = Below(browser.profilesIn, browser.folder);
    if (root.empty())
        return false;
    if (!IsFirefoxFamily(browser))
        return WidePath::IsFolder(root);
    return GetFileAttributesW(WidePath::ForApi(WidePath::Join(root, FirefoxIni)).c_str()) !=
               INVALID_FILE_ATTRIBUTES ||
           WidePath::IsFolder(WidePath::Join(root, FirefoxProfiles));
}

std::vector<BrowserProfile> ProfilesOf(const Browser& browser) {
    const Roots roots = RootsOf(browser);
    switch (browser.layout) {
    case ProfileLayout::UserData:
        return UserDataProfiles(browser, roots);
    case ProfileLayout::ProfileFolder:
        return FolderProfiles(browser, roots);
    default:
        return IniProfiles(browser, roots);
    }
}

std::vector<std::wstring> ProfileRoots(const Browser& browser) {
    const Roots roots = RootsOf(browser);
    std::vector<std::wstring> folders;
    for (const std::wstring& root : {roots.profiles, roots.caches}) {
        if (!root.empty())
            folders.push_back(root);
    }
    if (IsFirefoxFamily(browser)) {
        for (const BrowserProfile& profile : ProfilesOf(browser)) {
            folders.push_back(profile.folder);
            folders.push_back(profile.localFolder);
        }
    }
    return folders;
}

// Chromium holds its "lockfile" without write sharing while it runs,
// background mode included; Firefox holds each profile's "parent.lock"
// without any sharing. Opening either changes nothing in it.
bool ProfileInUse(const BrowserProfile& profile) {
    if (IsFirefoxFamily(*profile.browser))
        return Held(profile.lock, GENERIC_READ, 0);
    return Held(profile.lock, GENERIC_WRITE,
                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

// Only Chromium's family keeps running in the background with no window open.
std::wstring InUseReason(const BrowserProfile& profile) {
    const bool background = !IsFirefoxFamily(*profile.browser);
    return profile.browser->name + (RunningText + profile.name) + CloseText +
           (background ? BackgroundText : L"") + AgainText;
}
