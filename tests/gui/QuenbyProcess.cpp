#include "tests/gui/QuenbyProcess.h"

#include "tests/gui/Desktop.h"

namespace gui {

namespace {

constexpr DWORD HungExitCode = 0xDEAD;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

constexpr int StartAttempts = 3;
constexpr DWORD StartRetryPauseMs = 250;

} // namespace

BOOL StartProcess(const char* application, char* commandLine, BOOL inherit, DWORD flags,
                  const char* folder, STARTUPINFOA& startup, PROCESS_INFORMATION& info) {
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(application, commandLine, nullptr, nullptr, inherit, flags, nullptr,
                           folder, &startup, &info))
            return TRUE;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == StartAttempts) {
            SetLastError(error);
            return FALSE;
        }
        Sleep(StartRetryPauseMs);
    }
}

QuenbyProcess::QuenbyProcess(const std::string& exePath, const std::string& arguments) {
    std::string commandLine = exePath.empty() ? arguments : "\"" + exePath + "\"";
    if (!exePath.empty() && !arguments.empty())
        commandLine += " " + arguments;
    std::string folder = FolderOf(exePath);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!StartProcess(exePath.empty() ? nullptr : exePath.c_str(), &commandLine[0], FALSE, 0,
                      folder.empty() ? nullptr : folder.c_str(), startup, info)) {
        m_startError = GetLastError();
        return;
    }
    platform::UniqueHandle thread(info.hThread);
    m_process.reset(info.hProcess);
    m_processId = info.dwProcessId;
}

QuenbyProcess::~QuenbyProcess() {
    End();
}

HWND QuenbyProcess::WaitForMainWindow() {
    if (!Started())
        return nullptr;
    WaitUntil(
        [this] {
            for (HWND window : TopLevelWindows(m_processId, "#32770")) {
                // The dialog manager shows the window once its initialisation
                // is done; until then it is not the window the user sees.
                if (IsWindowVisible(window) && WindowText(window) == MainWindowTitle) {
                    m_mainWindow = window;
                    return true;
                }
            }
            return !IsRunning();
        },
        StartTimeout);
    if (m_mainWindow)
        m_threadId = GetWindowThreadProcessId(m_mainWindow, nullptr);
    return m_mainWindow;
}

std::string QuenbyProcess::ImagePath() const {
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (!Started() || !QueryFullProcessImageNameA(m_process.get(), 0, path, &size))
        return std::string();
    return path;
}

bool QuenbyProcess::IsRunning() const {
    return Started() && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

bool QuenbyProcess::WaitForExit(DWORD timeoutMs) {
    return WaitUntil([this] { return !IsRunning(); }, timeoutMs);
}

DWORD QuenbyProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.get(), &code);
    return code;
}

bool QuenbyProcess::End() {
    if (!IsRunning())
        return true;
    DWORD threadId = m_threadId;
    if (!threadId && m_mainWindow)
        threadId = GetWindowThreadProcessId(m_mainWindow, nullptr);
    // An open menu runs a loop of its own; WM_CANCELMODE ends it (what
    // EndMenu does inside the process).
    if (HWND menu = PopupMenuOf(m_processId))
        PostMessageA(menu, WM_CANCELMODE, 0, 0);
    if (threadId)
        PostThreadMessageA(threadId, WM_QUIT, 0, 0);
    if (WaitForExit(ShortTimeout))
        return true;
    TerminateProcess(m_process.get(), HungExitCode);
    WaitForSingleObject(m_process.get(), ShortTimeout);
    return false;
}

} // namespace gui
