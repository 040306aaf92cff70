#include "clean/Wildcard.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

namespace wildcard {

namespace {

const wchar_t EveryName[] = L"*.*";
const wchar_t Separator = L'\\';
const wchar_t AllEntries[] = L"\\*";
const wchar_t CurrentFolder[] = L".";
const wchar_t ParentFolder[] = L"..";

const wchar_t AsciiEnd = 0x80;

} // namespace

// Plain ASCII, the most of what definitions hold, is folded here; any other
// text by the platform.
void Fold(std::wstring& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        wchar_t& c = text[i];
        if (c >= AsciiEnd) {
            CharUpperBuffW(&text[from], DWORD(text.size() - from));
            return;
        }
        if (c >= L'a' && c <= L'z')
            c = wchar_t(c - L'a' + L'A');
    }
}

std::wstring Folded(const std::wstring& text) {
    std::wstring folded = text;
    Fold(folded);
    return folded;
}

// The classic walk with one point to return to: the last '*' seen, and the
// character of the name it is taken to have reached.
bool FoldedMatches(std::wstring_view name, std::wstring_view pattern) {
    size_t n = 0, p = 0, star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == One || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == Any) {
            star = p++;
            resume = n;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Any)
        ++p;
    return p == pattern.size();
}

namespace {

bool IsPlainFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The plain subfolders of `folder` whose names match `pattern`.
std::vector<std::wstring> MatchingSubfolders(const std::wstring& folder,
                                             const std::wstring& pattern) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(FindFirstFileExW(WidePath::ForApi(folder + AllEntries).c_str(),
                                               FindExInfoBasic, &entry,
                                               FindExSearchLimitToDirectories, nullptr, 0));
    if (!find)
        return found;
    do {
        const std::wstring name = entry.cFileName;
        if (IsPlainFolder(entry.dwFileAttributes) && name != CurrentFolder &&
            name != ParentFolder && Matches(name, pattern))
            found.push_back(WidePath::Join(folder, name));
    } while (FindNextFileW(find.get(), &entry));
    return found;
}

} // namespace

bool HasWildcard(const std::wstring& text) {
    return text.find_first_of(L"*?") != std::wstring::npos;
}

bool Matches(const std::wstring& name, const std::wstring& pattern) {
    if (pattern == EveryName)
        return true;
    return FoldedMatches(Folded(name), Folded(pattern));
}

bool MatchesEveryName(const std::wstring& pattern) {
    return !pattern.empty() && HasWildcard(pattern) &&
           pattern.find_first_not_of(L"*?.") == std::wstring::npos;
}

std::vector<std::wstring> Parts(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(Separator, start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

void FoldedPath::Assign(const std::wstring& path) {
    text.assign(path);
    Fold(text);
    parts.clear();
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(Separator, start), text.size());
        if (end > start)
            parts.push_back({start, end - start,
                             std::find_if(text.begin() + start, text.begin() + end, [](wchar_t c) {
                                 return c == Any || c == One;
                             }) != text.begin() + end});
        start = end + 1;
    }
}

// Thousands of rules are set against dozens of folders when definitions are
// read: the plain parts are compared in place.
Standing StandingOf(const FoldedPath& pattern, const FoldedPath& path) {
    const std::vector<FoldedPath::Part>& named = pattern.parts;
    const std::vector<FoldedPath::Part>& parts = path.parts;
    const size_t common = std::min(named.size(), parts.size());
    for (size_t i = 0; i < common; ++i) {
        const FoldedPath::Part& mine = named[i];
        const FoldedPath::Part& theirs = parts[i];
        if (mine.wild ? !FoldedMatches(path.PartAt(i), pattern.PartAt(i))
                      : mine.length != theirs.length ||
                            wmemcmp(pattern.text.data() + mine.start,
                                    path.text.data() + theirs.start, mine.length) != 0)
            return Standing::Apart;
    }
    if (named.size() == parts.size())
        return Standing::At;
    return named.size() < parts.size() ? Standing::Above : Standing::Below;
}

Standing StandingOf(const std::wstring& pattern, const std::wstring& path) {
    return StandingOf(FoldedPath(pattern), FoldedPath(path));
}

std::vector<std::wstring> ExpandFolders(const std::wstring& pattern) {
    const size_t first = pattern.find_first_of(L"*?");
    if (first == std::wstring::npos)
        return {pattern};
    const size_t fixedEnd = pattern.rfind(Separator, first);
    if (fixedEnd == std::wstring::npos)
        return {};
    std::vector<std::wstring> folders = {pattern.substr(0, fixedEnd)};
    for (const std::wstring& part : Parts(pattern.substr(fixedEnd + 1))) {
        std::vector<std::wstring> next;
        for (const std::wstring& folder : folders) {
            if (HasWildcard(part)) {
                for (std::wstring& found : MatchingSubfolders(folder, part))
                    next.push_back(std::move(found));
            } else if (IsPlainFolder(GetFileAttributesW(
                           WidePath::ForApi(WidePath::Join(folder, part)).c_str()))) {
                next.push_back(WidePath::Join(folder, part));
            }
        }
        folders.swap(next);
    }
    return folders;
}

} // namespace wildcard
