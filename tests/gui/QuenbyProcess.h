// One started copy of the program under test, seen from outside.
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <string>

namespace gui {

// The caption of the program's main window.
constexpr const char* MainWindowTitle = "Marlowick Quenby - Privacy cleaner";

// CreateProcessA as the tests start programs. Wine now and then fails a
// start with ERROR_INTERNAL_ERROR before the program has run at all (seen
// under load, for QuenbyCmd): such a start is made again, a few times, so
// that the test reports on the program rather than on the launch.
BOOL StartProcess(const char* application, char* commandLine, BOOL inherit, DWORD flags,
                  const char* folder, STARTUPINFOA& startup, PROCESS_INFORMATION& info);

class QuenbyProcess {
public:
    // Starts `exePath` with `arguments` (may be empty) in its own folder.
    // Without `exePath`, `arguments` is the whole command line and the system
    // finds the program in it, as Windows starts a log-on entry.
    // Started() tells whether CreateProcess succeeded.
    QuenbyProcess(const std::string& exePath, const std::string& arguments);
    ~QuenbyProcess();

    QuenbyProcess(const QuenbyProcess&) = delete;
    QuenbyProcess& operator=(const QuenbyProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    // GetLastError of a failed CreateProcess.
    DWORD StartError() const { return m_startError; }
    DWORD ProcessId() const { return m_processId; }
    // The user-interface thread, known once the main window was found.
    DWORD ThreadId() const { return m_threadId; }

    // Waits for the top-level dialog with the main window's title; null when
    // it did not appear in time.
    HWND WaitForMainWindow();
    HWND MainWindow() const { return m_mainWindow; }

    // The file the process was started from.
    std::string ImagePath() const;

    bool IsRunning() const;
    bool WaitForExit(DWORD timeoutMs);
    // GetExitCodeProcess: STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

    // Ends the program if it still runs: closes its menus and nested loops by
    // posting WM_QUIT to its thread, as the notification-area "Exit" does.
    // Answers false when it had to be terminated because it hung.
    bool End();

private:
    platform::UniqueHandle m_process;
    DWORD m_processId = 0;
    DWORD m_threadId = 0;
    DWORD m_startError = 0;
    HWND m_mainWindow = nullptr;
};

} // namespace gui
