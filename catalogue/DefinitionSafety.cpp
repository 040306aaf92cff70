// What Quenby refuses to run of an entry, whatever the file says.
#include "catalogue/DefinitionChecks.h"

#include "clean/Wildcard.h"
#include "platform/KnownFolder.h"

#include <algorithm>

using wildcard::Standing;

const wchar_t CoveredReason[] = L"covered by Quenby's own traces";

namespace {

const wchar_t BroadInRoot[] =
    L"deletes with *, RECURSE or REMOVESELF in the root of a drive or a share";
const wchar_t BroadInKnown[] = L"deletes with *, RECURSE or REMOVESELF in ";
const wchar_t BroadInKnownEnd[] = L", a folder of the system or the profile, or above it";
const wchar_t OutsideProfile[] =
    L"reaches outside your profile folders, and the file could have been written without "
    L"administrator rights";
const wchar_t OutsideCurrentUser[] =
    L"reaches outside HKCU, and the file could have been written without administrator rights";
const wchar_t EveryRuleRefused[] = L"every rule was refused";

// A rule that deletes every name, or in every subfolder.
bool Broad(const FileRule& rule) {
    return rule.recurse || rule.removeSelf ||
           std::any_of(rule.patterns.begin(), rule.patterns.end(), wildcard::MatchesEveryName);
}

bool AtOrAbove(Standing standing) {
    return standing == Standing::At || standing == Standing::Above;
}

// Whether a rule on `folder` reaches into `root`: it works in the root or
// below it, or in every subfolder of a folder above it.
bool ReachesInto(const wildcard::FoldedPath& folder, const wildcard::FoldedPath& root,
                 const FileRule& rule) {
    const Standing standing = wildcard::StandingOf(folder, root);
    return standing == Standing::At || standing == Standing::Below ||
           (standing == Standing::Above && (rule.recurse || rule.removeSelf));
}

// Whether `folder` lies in one of the user's own folders. A wildcard in the
// part that would have to match keeps it out.
bool InUserFolders(const wildcard::FoldedPath& folder,
                   const std::vector<wildcard::FoldedPath>& userFolders) {
    return std::any_of(userFolders.begin(), userFolders.end(),
                       [&](const wildcard::FoldedPath& user) {
                           return AtOrAbove(wildcard::StandingOf(user, folder));
                       });
}

// The text of the first `count` parts of `path`; empty when it has fewer,
// or a wildcard among them.
std::wstring_view PlainStart(const wildcard::FoldedPath& path, size_t count) {
    if (count == 0 || path.parts.size() < count)
        return std::wstring_view();
    for (size_t i = 0; i < count; ++i) {
        if (path.parts[i].wild)
            return std::wstring_view();
    }
    const wildcard::FoldedPath::Part& last = path.parts[count - 1];
    return std::wstring_view(path.text).substr(0, last.start + last.length);
}

bool ReachesABrowser(const wildcard::FoldedPath& folder, const FileRule& rule,
                     const DefinitionContext& context) {
    const std::wstring_view start = PlainStart(folder, context.browserRootParts);
    if (!start.empty() && context.browserRootStarts.count(start) == 0)
        return false;
    return std::any_of(context.foldedBrowserRoots.begin(), context.foldedBrowserRoots.end(),
                       [&](const wildcard::FoldedPath& root) {
                           return ReachesInto(folder, root, rule);
                       });
}

std::vector<wildcard::FoldedPath> FoldedPaths(const std::vector<std::wstring>& paths) {
    return std::vector<wildcard::FoldedPath>(paths.begin(), paths.end());
}

std::wstring ProtectedReason(const ProtectedReach& reach) {
    if (reach.root)
        return BroadInRoot;
    return BroadInKnown + reach.known + BroadInKnownEnd;
}

// Why the rule is refused as written; empty when it is not. Sets `covered`
// when it reaches into a browser profile.
// A rule refused for what it is counts for nothing else: only a rule that
// would run makes its entry one that Quenby's own traces cover.
// `scratch` is the caller's, kept from one rule to the next with the room
// its texts took: thousands of rules are checked.
std::wstring RuleRefusal(const FileRule& rule, const DefinitionContext& context,
                         std::vector<wildcard::FoldedPath>& scratch, bool& covered) {
    if (scratch.size() < rule.folders.size())
        scratch.resize(rule.folders.size());
    for (size_t i = 0; i < rule.folders.size(); ++i)
        scratch[i].Assign(rule.folders[i]);
    const wildcard::FoldedPath* const first = scratch.data();
    const wildcard::FoldedPath* const last = first + rule.folders.size();
    const bool broad = Broad(rule);
    for (const wildcard::FoldedPath* folder = first; folder != last; ++folder) {
        if (broad) {
            const ProtectedReach reach = context.protectedFolders.MayReach(*folder);
            if (reach.Any())
                return ProtectedReason(reach);
        }
        if (!context.trusted && !InUserFolders(*folder, context.foldedUserFolders))
            return OutsideProfile;
    }
    for (const wildcard::FoldedPath* folder = first; folder != last; ++folder)
        covered = covered || ReachesABrowser(*folder, rule, context);
    return std::wstring();
}

std::vector<std::wstring> Resolved(const std::vector<std::wstring>& folders) {
    std::vector<std::wstring> finals;
    for (const std::wstring& folder : folders) {
        std::wstring final;
        if (platform::FinalFolderPath(folder, final) == ERROR_SUCCESS)
            finals.push_back(final);
    }
    return finals;
}

} // namespace

