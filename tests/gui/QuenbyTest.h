// Base fixture of the end-to-end tests: a clean settings key before each test,
// and every program the test started ended after it.
#pragma once

#include "tests/gui/Desktop.h"
#include "tests/gui/DriverOptions.h"
#include "tests/gui/ProbeClient.h"
#include "tests/gui/QuenbyProcess.h"
#include "tests/gui/Registry.h"
#include "tests/gui/TrayWatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// The application name of the program under its own file name.
constexpr const char* QuenbyName = "Quenby";

// A message box of the clean run as the user sees it; its caption is the
// application name.
struct ExpectedMessageBox {
    const char* text;
    // The buttons in order: id and text.
    std::vector<std::pair<int, std::string>> buttons;
    // The system icon that it shows (IDI_...).
    LPCSTR icon;
};
// "Are you sure to clean?": MB_YESNO | MB_ICONQUESTION.
extern const ExpectedMessageBox CleanQuestion;
// "Clean finish.\t\t": MB_OK | MB_ICONINFORMATION.
extern const ExpectedMessageBox CleanFinished;

// What the console program beside the program under test did.
struct ConsoleRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out;
    std::string err;
};
// Runs it with `input` as its standard input and its output read through
// pipes (ConsoleTest.cpp).
ConsoleRun RunConsole(const std::string& arguments, const std::string& input = "");

class QuenbyTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program and waits for its main window; null (with a test
    // failure) when the window did not appear. The process stays available
    // through Process() until the test ends.
    HWND Start(const std::string& arguments = "");
    HWND StartProgram(const std::string& exePath, const std::string& arguments = "");
    QuenbyProcess& Process() { return *m_processes.back(); }

    // The last started program's main window and its parts.
    HWND Main() { return Process().MainWindow(); }
    HWND Control(int id) { return GetDlgItem(Main(), id); }
    HWND Focus() { return FocusOfThread(Process().ThreadId()); }

    // Presses a key at the control that has the focus.
    void Press(WORD virtualKey) { PressKey(Focus(), virtualKey); }

    // What the programs of this test asked of the notification area.
    TrayWatch& Tray() { return *m_tray; }

    // Hooks the probe into the last started program (once per test).
    ProbeClient& Probe();

    // The dialog's base units as the program converts them (MapDialogRect),
    // with the client area checked against a template of width x height
    // dialog units; nothing when the program did not answer.
    std::optional<POINT> BaseUnitsWithClientSize(HWND dialog, LONG width, LONG height);

    // Delivers a mouse event on the notification-area icon as the shell does
    // and waits for the menu it opens; null when none opened.
    HWND OpenTrayMenu(LPARAM mouseMessage);

    // The items of an open popup menu (empty, with a failure, when the
    // program did not answer).
    std::vector<MenuItem> ItemsOf(HWND menuWindow);

    // Chooses the item at `position` of the open menu with the keyboard, as a
    // user does: arrow down to it, then Enter.
    void ChooseMenuItem(int position);

    // Copies the program to <scratch>\<folder>\<fileName>, making the
    // folders that are missing, and answers the copy's path (empty on
    // failure).
    std::string CopyProgram(const std::string& folder, const std::string& fileName);

    // A message box or dialog of the program other than its main window, once
    // one is visible; null when none came in time.
    HWND WaitForDialog(DWORD timeoutMs = ShortTimeout);

    // Waits for a message box of the last started program and checks it: the
    // caption, modal to the main window, the text, the buttons and the icon.
    // Answers the box, or null (with a failure) when none opened.
    HWND ExpectMessageBox(const ExpectedMessageBox& expected,
                          const std::string& caption = QuenbyName);

    // Clicks a button of a message box or dialog and waits until it closed.
    void Answer(HWND box, int buttonId);

    // Presses "&Clean" and answers its question: with Yes, also checks and
    // closes the completion box. Answers whether both went as expected.
    bool CleanAndAnswer(int answer, const std::string& caption = QuenbyName);

    // Brings the main window's check boxes to `selection` by clicking the ones
    // that differ, and the state the boxes show.
    void SetBoxes(DWORD selection);
    DWORD BoxesOnScreen();

private:
    std::vector<std::unique_ptr<QuenbyProcess>> m_processes;
    std::unique_ptr<ProbeClient> m_probe;
    std::unique_ptr<TrayWatch> m_tray;
};

} // namespace gui
