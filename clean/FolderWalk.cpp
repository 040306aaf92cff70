#include "clean/FolderWalk.h"

#include "clean/EntryChecks.h"
#include "clean/IndexWipe.h"
#include "clean/WalkRecording.h"
#include "clean/Walker.h"
#include "clean/WidePath.h"

#include <algorithm>

using namespace walk;

namespace {

// A walk that changes nothing walks subfolders on one more thread than the
// caller's, for the two processors this runs on: under Wine every open is a
// round trip to one server, where more threads only queue.
const int ExtraThreads = 1;
const wchar_t EveryEntry[] = L"*";

} // namespace

FolderWalk::FolderWalk(FolderVisitor& visitor) : m_visitor(visitor) {}

FolderWalk& FolderWalk::KeepDesktopIni() {
    m_keepDesktopIni = true;
    return *this;
}

FolderWalk& FolderWalk::WipeIndexFiles() {
    m_wipeIndexFiles = true;
    return *this;
}

FolderWalk& FolderWalk::Except(std::vector<std::wstring> names) {
    m_names = std::move(names);
    m_onlyNames = false;
    return *this;
}

FolderWalk& FolderWalk::Only(std::vector<std::wstring> names) {
    m_names = std::move(names);
    m_onlyNames = true;
    return *this;
}

FolderWalk& FolderWalk::Matching(std::vector<std::wstring> patterns) {
    m_patterns = std::move(patterns);
    m_matching = true;
    return *this;
}

FolderWalk& FolderWalk::InSubfolders() {
    m_inSubfolders = true;
    return *this;
}

FolderWalk& FolderWalk::RemovingEmptiedFolders() {
    m_inSubfolders = true;
    m_removeEmptied = true;
    return *this;
}

FolderWalk& FolderWalk::SparingFiles(std::wstring folder, std::wstring pattern) {
    m_spared.push_back({std::move(folder), std::move(pattern), false});
    return *this;
}

FolderWalk& FolderWalk::SparingBelow(std::wstring folder, std::wstring pattern) {
    m_spared.push_back({std::move(folder), std::move(pattern), true});
    return *this;
}

namespace {

bool IsLink(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(WidePath::ForApi(folder).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The folder a walk starts from, opened for its removal too when it may go;
// where that open is refused, for listing, with the reason it cannot go.
Frame TopFolder(const std::wstring& folder, bool removable, DWORD& error) {
    Frame top;
    top.path = folder;
    if (removable) {
        top.handle = OpenTopFolder(folder, error, ListAccess | DeleteAccess);
        top.removeError = error;
    }
    if (!top.handle)
        top.handle = OpenTopFolder(folder, error);
    return top;
}

} // namespace

// The folder given is trusted as it is named, links on its way included
// (some shell folders of a Wine prefix link into the home folder); only what
// lies below it is opened as itself.
int FolderWalk::EmptyFolder(const std::wstring& folder) const {
    // An empty folder path would list the current folder.
    if (folder.empty())
        return 0;
    const bool changes = m_visitor.ChangesFiles();
    const bool removeTop = m_matching && m_removeEmptied && !IsLink(folder);
    DWORD error = 0;
    Frame top = TopFolder(folder, removeTop && changes, error);
    top.keep = !removeTop;
    if (!top.handle) {
        if (!IsMissing(error))
            m_visitor.Problem(folder, error);
        return 0;
    }
    const bool nested =
        !m_onlyNames && std::any_of(m_names.begin(), m_names.end(), [](const std::wstring& name) {
            return name.find(L'\\') != std::wstring::npos;
        });
    const Rules rules = {!m_keepDesktopIni, m_wipeIndexFiles, changes,
                         m_names,           m_onlyNames,      folder,
                         nested,            m_matching ? &m_patterns : nullptr,
                         m_inSubfolders,    m_removeEmptied,  m_spared};
    Applier applier(m_visitor);
    if (rules.changes)
        return Walker(rules, applier, nullptr, nullptr).Walk(std::move(top), true) ? 1 : 0;
    ForkSlots slots(ExtraThreads);
    Recording recording;
    const bool listed = Walker(rules, recording, &recording, &slots).Walk(std::move(top), true);
    recording.Replay(applier);
    return listed ? 1 : 0;
}

// The pattern also matches short names: each long name is checked itself.
std::vector<std::wstring> FolderWalk::FileNames(const std::wstring& folder,
                                                const std::wstring& prefix,
                                                const std::wstring& suffix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = WidePath::Join(folder, prefix + L'*' + suffix);
    platform::UniqueFind find(FindFirstFileExW(WidePath::ForApi(pattern).c_str(), FindExInfoBasic,
                                               &found, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            name.size() >= prefix.size() + suffix.size() &&
            WidePath::NameIs(name.substr(0, prefix.size()).c_str(), prefix.c_str()) &&
            WidePath::NameIs(name.c_str() + name.size() - suffix.size(), suffix.c_str()))
            names.push_back(name);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

std::vector<std::wstring> FolderWalk::FolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    platform::UniqueFind find(
        FindFirstFileExW(WidePath::ForApi(WidePath::Join(folder, EveryEntry)).c_str(),
                         FindExInfoBasic, &found, FindExSearchLimitToDirectories, nullptr, 0));
    if (!find)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != CurrentFolder &&
            name != ParentFolder)
            names.push_back(name);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

int FolderWalk::WipeIndexFile(const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = WidePath::ForApi(WidePath::Join(folder, name));
    platform::UniqueFile file(
        CreateFileW(path.c_str(), WipeAccess, IndexFileSharing, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return 0;
    if (FileHandlesMayReachLinkTargets()) {
        DWORD error = 0;
        platform::UniqueFile parent = OpenTopFolder(folder, error);
        std::wstring resolved;
        // Only a file known to be the one named is zeroed.
        if (!parent || ResolvedPath(parent.get(), resolved) != ERROR_SUCCESS ||
            Identify(file.get(), WidePath::Join(resolved, name), error) != Identity::Entry)
            return 1;
    }
    const ULONGLONG bytes = BytesToZero(file.get());
    if (bytes != 0)
        ZeroAfterHeader(file.get(), bytes);
    return 1;
}
