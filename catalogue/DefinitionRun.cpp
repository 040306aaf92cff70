// How an entry's rules run.
#include "catalogue/Definitions.h"

#include "clean/FolderWalk.h"
#include "clean/RegistryNotes.h"
#include "clean/WidePath.h"
#include "moretraces/RegistryLists.h"
#include "clean/Wildcard.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"
#include "platform/WriteAccess.h"

#include <algorithm>

namespace {

const wchar_t Separator = L'\\';
const wchar_t LinkValue[] = L"SymbolicLinkValue";
const wchar_t OutsideUsersHive[] =
    L"the key lies outside your own registry, and the file could have been written without "
    L"administrator rights";
const wchar_t ClassesSuffix[] = L"_Classes";

// ---- the registry rules ----

bool IsLink(HKEY key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, LinkValue, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Whether `name` starts with `start`, case ignored: the platform spells
// "\REGISTRY\User" as it likes.
bool StartsWith(const std::wstring& name, const std::wstring& start) {
    return name.size() >= start.size() &&
           CompareStringOrdinal(name.c_str(), int(start.size()), start.c_str(), int(start.size()),
                                TRUE) == CSTR_EQUAL;
}

// Whether the key the platform names `name` lies in the user's own hive (or
// the user's classes).
bool InUsersHive(const std::wstring& name) {
    const std::wstring hive = platform::CurrentUserHiveName();
    return !hive.empty() &&
           (WidePath::NameIs(name.c_str(), hive.c_str()) || StartsWith(name, hive + Separator) ||
            StartsWith(name, hive + ClassesSuffix));
}

bool SameKey(const RegistryPath& a, const RegistryPath& b) {
    return a.hive == b.hive && WidePath::NameIs(a.key.c_str(), b.key.c_str());
}

// Whether `path` is `folder` or lies below it.
bool AtOrBelow(const RegistryPath& path, const RegistryPath& above) {
    return path.hive == above.hive &&
           (SameKey(path, above) ||
            (path.key.size() > above.key.size() && path.key[above.key.size()] == Separator &&
             WidePath::NameIs(path.key.substr(0, above.key.size()).c_str(), above.key.c_str())));
}

std::vector<std::wstring> ValueNames(HKEY key) {
    LONG status = ERROR_SUCCESS;
    return ::ValueNames(key, status);
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    LONG status = ERROR_SUCCESS;
    return ::SubkeyNames(key, status);
}

class RegistryRun {
public:
    RegistryRun(const Definition& entry, const DefinitionContext& context, Visitors& visitors)
        : m_entry(entry), m_trusted(context.trusted), m_visitors(visitors) {}

    void Run(const RegistryRule& rule);

private:
    bool Excluded(const RegistryPath& path) const {
        return std::any_of(m_entry.keyExclusions.begin(), m_entry.keyExclusions.end(),
                           [&](const RegistryPath& above) { return AtOrBelow(path, above); });
    }
    bool HoldsExclusion(const RegistryPath& path) const {
        return std::any_of(m_entry.keyExclusions.begin(), m_entry.keyExclusions.end(),
                           [&](const RegistryPath& below) { return AtOrBelow(below, path); });
    }
    bool Open(const RegistryPath& path, platform::UniqueHKey& key);
    bool HoldsLink(HKEY key);
    void DeleteTree(const RegistryPath& path);

    const Definition& m_entry;
    bool m_trusted;
    Visitors& m_visitors;
};

void RegistryRun::Run(const RegistryRule& rule) {
    if (Excluded(rule.path))
        return;
    if (!rule.oneValue)
        return DeleteTree(rule.path);
    platform::UniqueHKey key;
    if (Open(rule.path, key))
        m_visitors.registry.DeleteValueW(rule.path.hive, key.get(), rule.path.key, rule.value);
}

// Opens the key itself (a link is left alone, never followed) to read and
// clear it. From a file anyone could have written, the key must lie in the
// user's own registry however its path reached it.
bool RegistryRun::Open(const RegistryPath& path, platform::UniqueHKey& key) {
    const LONG status = RegOpenKeyExW(path.hive, path.key.c_str(), REG_OPTION_OPEN_LINK,
                                      KEY_READ | KEY_SET_VALUE, key.put());
    const std::wstring shown = registrynotes::Shown(path.hive, path.key);
    if (status != ERROR_SUCCESS) {
        if (status != ERROR_FILE_NOT_FOUND)
            m_visitors.notes.Problem(shown, DWORD(status), std::wstring());
        return false;
    }
    if (IsLink(key.get()))
        return false;
    if (!m_trusted && !InUsersHive(platform::RegistryKeyName(key.get()))) {
        m_visitors.notes.Problem(shown, ERROR_ACCESS_DENIED, OutsideUsersHive);
        return false;
    }
    return true;
}

bool RegistryRun::HoldsLink(HKEY key) {
    for (const std::wstring& name : SubkeyNames(key)) {
        platform::UniqueHKey subkey;
        if (RegOpenKeyExW(key, name.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, subkey.put()) !=
                ERROR_SUCCESS ||
            IsLink(subkey.get()) || HoldsLink(subkey.get()))
            return true;
    }
    return false;
}

// The key goes with all below it, unless something below must stay (a key
// the entry excludes, a link): then the key stays, its values go, and each
// subkey is dealt with in the same way.
void RegistryRun::DeleteTree(const RegistryPath& path) {
    platform::UniqueHKey key;
    if (!Open(path, key))
        return;
    if (!HoldsExclusion(path) && !HoldsLink(key.get()))
        return m_visitors.registry.DeleteTreeW(path.hive, path.key);
    for (const std::wstring& value : ValueNames(key.get()))
        m_visitors.registry.DeleteValueW(path.hive, key.get(), path.key, value);
    for (const std::wstring& name : SubkeyNames(key.get())) {
        const RegistryPath subkey = {path.hive, path.key + Separator + name};
        if (!Excluded(subkey))
            DeleteTree(subkey);
    }
}

// ---- the file rules ----

void RunFolder(const std::wstring& folder, const FileRule& rule, const Definition& entry,
               const FolderGuard& guard, Visitors& visitors) {
    std::wstring final;
    const DWORD error = platform::FinalFolderPath(WidePath::ForApi(folder), final);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return;
    if (error != ERROR_SUCCESS)
        return visitors.notes.Problem(folder, error, std::wstring());
    const std::wstring refusal = guard.Refusal(folder, final, rule);
    if (!refusal.empty())
        return visitors.notes.Problem(folder, ERROR_BAD_PATHNAME, refusal);
    FolderWalk walk(visitors.folders);
    walk.Matching(rule.patterns);
    if (rule.removeSelf)
        walk.RemovingEmptiedFolders();
    else if (rule.recurse)
        walk.InSubfolders();
    for (const FileExclusion& exclusion : entry.fileExclusions) {
        for (const std::wstring& spared : exclusion.folders) {
            if (exclusion.below)
                walk.SparingBelow(spared, exclusion.pattern);
            else
                walk.SparingFiles(spared, exclusion.pattern);
        }
    }
    walk.EmptyFolder(folder);
}

} // namespace

void RunDefinition(const Definition& entry, const DefinitionContext& context, Visitors& visitors) {
    if (!entry.Runs())
        return;
    if (!entry.files.empty()) {
        const FolderGuard guard(context);
        for (const FileRule& rule : entry.files) {
            for (const std::wstring& written : rule.folders) {
                for (const std::wstring& folder : wildcard::ExpandFolders(written))
                    RunFolder(folder, rule, entry, guard, visitors);
            }
        }
    }
    RegistryRun registry(entry, context, visitors);
    for (const RegistryRule& rule : entry.keys)
        registry.Run(rule);
}
