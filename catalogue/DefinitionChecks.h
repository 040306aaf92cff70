// How an entry of the file is read and checked: what each key means
// (DefinitionParser.cpp), and what Quenby refuses to run (DefinitionSafety.cpp).
// Internal to the definitions.
#pragma once

#include "catalogue/DefinitionPaths.h"
#include "catalogue/DefinitionReader.h"
#include "clean/ProtectedFolders.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// What detection learnt of this PC lately. Thousands of entries ask about
// the same few folders and keys (%ProgramFiles%\Vendor...): each folder is
// listed once and each key opened once, for as long as one look at the
// chooser lasts; after that, everything is asked again.
class DetectionCache {
public:
    // Whether a file or folder exists; a wildcard in the last part matches
    // any entry, one in an earlier part only plain folders.
    bool PathExists(const std::wstring& path);
    // Whether a key exists (one that denies reading does); HKLM in both of
    // its views on 64-bit Windows.
    bool KeyExists(const RegistryPath& path);

private:
    // A folder's entries, Folded, once it has been asked about often enough
    // (`listed`); until then, and when it cannot be listed (`listable`
    // false), the platform is asked about each entry. A folder of thousands
    // of files asked about once is not listed.
    struct Listing {
        bool exists = false;
        bool listed = false;
        bool listable = false;
        unsigned asked = 0;
        std::unordered_set<std::wstring> names;
    };
    Listing& ListingOf(const std::wstring& folder);
    static void List(const std::wstring& folder, Listing& listing);
    bool EntryExists(const std::wstring& folder, const std::wstring& name);
    LONG Opened(HKEY hive, REGSAM view, const std::wstring& key);
    LONG Listed(HKEY hive, REGSAM view, const std::wstring& key);
    static Listing Subkeys(HKEY hive, REGSAM view, const std::wstring& key);
    void Expire();

    std::mutex m_mutex;
    ULONGLONG m_since = 0;
    std::unordered_map<std::wstring, Listing> m_listings;
    std::unordered_map<std::wstring, LONG> m_keys;
    // A key's subkeys, as a folder's listing.
    std::unordered_map<std::wstring, Listing> m_subkeys;
};

// What the checks of one file share: this PC's folders, read once.
struct DefinitionContext {
    DefinitionPaths paths;
    ProtectedFolders protectedFolders;
    // The folders of the browser profiles that Quenby's own traces clean.
    std::vector<std::wstring> browserRoots;
    // Only administrators could have written the file.
    bool trusted = false;
    // The user's folders and the browsers' as FoldedPaths, made by Prepare().
    std::vector<wildcard::FoldedPath> foldedUserFolders;
    std::vector<wildcard::FoldedPath> foldedBrowserRoots;
    // The first parts that every browser root has, of each root, folded: a
    // folder that begins with none of them (and no wildcard there) reaches
    // none of the roots, which thousands of rules need not be set against.
    // The starts point into foldedBrowserRoots.
    size_t browserRootParts = 0;
    std::unordered_set<std::wstring_view> browserRootStarts;

    std::unique_ptr<DetectionCache> detection = std::make_unique<DetectionCache>();

    // Folds the folders once, for the checks of thousands of rules.
    void Prepare();
};

// The entry a section describes, with the damage that refuses it whole and
// the rules refused one by one for what they are written as.
Definition ParseDefinition(const RawSection& section, const DefinitionContext& context);

// Refuses what the entry's rules would reach and Quenby does not let them:
// broad deletions in protected folders, browser profiles that Quenby's own
// traces clean, and, from a file anyone could have written, whatever lies
// outside the user's own profile folders and HKCU.
void CheckSafety(Definition& entry, const DefinitionContext& context);

// The same three for the folders a rule reaches, as the platform resolves
// them when the rule runs (a junction in the profile may lead anywhere).
class FolderGuard {
public:
    explicit FolderGuard(const DefinitionContext& context);

    // Why the rule must not walk `folder`, which resolves to `final`; empty
    // when it may.
    std::wstring Refusal(const std::wstring& folder, const std::wstring& final,
                         const FileRule& rule) const;

private:
    ProtectedFolders m_protected;
    bool m_trusted;
    std::vector<wildcard::FoldedPath> m_userFolders;
    std::vector<wildcard::FoldedPath> m_browserRoots;
};

// In words, where an entry is shown.
extern const wchar_t CoveredReason[];
