// The cleaners' side of the benchmarks, run by scripts/run-benchmarks.sh on
// trees it seeds from the Unix side:
//
//   quenby_bench walk FOLDER [INCLUDE_DESKTOP_INI WIPE_INDEX_FILES]
//       empties FOLDER with Cleaner::DeleteFolderContents (by default with the
//       flags of a clean run: "desktop.ini" kept, index files wiped)
//   quenby_bench preview FOLDER
//       notes what that walk would do, with the preview's visitor: nothing
//       changes
//   quenby_bench plain FOLDER
//       empties FOLDER with the fewest Win32 calls (FindFirstFileW,
//       DeleteFileW, RemoveDirectoryW; no checks): the cost of the walk itself
//       under the platform, to set the cleaner's checks against
//   quenby_bench wipe FOLDER [NAME]
//       wipes FOLDER\<each subfolder>\NAME ("index.dat") with
//       Cleaner::WipeIndexFile
//   quenby_bench none
//       does nothing: the cost of starting the process
//   quenby_bench count MODE ARGS...
//       runs MODE counting its calls to the platform's file functions
//       (CallCounter.h), and prints "NAME COUNT" for each after the time
//
// Each prints the milliseconds spent inside the cleaner calls. It refuses to
// run outside the sandbox of scripts/sandbox.sh, since it deletes files.
#include "clean/CleanReport.h"
#include "clean/Cleaner.h"
#include "clean/FolderNotes.h"
#include "platform/Handles.h"
#include "tests/bench/CallCounter.h"
#include "tests/bench/Stopwatch.h"
#include "platform/TextConversion.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const char SandboxVariable[] = "QUENBY_SANDBOX";
const char DefaultIndexName[] = "index.dat";
const char AllEntries[] = "\\*";
const wchar_t AllEntriesW[] = L"\\*";
const char Separator[] = "\\";
const wchar_t SeparatorW[] = L"\\";
const char CurrentFolder[] = ".";
const char ParentFolder[] = "..";
const wchar_t CurrentFolderW[] = L".";
const wchar_t ParentFolderW[] = L"..";
// A clean run keeps "desktop.ini" and wipes index files.
const int CleanRunIncludeDesktopIni = 0;
const int CleanRunWipeIndexFiles = 1;

const int ExitOk = 0;
const int ExitFailed = 1;
const int ExitUsage = 2;

void PrintUsage() {
    std::fprintf(stderr, "usage: quenby_bench walk FOLDER [INCLUDE_DESKTOP_INI WIPE_INDEX_FILES]\n"
                         "       quenby_bench preview FOLDER\n"
                         "       quenby_bench plain FOLDER\n"
                         "       quenby_bench wipe FOLDER [NAME]\n"
                         "       quenby_bench none\n"
                         "       quenby_bench count MODE ARGS...\n");
}

bool InSandbox() {
    const char* sandbox = std::getenv(SandboxVariable);
    return sandbox != nullptr && sandbox[0] != '\0';
}

void PrintElapsed(double ms) {
    std::printf("%.3f\n", ms);
}

int Walk(int argc, char** argv) {
    if (argc != 3 && argc != 5)
        return ExitUsage;
    const int includeDesktopIni = argc == 5 ? std::atoi(argv[3]) : CleanRunIncludeDesktopIni;
    const int wipeIndexFiles = argc == 5 ? std::atoi(argv[4]) : CleanRunWipeIndexFiles;
    Cleaner cleaner;
    Stopwatch stopwatch;
    const int listed = cleaner.DeleteFolderContents(argv[2], includeDesktopIni, wipeIndexFiles);
    PrintElapsed(stopwatch.ElapsedMs());
    return listed == 1 ? ExitOk : ExitFailed;
}

int Preview(int argc, char** argv) {
    if (argc != 3)
        return ExitUsage;
    Cleaner cleaner;
    CleanReport report;
    FolderPreview preview(report);
    Stopwatch stopwatch;
    const int listed = cleaner.DeleteFolderContents(argv[2], CleanRunIncludeDesktopIni,
                                                    CleanRunWipeIndexFiles, preview);
    PrintElapsed(stopwatch.ElapsedMs());
    return listed == 1 && !report.Items().empty() ? ExitOk : ExitFailed;
}

bool IsDotEntry(const char* name) {
    return std::strcmp(name, CurrentFolder) == 0 || std::strcmp(name, ParentFolder) == 0;
}

bool IsDotEntry(const wchar_t* name) {
    return std::wcscmp(name, CurrentFolderW) == 0 || std::wcscmp(name, ParentFolderW) == 0;
}

// Depth first, as the cleaner goes, with nothing but the calls that delete.
void EmptyPlainly(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(FindFirstFileW((folder + AllEntriesW).c_str(), &entry));
    if (!find)
        return;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        const std::wstring path = folder + SeparatorW + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyPlainly(path);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(find.get(), &entry));
}

int Plain(int argc, char** argv) {
    if (argc != 3)
        return ExitUsage;
    const std::wstring folder = platform::FromAnsi(argv[2]);
    Stopwatch stopwatch;
    EmptyPlainly(folder);
    PrintElapsed(stopwatch.ElapsedMs());
    return ExitOk;
}

// The subfolders of `root`, gathered before the clock starts.
std::vector<std::string> Subfolders(const std::string& root) {
    std::vector<std::string> folders;
    WIN32_FIND_DATAA entry;
    platform::UniqueFind find(FindFirstFileA((root + AllEntries).c_str(), &entry));
    if (!find)
        return folders;
    do {
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && !IsDotEntry(entry.cFileName))
            folders.push_back(root + Separator + entry.cFileName);
    } while (FindNextFileA(find.get(), &entry));
    return folders;
}

int Wipe(int argc, char** argv) {
    if (argc != 3 && argc != 4)
        return ExitUsage;
    const char* name = argc == 4 ? argv[3] : DefaultIndexName;
    const std::vector<std::string> folders = Subfolders(argv[2]);
    if (folders.empty())
        return ExitFailed;
    Cleaner cleaner;
    int opened = 0;
    Stopwatch stopwatch;
    for (const std::string& folder : folders)
        opened += cleaner.WipeIndexFile(folder.c_str(), name);
    PrintElapsed(stopwatch.ElapsedMs());
    return opened == int(folders.size()) ? ExitOk : ExitFailed;
}

} // namespace

int main(int argc, char** argv) {
    const bool counting = argc > 1 && std::strcmp(argv[1], "count") == 0;
    if (counting) {
        callcount::Install();
        --argc;
        ++argv;
    }
    if (argc < 2) {
        PrintUsage();
        return ExitUsage;
    }
    const std::string mode = argv[1];
    if (mode == "none")
        return ExitOk;
    if (!InSandbox()) {
        std::fprintf(stderr, "quenby_bench: refusing to run outside scripts/sandbox.sh\n");
        return ExitUsage;
    }
    int result = ExitUsage;
    if (mode == "walk")
        result = Walk(argc, argv);
    else if (mode == "preview")
        result = Preview(argc, argv);
    else if (mode == "plain")
        result = Plain(argc, argv);
    else if (mode == "wipe")
        result = Wipe(argc, argv);
    if (result == ExitUsage)
        PrintUsage();
    else if (counting)
        callcount::Print(stdout);
    return result;
}
