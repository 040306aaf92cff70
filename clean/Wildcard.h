// Names and folders written with wildcards, as cleaning definitions write
// them: '*' stands for any run of characters, '?' for one character, and the
// case of letters does not count, as in the file system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wildcard {

const wchar_t Any = L'*';
const wchar_t One = L'?';

bool HasWildcard(const std::wstring& text);

// `text` in upper case, as the file system compares names.
std::wstring Folded(const std::wstring& text);
// Folds `text` in place from `from` on, as Folded() does.
void Fold(std::wstring& text, size_t from = 0);

// Whether `name` matches `pattern`, both Folded already.
bool FoldedMatches(std::wstring_view name, std::wstring_view pattern);

// Whether `name` matches `pattern`. "*.*" matches every name, a name without
// a dot too, as the platform's own searches have it.
bool Matches(const std::wstring& name, const std::wstring& pattern);

// Whether `pattern` matches every name: it holds nothing but wildcards and dots.
bool MatchesEveryName(const std::wstring& pattern);

// The parts of a path between its backslashes, empty parts left out.
std::vector<std::wstring> Parts(const std::wstring& path);

// A path split into its parts, Folded, for comparing it many times.
struct FoldedPath {
    FoldedPath() = default;
    explicit FoldedPath(const std::wstring& path) { Assign(path); }
    // Made again from `path`, in the room it already has: thousands of
    // paths are folded one after the other.
    void Assign(const std::wstring& path);

    struct Part {
        size_t start;
        size_t length;
        bool wild; // it holds a wildcard
    };
    std::wstring text;
    std::vector<Part> parts;

    std::wstring_view PartAt(size_t i) const {
        return std::wstring_view(text).substr(parts[i].start, parts[i].length);
    }
};

// Where a folder that `pattern` names stands to `path`, part by part (case
// ignored): on another branch, `path` itself, above `path` or below it.
enum class Standing { Apart, At, Above, Below };
Standing StandingOf(const FoldedPath& pattern, const FoldedPath& path);
Standing StandingOf(const std::wstring& pattern, const std::wstring& path);

// Every existing folder that `pattern` names. Each part with a wildcard is
// matched against the plain subfolders of the folder before it, and each part
// after the first wildcard must be a plain folder: a link, a junction or a
// mount point is never taken, so the folders found are reached without
// following any link below the fixed start. A pattern without wildcards is
// answered as it is, whether it exists or not.
std::vector<std::wstring> ExpandFolders(const std::wstring& pattern);

} // namespace wildcard
