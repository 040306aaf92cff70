// The driver's side of the probe: hooks the program's user-interface thread
// with the probe DLL and asks it what only the program itself can read.
#pragma once

#include "tests/gui/ProbeProtocol.h"

#include "platform/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui {

struct MenuItem {
    int depth = 0;
    UINT id = 0;
    std::string kind; // "item", "separator" or "popup"
    std::string text;
};

struct TreeItem {
    int depth = 0;
    UINT_PTR handle = 0; // the item's HTREEITEM in the program
    int state = 0;       // its state image index
    POINT image{-1, -1}; // a point on its state image, in the tree's client area
    std::string text;
};

// One line per item, indented by depth: `item 134 "&Save check as default"`.
std::string Describe(const std::vector<MenuItem>& items);

class ProbeClient {
public:
    ProbeClient();
    ~ProbeClient();

    ProbeClient(const ProbeClient&) = delete;
    ProbeClient& operator=(const ProbeClient&) = delete;

    // Hooks the thread that owns the program's windows.
    bool Attach(DWORD threadId);

    // The menu bar, system menu or popup menu (#32768 window) of `window`;
    // nothing when the program did not answer.
    std::optional<std::vector<MenuItem>> Menu(HWND window, probe::RequestKind kind);

    // MapDialogRect of {0, 0, 4, 8} in the dialog: its horizontal and vertical
    // base units.
    std::optional<POINT> DialogBaseUnits(HWND dialog);

    // The window's big, small or drag icon, or the icon of an icon static
    // control, as the program holds it.
    std::optional<probe::IconImage> Icon(HWND window, probe::RequestKind kind);

    // A tree view's items, depth-first; a list view's rows, each its cells
    // separated by tabs.
    std::optional<std::vector<TreeItem>> Tree(HWND tree);
    std::optional<std::vector<std::string>> ListRows(HWND list);

    // The manifest's settings as the program runs with them (name=value lines).
    std::optional<std::string> ManifestSettings(HWND window) {
        return Ask(window, probe::ManifestSettings);
    }

    // Has the shell's tray window copy every request it gets to the driver's
    // watch window from now on (the hooked thread must be the shell's).
    bool WatchTray(HWND trayWindow) { return Ask(trayWindow, probe::WatchTray).has_value(); }

private:
    static LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    std::optional<std::string> Ask(HWND window, probe::RequestKind kind);

    platform::UniqueModule m_probe;
    HWND m_replyWindow = nullptr;
    HHOOK m_hook = nullptr;
    UINT m_requestMessage = 0;
    bool m_answered = false;
    std::string m_answer;
};

} // namespace gui
