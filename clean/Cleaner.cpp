#include "clean/Cleaner.h"

#include "clean/FolderVisitor.h"
#include "clean/FolderWalk.h"
#include "clean/ProtectedStorageCleaner.h"
#include "clean/ShellVisitor.h"
#include "clean/RegistryVisitor.h"
#include "clean/Visitors.h"
#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "platform/KnownFolder.h"
#include "platform/TextConversion.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <knownfolders.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

namespace {

const char RealPlayerKey[] = "Software\\RealNetworks\\RealPlayer";
const char RecentClipFormat[] = "MostRecentClips%d";
const int FirstRecentClip = 1;
const int LastRecentClip = 8;

const char RecentFileListKey[] = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
const char RecentFileFormat[] = "File%d";
const int FirstRecentFile = 0;
const int LastRecentFile = 9;

const char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char IntelliFormsKey[] = "Software\\Microsoft\\Internet Explorer\\IntelliForms";

const int FormattedNameSize = 64;
const int SubkeyNameSize = 256;
const int FolderPathSize = 260;
// The recent-documents folder's folder of jump lists.
const wchar_t AutomaticDestinations[] = L"AutomaticDestinations";

// Both folders keep their "desktop.ini" and have their index files wiped.
const int KeepDesktopIni = 0;
const int WipeIndexFiles = 1;

const UINT RecycleBinFlags = SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND;

// Opens the subkey that `parent` enumerates first; `name` is the caller's
// buffer for its name.
bool OpenFirstSubkey(HKEY parent, char (&name)[SubkeyNameSize], platform::UniqueHKey& subkey) {
    if (RegEnumKeyA(parent, 0, name, SubkeyNameSize) != ERROR_SUCCESS)
        return false;
    return RegOpenKeyA(parent, name, subkey.put()) == ERROR_SUCCESS;
}

// The numbered keys go in order; the first that cannot be deleted (missing,
// or holding subkeys of its own) ends the series.
void DeleteRecentClips(HKEY preferences, const std::string& path, RegistryVisitor& visitor) {
    char name[FormattedNameSize];
    for (int n = FirstRecentClip; n <= LastRecentClip; ++n) {
        snprintf(name, sizeof name, RecentClipFormat, n);
        if (visitor.DeleteKey(HKEY_CURRENT_USER, preferences, path, name) != ERROR_SUCCESS)
            return;
    }
}

void DeleteRecentFiles(HKEY list, RegistryVisitor& visitor) {
    char name[FormattedNameSize];
    for (int n = FirstRecentFile; n <= LastRecentFile; ++n) {
        snprintf(name, sizeof name, RecentFileFormat, n);
        if (visitor.DeleteValue(HKEY_CURRENT_USER, list, RecentFileListKey, name) != ERROR_SUCCESS)
            return;
    }
}

} // namespace

int Cleaner::CleanRealPlayer() {
    RegistryCleaning deleting;
    return CleanRealPlayer(deleting);
}

int Cleaner::CleanMediaPlayer() {
    RegistryCleaning deleting;
    return CleanMediaPlayer(deleting);
}

int Cleaner::CleanTypedUrls() {
    RegistryCleaning deleting;
    return CleanTypedUrls(deleting);
}

int Cleaner::CleanIntelliForms() {
    RegistryCleaning deleting;
    return CleanIntelliForms(deleting);
}

int Cleaner::CleanAutoComplete() {
    RegistryCleaning deleting;
    return CleanAutoComplete(deleting);
}

int Cleaner::CleanRecentDocuments() {
    CleaningVisitors cleaning;
    return CleanRecentDocuments(cleaning.Get());
}

int Cleaner::CleanIEHistory() {
    FolderCleaning deleting;
    return CleanIEHistory(deleting);
}

int Cleaner::DeleteFolderContents(const char* folder, int includeDesktopIni, int wipeIndexFiles) {
    FolderCleaning deleting;
    return DeleteFolderContents(folder, includeDesktopIni, wipeIndexFiles, deleting);
}

