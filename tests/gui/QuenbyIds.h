// The numbers by which the program's windows, menus and messages are known
// from outside. They are written here, not taken from the program's own
// resource header, so that a changed id there shows as a failure here.
#pragma once

#include <windows.h>

namespace gui {

// Controls of the main window.
constexpr int IdClean = 1000;
constexpr int IdExit = IDCANCEL;
constexpr int IdFirstCheckBox = 1002;
constexpr int IdLastCheckBox = 1009;
constexpr int CheckBoxCount = IdLastCheckBox - IdFirstCheckBox + 1;
constexpr int IdSponsorNotice = -1;
constexpr int IdBrowserPlace = 1011;

// The cleaning targets: check box IdFirstCheckBox + target of the main window,
// bit `target` of a stored selection, and the place in a clean run's order.
enum Target : int {
    TargetRealPlayer,
    TargetMediaPlayer,
    TargetRecentDocuments,
    TargetIEHistory,
    TargetIEAddressBar,
    TargetIEAutoComplete,
    TargetIEPasswords,
    TargetRecycleBin,
    TargetCount
};
constexpr DWORD AllTargets = 0xFF;

// Menu commands.
constexpr UINT CommandExit = IDCANCEL;
constexpr UINT CommandSaveDefault = 134;
constexpr UINT CommandOptions = 130;
constexpr UINT CommandHelpTopics = 131;
constexpr UINT CommandAbout = 133;
constexpr UINT SystemCommandAbout = 16;

// The callback message of the notification-area icon.
constexpr UINT NotifyIconMessage = WM_USER + 100;

// Icon 128, the program icon.
constexpr WORD ProgramIconId = 128;

// Values of the settings key.
constexpr const char* PlaceValue = "Place";
constexpr const char* OptionValue = "Option";
constexpr DWORD OptionCleanAtShutdown = 1;
constexpr DWORD OptionSaveAtExit = 2;
constexpr DWORD OptionAutoRun = 4;

// Controls of the options dialog: box IdFirstOption + bit of "Option".
constexpr int IdFirstOption = 1002;
constexpr int OptionCount = 3;
constexpr const char* OptionsTitle = "Option";

// The child window of the web-browser pane that holds the browser control.
constexpr int IdBrowserControl = 0xE900;

} // namespace gui
