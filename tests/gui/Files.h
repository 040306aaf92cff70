// Files as the tests plant and inspect them: the user's special folders, trees
// of files, and the recycle bin (all inside the sandbox).
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// The shell's folder for a CSIDL value, created when missing; empty when the
// shell knows none.
std::string SpecialFolder(int csidl);

// The folder `below` the shell's folder for `csidl`, made with the folders
// above it that are missing.
std::wstring UserFolder(int csidl, const wchar_t* below);

// Creates the folder and the folders above it that are missing.
bool MakeFolders(const std::string& path);

// Creates (or replaces) a file holding `content`, then gives it `attributes`.
bool PlantFile(const std::string& path, const std::string& content,
               DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// The whole content of a file, read while others may hold it open; nothing
// when it cannot be opened.
std::optional<std::string> FileContent(const std::string& path);

// Deletes a file or a folder with everything in it, read-only ones included.
void RemovePath(const std::string& path);

// Files and folders keyed by a label and their path below it: "folder" for a
// folder ("<label>\<path>\"), and for a file ("<label>\<path>") its size,
// attributes and a digest of its content. The same map type as a registry
// snapshot, so Differences() compares both.
using TreeSnapshot = std::map<std::string, std::string>;
// Adds the file or folder at `path` (a folder with all below it) under `key`;
// nothing when it does not exist. `withTimes` adds each entry's write time.
void SnapshotPath(const std::string& path, const std::string& key, TreeSnapshot& into,
                  bool withTimes = false);
std::string DescribeFile(size_t size, DWORD attributes, const std::string& content);

bool PathExists(const std::string& path);

// Moves a file into the recycle bin as the shell's "Delete" does (undoable,
// without asking); true when the shell reports success.
bool MoveToRecycleBin(const std::string& path);

// The recycle bin's store of deleted files (<trash>\files), from the runner;
// empty when the runner did not name the trash.
std::string RecycledFilesFolder();

// The names of the files that the recycle bin holds now.
std::vector<std::string> RecycledNames();

// The file in which Task Scheduler keeps this user's scheduled clean; Wine 8
// keeps it without its trigger and command, so it shows only that the task is
// there.
std::string ScheduledTaskFile();

// The report of the last quiet clean (%LOCALAPPDATA%\Quenby\last-clean.json).
std::string LastCleanFile();

} // namespace gui
