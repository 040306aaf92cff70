#include "tests/gui/QuenbyTest.h"

#include "tests/gui/QuenbyIds.h"

namespace gui {

void QuenbyTest::SetUp() {
    // Every test starts as on a machine where the program never ran.
    DeleteKeyTree(CompanyKey);
    m_tray = std::make_unique<TrayWatch>();
    EXPECT_TRUE(m_tray->Watching()) << "cannot watch the notification area";
}

void QuenbyTest::TearDown() {
    m_probe.reset();
    for (auto& process : m_processes) {
        EXPECT_TRUE(process->End()) << "the program hung and was terminated";
    }
    m_processes.clear();
    m_tray.reset();
    DeleteKeyTree(CompanyKey);
}

HWND QuenbyTest::Start(const std::string& arguments) {
    return StartProgram(Options().quenbyPath, arguments);
}

HWND QuenbyTest::StartProgram(const std::string& exePath, const std::string& arguments) {
    m_processes.push_back(std::make_unique<QuenbyProcess>(exePath, arguments));
    QuenbyProcess& process = *m_processes.back();
    if (!process.Started()) {
        ADD_FAILURE() << "cannot start " << exePath << " (error " << process.StartError() << ")";
        return nullptr;
    }
    HWND window = process.WaitForMainWindow();
    if (!window)
        ADD_FAILURE() << "no window titled \"" << MainWindowTitle << "\" from " << exePath;
    return window;
}

ProbeClient& QuenbyTest::Probe() {
    if (m_probe)
        return *m_probe;
    m_probe = std::make_unique<ProbeClient>();
    if (!m_processes.empty()) {
        EXPECT_TRUE(m_probe->Attach(Process().ThreadId()))
            << "cannot hook the program's thread (error " << GetLastError() << ", probe "
            << Options().probePath << ")";
    }
    return *m_probe;
}

HWND QuenbyTest::OpenTrayMenu(LPARAM mouseMessage) {
    // Posted: the handler stays in the menu's loop until the menu closes.
    PostMessageA(Main(), NotifyIconMessage, 0, mouseMessage);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = PopupMenuOf(Process().ProcessId())) != nullptr; });
    return menu;
}

std::vector<MenuItem> QuenbyTest::ItemsOf(HWND menuWindow) {
    std::optional<std::vector<MenuItem>> items = Probe().Menu(menuWindow, probe::PopupMenu);
    if (!items) {
        ADD_FAILURE() << "the program did not describe its popup menu";
        return {};
    }
    return *items;
}

void QuenbyTest::ChooseMenuItem(int position) {
    // The menu's loop reads the keys from the thread's queue, whatever
    // window they were posted to.
    for (int i = 0; i <= position; ++i)
        PressKey(Main(), VK_DOWN);
    PressKey(Main(), VK_RETURN);
}

std::string QuenbyTest::CopyProgram(const std::string& folder, const std::string& fileName) {
    std::string target = Options().scratchFolder + "\\" + folder;
    CreateDirectoryA(target.c_str(), nullptr);
    target += "\\" + fileName;
    if (!CopyFileA(Options().quenbyPath.c_str(), target.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the program to " << target;
        return std::string();
    }
    return target;
}

HWND QuenbyTest::WaitForDialog(DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> dialogs = DialogsOf(Process().ProcessId(), Process().MainWindow());
            found = dialogs.empty() ? nullptr : dialogs.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

} // namespace gui
