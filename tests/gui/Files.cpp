#include "tests/gui/Files.h"

#include "tests/gui/DriverOptions.h"
#include "tests/gui/Registry.h"

#include "platform/Handles.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace gui {

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr const char* AllEntries = "\\*";
constexpr const char* RecycledFilesSubfolder = "\\files";
// Bits of the attributes that say something about a planted file; the
// archive bit and the like come and go with the file system.
constexpr DWORD ComparedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// FNV-1a: enough to tell whether a file's bytes changed.
std::string Digest(const std::string& content) {
    unsigned long hash = 2166136261ul;
    for (unsigned char byte : content)
        hash = (hash ^ byte) * 16777619ul;
    char text[16];
    std::snprintf(text, sizeof(text), "%08lx", hash & 0xFFFFFFFFul);
    return text;
}

} // namespace

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE))
        return std::string();
    return path;
}

std::wstring UserFolder(int csidl, const wchar_t* below) {
    wchar_t root[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, root, csidl, TRUE);
    const std::wstring path = std::wstring(root) + L"\\" + below;
    SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return path;
}

bool MakeFolders(const std::string& path) {
    for (size_t end = path.find('\\', 3); end != std::string::npos; end = path.find('\\', end + 1))
        CreateDirectoryA(path.substr(0, end).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PlantFile(const std::string& path, const std::string& content, DWORD attributes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    if (!content.empty() && (!WriteFile(file.get(), content.data(),
                                        static_cast<DWORD>(content.size()), &written, nullptr) ||
                             written != content.size()))
        return false;
    file.reset();
    return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

std::optional<std::string> FileContent(const std::string& path) {
    platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, ShareAll, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string content(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        !ReadFile(file.get(), &content[0], static_cast<DWORD>(content.size()), &read, nullptr))
        return std::nullopt;
    content.resize(read);
    return content;
}

void RemovePath(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA entry;
    platform::UniqueFind find(FindFirstFileA((path + AllEntries).c_str(), &entry));
    if (find) {
        do {
            if (!IsDotEntry(entry.cFileName))
                RemovePath(path + "\\" + entry.cFileName);
        } while (FindNextFileA(find.get(), &entry));
        find.reset();
    }
    RemoveDirectoryA(path.c_str());
}

std::string DescribeFile(size_t size, DWORD attributes, const std::string& content) {
    char text[96];
    std::snprintf(text, sizeof(text), "file, %u bytes, attributes 0x%lx, digest %s",
                  static_cast<unsigned>(size), attributes & ComparedAttributes,
                  Digest(content).c_str());
    return text;
}

void SnapshotPath(const std::string& path, const std::string& key, TreeSnapshot& into,
                  bool withTimes) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return;
    const std::string written =
        withTimes ? ", written " + std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
                        std::to_string(data.ftLastWriteTime.dwLowDateTime)
                  : std::string();
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::string content = FileContent(path).value_or("(unreadable)");
        into[key] = DescribeFile(data.nFileSizeLow, data.dwFileAttributes, content) + written;
        return;
    }
    into[key + "\\"] = "folder" + written;
    WIN32_FIND_DATAA entry;
    platform::UniqueFind find(FindFirstFileA((path + AllEntries).c_str(), &entry));
    if (!find)
        return;
    do {
        if (!IsDotEntry(entry.cFileName))
            SnapshotPath(path + "\\" + entry.cFileName, key + "\\" + entry.cFileName, into,
                         withTimes);
    } while (FindNextFileA(find.get(), &entry));
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MoveToRecycleBin(const std::string& path) {
    std::string from = path + '\0'; // the list of names ends with an empty one
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

std::string RecycledFilesFolder() {
    if (Options().trashFolder.empty())
        return std::string();
    return Options().trashFolder + RecycledFilesSubfolder;
}

std::vector<std::string> RecycledNames() {
    std::vector<std::string> names;
    std::string folder = RecycledFilesFolder();
    if (folder.empty())
        return names;
    WIN32_FIND_DATAA entry;
    platform::UniqueFind find(FindFirstFileA((folder + AllEntries).c_str(), &entry));
    if (!find)
        return names;
    do {
        if (!IsDotEntry(entry.cFileName))
            names.push_back(entry.cFileName);
    } while (FindNextFileA(find.get(), &entry));
    return names;
}

std::string ScheduledTaskFile() {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\Tasks\\Quenby\\Scheduled clean " + CurrentUserSid();
}

std::string LastCleanFile() {
    return SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Quenby\\last-clean.json";
}

} // namespace gui
