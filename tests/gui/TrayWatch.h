// Watches what programs ask of the notification area: the probe makes the
// shell's tray window copy every add, modify and delete request here while
// this object lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

struct TrayRequest {
    DWORD message = 0; // NIM_ADD, NIM_MODIFY or NIM_DELETE
    HWND owner = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::string tip;
    UINT iconWidth = 0; // the icon's image as the shell got it; 0 without one
    UINT iconHeight = 0;
};

class TrayWatch {
public:
    TrayWatch();
    ~TrayWatch();

    TrayWatch(const TrayWatch&) = delete;
    TrayWatch& operator=(const TrayWatch&) = delete;

    // Whether the shell's tray window was found and is watched.
    bool Watching() const { return m_watching; }

    // The requests of one kind made for one window, in order.
    std::vector<TrayRequest> Requests(DWORD message, HWND owner) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    bool m_watching = false;
    std::vector<TrayRequest> m_requests;
};

} // namespace gui