// Only the first version key and its first preferences key are looked at.
int Cleaner::CleanRealPlayer(RegistryVisitor& visitor) {
    platform::UniqueHKey root;
    if (RegOpenKeyA(HKEY_CURRENT_USER, RealPlayerKey, root.put()) != ERROR_SUCCESS)
        return -1;
    char name[SubkeyNameSize];
    platform::UniqueHKey version;
    if (!OpenFirstSubkey(root.get(), name, version))
        return 0;
    std::string path = std::string(RealPlayerKey) + '\\' + name;
    platform::UniqueHKey preferences;
    if (OpenFirstSubkey(version.get(), name, preferences))
        DeleteRecentClips(preferences.get(), path + '\\' + name, visitor);
    return 0;
}

int Cleaner::CleanMediaPlayer(RegistryVisitor& visitor) {
    platform::UniqueHKey list;
    if (RegOpenKeyA(HKEY_CURRENT_USER, RecentFileListKey, list.put()) != ERROR_SUCCESS)
        return -1;
    DeleteRecentFiles(list.get(), visitor);
    return 0;
}

int Cleaner::CleanTypedUrls(RegistryVisitor& visitor) {
    visitor.DeleteTree(HKEY_CURRENT_USER, TypedUrlsKey);
    return 0;
}

int Cleaner::CleanIntelliForms(RegistryVisitor& visitor) {
    visitor.DeleteTree(HKEY_CURRENT_USER, IntelliFormsKey);
    return 0;
}

int Cleaner::CleanAutoComplete(RegistryVisitor& visitor) {
    ProtectedStorageCleaner cleaner;
    cleaner.Clean(visitor);
    return 0;
}

int Cleaner::EmptyRecycleBin() {
    ShellCleaning emptying;
    return EmptyRecycleBin(emptying);
}

int Cleaner::EmptyRecycleBin(ShellVisitor& visitor) {
    visitor.EmptyRecycleBin(RecycleBinFlags);
    return 0;
}

// The pinned jump lists are written again first, with their pins alone, and
// the walk leaves them (and those that cannot be read) as they then are.
int Cleaner::CleanRecentDocuments(Visitors& visitors) {
    const std::wstring folder = SpecialFolder(FOLDERID_Recent, CSIDL_RECENT);
    if (folder.empty())
        return 0;
    std::vector<std::wstring> kept;
    for (const std::wstring& name :
         KeepPinnedJumpLists(WidePath::Join(folder, AutomaticDestinations), visitors.jumpLists))
        kept.push_back(WidePath::Join(AutomaticDestinations, name));
    FolderWalk(visitors.folders).KeepDesktopIni().WipeIndexFiles().Except(kept).EmptyFolder(folder);
    visitors.shell.ClearRecentDocuments();
    return 0;
}

int Cleaner::CleanIEHistory(FolderVisitor& visitor) {
    const std::wstring folder = SpecialFolder(FOLDERID_History, CSIDL_HISTORY);
    if (!folder.empty())
        DeleteFolderContents(folder, KeepDesktopIni, WipeIndexFiles, visitor);
    return 0;
}

// The folder is asked for in wide characters: a profile path outside the
// ANSI code page would come back from the "A" call with '?' in it and name
// no folder at all.
std::wstring Cleaner::SpecialFolder(const GUID& id, int csidl) {
    const std::wstring wide = platform::KnownFolderPath(id);
    if (!wide.empty())
        return wide;
    char folder[FolderPathSize] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE))
        return std::wstring();
    return platform::FromAnsi(folder);
}

int Cleaner::DeleteFolderContents(const char* folder, int includeDesktopIni, int wipeIndexFiles,
                                  FolderVisitor& visitor) {
    return DeleteFolderContents(platform::FromAnsi(folder), includeDesktopIni, wipeIndexFiles,
                                visitor);
}

int Cleaner::DeleteFolderContents(const std::wstring& folder, int includeDesktopIni,
                                  int wipeIndexFiles, FolderVisitor& visitor) {
    FolderWalk walk(visitor);
    if (!includeDesktopIni)
        walk.KeepDesktopIni();
    if (wipeIndexFiles)
        walk.WipeIndexFiles();
    return walk.EmptyFolder(folder);
}

int Cleaner::WipeIndexFile(const char* folder, const char* name) {
    return FolderWalk::WipeIndexFile(platform::FromAnsi(folder), platform::FromAnsi(name));
}