void DefinitionContext::Prepare() {
    foldedUserFolders = FoldedPaths(paths.UserFolders());
    foldedBrowserRoots = FoldedPaths(browserRoots);
    browserRootParts = size_t(-1);
    for (const wildcard::FoldedPath& root : foldedBrowserRoots)
        browserRootParts = std::min(browserRootParts, root.parts.size());
    browserRootStarts.clear();
    for (const wildcard::FoldedPath& root : foldedBrowserRoots) {
        const std::wstring_view start = PlainStart(root, browserRootParts);
        // A root with a wildcard is set against every folder.
        if (start.empty())
            browserRootParts = 0;
        browserRootStarts.insert(start);
    }
}

void CheckSafety(Definition& entry, const DefinitionContext& context) {
    // The rules that stay keep their places.
    std::vector<wildcard::FoldedPath> scratch;
    entry.files.erase(std::remove_if(entry.files.begin(), entry.files.end(),
                                     [&](const FileRule& rule) {
                                         std::wstring why =
                                             RuleRefusal(rule, context, scratch, entry.covered);
                                         if (why.empty())
                                             return false;
                                         entry.refusedRules.push_back({rule.line, std::move(why)});
                                         return true;
                                     }),
                      entry.files.end());
    entry.keys.erase(std::remove_if(entry.keys.begin(), entry.keys.end(),
                                    [&](const RegistryRule& rule) {
                                        if (context.trusted || rule.path.hive == HKEY_CURRENT_USER)
                                            return false;
                                        entry.refusedRules.push_back(
                                            {rule.line, OutsideCurrentUser});
                                        return true;
                                    }),
                     entry.keys.end());
    if (entry.refused.reason.empty() && entry.files.empty() && entry.keys.empty())
        entry.refused = {entry.line, EveryRuleRefused};
    std::sort(entry.refusedRules.begin(), entry.refusedRules.end(),
              [](const Refusal& a, const Refusal& b) { return a.line < b.line; });
}

FolderGuard::FolderGuard(const DefinitionContext& context)
    : m_trusted(context.trusted), m_userFolders(FoldedPaths(Resolved(context.paths.UserFolders()))),
      m_browserRoots(FoldedPaths(Resolved(context.browserRoots))) {}

std::wstring FolderGuard::Refusal(const std::wstring& folder, const std::wstring& final,
                                  const FileRule& rule) const {
    const wildcard::FoldedPath resolved(final);
    for (const wildcard::FoldedPath& root : m_browserRoots) {
        if (ReachesInto(resolved, root, rule))
            return CoveredReason;
    }
    const ProtectedReach reach = m_protected.Reached(folder, final);
    if (Broad(rule) && reach.Any())
        return ProtectedReason(reach);
    if (!m_trusted && !InUserFolders(resolved, m_userFolders))
        return OutsideProfile;
    return std::wstring();
}
