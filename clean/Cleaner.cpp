#include "clean/Cleaner.h"

#include "clean/FolderWalk.h"
#include "clean/ProtectedStorageCleaner.h"
#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

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
void DeleteRecentClips(HKEY preferences) {
    char name[FormattedNameSize];
    for (int n = FirstRecentClip; n <= LastRecentClip; ++n) {
        snprintf(name, sizeof name, RecentClipFormat, n);
        if (RegDeleteKeyA(preferences, name) != ERROR_SUCCESS)
            return;
    }
}

void DeleteRecentFiles(HKEY list) {
    char name[FormattedNameSize];
    for (int n = FirstRecentFile; n <= LastRecentFile; ++n) {
        snprintf(name, sizeof name, RecentFileFormat, n);
        if (RegDeleteValueA(list, name) != ERROR_SUCCESS)
            return;
    }
}

} // namespace

// Only the first version key and its first preferences key are looked at.
int Cleaner::CleanRealPlayer() {
    platform::UniqueHKey root;
    if (RegOpenKeyA(HKEY_CURRENT_USER, RealPlayerKey, root.put()) != ERROR_SUCCESS)
        return -1;
    char name[SubkeyNameSize];
    platform::UniqueHKey version;
    if (!OpenFirstSubkey(root.get(), name, version))
        return 0;
    platform::UniqueHKey preferences;
    if (OpenFirstSubkey(version.get(), name, preferences))
        DeleteRecentClips(preferences.get());
    return 0;
}

int Cleaner::CleanMediaPlayer() {
    platform::UniqueHKey list;
    if (RegOpenKeyA(HKEY_CURRENT_USER, RecentFileListKey, list.put()) != ERROR_SUCCESS)
        return -1;
    DeleteRecentFiles(list.get());
    return 0;
}

int Cleaner::CleanTypedUrls() {
    SHDeleteKeyA(HKEY_CURRENT_USER, TypedUrlsKey);
    return 0;
}

int Cleaner::CleanIntelliForms() {
    SHDeleteKeyA(HKEY_CURRENT_USER, IntelliFormsKey);
    return 0;
}

int Cleaner::CleanAutoComplete() {
    ProtectedStorageCleaner cleaner;
    cleaner.Clean();
    return 0;
}

int Cleaner::EmptyRecycleBin() {
    SHEmptyRecycleBinA(nullptr, nullptr, RecycleBinFlags);
    return 0;
}

int Cleaner::CleanRecentDocuments() {
    EmptySpecialFolder(CSIDL_RECENT);
    return 0;
}

int Cleaner::CleanIEHistory() {
    EmptySpecialFolder(CSIDL_HISTORY);
    return 0;
}

void Cleaner::EmptySpecialFolder(int csidl) {
    char folder[FolderPathSize] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE) || folder[0] == '\0')
        return;
    DeleteFolderContents(folder, KeepDesktopIni, WipeIndexFiles);
}

int Cleaner::DeleteFolderContents(const char* folder, int includeDesktopIni, int wipeIndexFiles) {
    const FolderWalk walk(includeDesktopIni != 0, wipeIndexFiles != 0);
    return walk.EmptyFolder(WidePath::FromAnsi(folder));
}

int Cleaner::WipeIndexFile(const char* folder, const char* name) {
    return FolderWalk::WipeIndexFile(WidePath::FromAnsi(folder), WidePath::FromAnsi(name));
}
