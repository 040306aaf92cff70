#include "console/CloseCommand.h"

#include "clean/WidePath.h"
#include "platform/Handles.h"
#include "res/resource.h"

#include <tlhelp32.h>

#include <cwchar>
#include <set>

namespace {

const wchar_t FolderSwitch[] = L"--folder";
const wchar_t FolderValueError[] = L"--folder takes one folder, once";
const wchar_t ArgumentError[] = L"close takes no arguments but --folder DIR";

// A copy that has not ended by then is reported, never ended by force: the
// installer asks the user, or leaves its files for the next restart.
const DWORD CloseTimeoutMs = 10000;
const DWORD PollIntervalMs = 100;
// The longest path the system hands out, in characters.
const DWORD LongestPath = 32767;

// The programs of an install folder: the window answers the close request,
// the console program is waited for.
const wchar_t WindowProgram[] = L"Quenby.exe";
const wchar_t ConsoleProgram[] = L"QuenbyCmd.exe";

const int ExitNothingRuns = 0;
const int ExitStillRuns = 1;

const wchar_t StillRunningText[] = L"still running: ";
const wchar_t ProcessText[] = L" (process ";
const wchar_t NothingRunsText[] = L"Nothing of Quenby runs from ";
const wchar_t SomethingRunsText[] = L"Quenby still runs from ";
const wchar_t LineEnd[] = L".\n";

struct RunningCopy {
    DWORD processId;
    std::wstring image;
    bool isWindow;
};

// The folder part of a path, with its trailing backslash, so that a root
// stays a root ("C:\").
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The name part of a path.
std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

// Fills a buffer through `call`, which answers the length written, or the size
// it needs when the buffer is too small, or 0 on failure (GetFullPathNameW,
// GetLongPathNameW). Empty on failure.
template <typename Call> std::wstring Filled(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = call(&text[0], DWORD(text.size()));
    if (length >= text.size()) {
        text.resize(length);
        length = call(&text[0], length);
    }
    text.resize(length < text.size() ? length : 0);
    return text;
}

// One form for every spelling of a path: full, in long names where it exists
// (a process may have been started through short names), without a trailing
// backslash.
std::wstring NormalPath(const std::wstring& path) {
    std::wstring full = Filled([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
    if (full.empty())
        return path;
    const std::wstring longForm = Filled(
        [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    if (!longForm.empty())
        full = longForm;
    if (full.size() > 1 && full.back() == L'\\')
        full.pop_back();
    return full;
}

bool IsOurProgram(const wchar_t* name) {
    return WidePath::NameIs(name, WindowProgram) || WidePath::NameIs(name, ConsoleProgram);
}

// The image a process runs, empty when it cannot be read (it ended, or it
// belongs to someone this process may not ask).
std::wstring ImageOf(DWORD processId) {
    platform::UniqueHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    std::wstring image(LongestPath, L'\0');
    DWORD length = LongestPath;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, &image[0], &length))
        return std::wstring();
    image.resize(length);
    return NormalPath(image);
}

std::wstring OwnFolder() {
    std::wstring path(LongestPath, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], LongestPath);
    path.resize(length < LongestPath ? length : 0);
    return FolderOf(path);
}

// The window and console programs that run from `folder` (in its NormalPath
// form), this process aside.
std::vector<RunningCopy> FindCopies(const std::wstring& folder) {
    std::vector<RunningCopy> copies;
    platform::UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Process32FirstW(snapshot.get(), &entry))
        return copies;
    do {
        // Only our names need a closer look, and a short name ("QUENBY~1.EXE")
        // that may stand for one of them.
        if (entry.th32ProcessID == GetCurrentProcessId() ||
            (!IsOurProgram(entry.szExeFile) && !wcschr(entry.szExeFile, L'~')))
            continue;
        const std::wstring image = ImageOf(entry.th32ProcessID);
        const std::wstring name = NameOf(image);
        if (!image.empty() && IsOurProgram(name.c_str()) &&
            WidePath::NameIs(FolderOf(image).c_str(), (folder + L'\\').c_str()))
            copies.push_back(
                {entry.th32ProcessID, image, WidePath::NameIs(name.c_str(), WindowProgram)});
    } while (Process32NextW(snapshot.get(), &entry));
    return copies;
}

struct CloseRequest {
    UINT message;
    std::set<DWORD> windowProcesses;
    std::set<HWND> asked;
};

// Only the main window of the window program knows the message; its other
// windows (a message box, the help) ignore it. Visible or hidden in the
// notification area, the main window is a top-level window of its process.
BOOL CALLBACK AskWindow(HWND window, LPARAM context) {
    CloseRequest& request = *reinterpret_cast<CloseRequest*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (request.windowProcesses.count(processId) && request.asked.insert(window).second)
        PostMessageW(window, request.message, 0, 0);
    return TRUE;
}

// Asks each window not asked yet: a copy that was still starting in the
// previous round has its window by now.
void AskToEnd(const std::vector<RunningCopy>& copies, CloseRequest& request) {
    request.windowProcesses.clear();
    for (const RunningCopy& copy : copies) {
        if (copy.isWindow)
            request.windowProcesses.insert(copy.processId);
    }
    if (request.message != 0 && !request.windowProcesses.empty())
        EnumWindows(&AskWindow, reinterpret_cast<LPARAM>(&request));
}

} // namespace

bool ParseCloseArguments(const std::vector<std::wstring>& args, std::wstring& folder,
                         std::wstring& error) {
    folder.clear();
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] != FolderSwitch) {
            error = ArgumentError;
            return false;
        }
        if (i + 1 == args.size() || args[i + 1].empty() || !folder.empty()) {
            error = FolderValueError;
            return false;
        }
        folder = args[++i];
    }
    return true;
}

int RunClose(const std::wstring& folderArgument, ConsoleStream& out) {
    const std::wstring folder = NormalPath(folderArgument.empty() ? OwnFolder() : folderArgument);
    CloseRequest request;
    request.message = RegisterWindowMessageA(QUENBY_CLOSE_MESSAGE);

    const DWORD started = GetTickCount();
    std::vector<RunningCopy> copies = FindCopies(folder);
    while (!copies.empty() && GetTickCount() - started < CloseTimeoutMs) {
        AskToEnd(copies, request);
        Sleep(PollIntervalMs);
        copies = FindCopies(folder);
    }

    for (const RunningCopy& copy : copies)
        out.Write(StillRunningText + copy.image + ProcessText + std::to_wstring(copy.processId) +
                  L")\n");
    out.Write((copies.empty() ? NothingRunsText : SomethingRunsText) + folder + LineEnd);
    return copies.empty() ? ExitNothingRuns : ExitStillRuns;
}
