// Looking at the shared desktop from outside, as a user and Windows would:
// windows by process and class, the focus of a thread, the notification area,
// keys. Every wait polls with a short timeout; nothing sleeps a fixed time.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

// Timeouts of the driver, in milliseconds.
constexpr DWORD ShortTimeout = 3000;
constexpr DWORD StartTimeout = 15000;
// A clean run may walk large folders before its completion box appears.
constexpr DWORD CleanRunTimeout = 30000;
// How often a wait asks again, in milliseconds.
constexpr DWORD PollInterval = 20;

// Polls `done` every `intervalMs` until it answers true or `timeoutMs` passes;
// the driver's own messages are dispatched meanwhile. Answers the last result
// of `done`.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = ShortTimeout,
               DWORD intervalMs = PollInterval);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
DWORD ProcessOf(HWND window);

// Top-level windows of a process, in z-order; `className` null for any class.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className = nullptr);

// Visible windows of a process with the dialog class #32770 other than
// `except`: message boxes and nested dialogs.
std::vector<HWND> DialogsOf(DWORD processId, HWND except);

// The visible popup-menu window (#32768) of a process, or null.
HWND PopupMenuOf(DWORD processId);

// Every visible top-level window of the desktop, whatever its process.
std::vector<HWND> VisibleTopLevelWindows();

// Direct children of a window in z-order (which is the dialog template order).
std::vector<HWND> ChildWindows(HWND parent);

// A rectangle given as x, y, width and height in dialog units, in pixels for a
// dialog with the given base units (the dialog manager's MapDialogRect).
RECT DialogUnitsToPixels(const RECT& units, POINT baseUnits);

// A window's rectangle in the client coordinates of `parent`.
RECT RectInClient(HWND window, HWND parent);

// "left,top - right,bottom", for failure messages.
std::string DescribeRect(const RECT& rect);

// The lines, each ended by a newline: lists compare as one text in messages.
std::string JoinLines(const std::vector<std::string>& lines);

// The window that has the keyboard focus in a thread, or null.
HWND FocusOfThread(DWORD threadId);

// Whether the notification area holds the icon (owner, id 0): a modify
// request with no flags succeeds only while it does.
bool TrayIconExists(HWND owner);

// Sends a message and waits for the answer; false when the window did not
// answer in time (for example because the handler opened something modal).
bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                DWORD timeoutMs = ShortTimeout);

// A key press and release as the dialog manager gets it from the message
// queue: WM_KEYDOWN and WM_KEYUP posted to the window with the focus.
void PressKey(HWND focus, WORD virtualKey);

} // namespace gui
