#include "clean/FolderWalk.h"

#include "clean/EntryChecks.h"
#include "clean/IndexWipe.h"
#include "clean/WalkRecording.h"
#include "clean/Walker.h"
#include "clean/WidePath.h"

using namespace walk;

namespace {

// A walk that changes nothing walks subfolders on one more thread than the
// caller's, for the two processors this runs on: under Wine every open is a
// round trip to one server, where more threads only queue.
const int ExtraThreads = 1;

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

// The folder given is trusted as it is named, links on its way included
// (some shell folders of a Wine prefix link into the home folder); only what
// lies below it is opened as itself.
int FolderWalk::EmptyFolder(const std::wstring& folder) const {
    // An empty folder path would list the current folder.
    if (folder.empty())
        return 0;
    DWORD error = 0;
    Frame top;
    top.handle = OpenTopFolder(folder, error);
    if (!top.handle) {
        if (!IsMissing(error))
            m_visitor.Problem(folder, error);
        return 0;
    }
    top.path = folder;
    const Rules rules = {!m_keepDesktopIni, m_wipeIndexFiles, m_visitor.ChangesFiles(), m_names,
                         m_onlyNames};
    Applier applier(m_visitor);
    if (rules.changes)
        return Walker(rules, applier, nullptr, nullptr).Walk(std::move(top), true) ? 1 : 0;
    ForkSlots slots(ExtraThreads);
    Recording recording;
    const bool listed = Walker(rules, recording, &recording, &slots).Walk(std::move(top), true);
    recording.Replay(applier);
    return listed ? 1 : 0;
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
