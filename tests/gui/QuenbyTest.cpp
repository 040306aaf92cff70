#include "tests/gui/QuenbyTest.h"

#include "tests/gui/Files.h"
#include "tests/gui/QuenbyIds.h"

#include "platform/Handles.h"

namespace gui {

const ExpectedMessageBox CleanQuestion = {
    "Are you sure to clean?", {{IDYES, "&Yes"}, {IDNO, "&No"}}, IDI_QUESTION};
const ExpectedMessageBox CleanFinished = {"Clean finish.\t\t", {{IDOK, "OK"}}, IDI_INFORMATION};

namespace {

// The id of a message box's text.
const int MessageBoxTextId = 0xFFFF;

bool IsIconStatic(HWND control) {
    return _stricmp(ClassName(control).c_str(), "Static") == 0 &&
           (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// The image of a system icon at the given size, as this process loads it.
probe::IconImage SystemIcon(LPCSTR id, LONG width, LONG height) {
    platform::UniqueIcon icon(
        static_cast<HICON>(LoadImageA(nullptr, id, IMAGE_ICON, width, height, 0)));
    return probe::ReadIconImage(icon.get());
}

} // namespace

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
    if (!Options().keepState)
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
    MakeFolders(target);
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

HWND QuenbyTest::ExpectMessageBox(const ExpectedMessageBox& expected, const std::string& caption) {
    // A message box, not the clean's progress window, which a slow clean
    // shows before its last box.
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : DialogsOf(Process().ProcessId(), Process().MainWindow())) {
                if (GetDlgItem(dialog, MessageBoxTextId))
                    box = dialog;
            }
            return box != nullptr;
        },
        CleanRunTimeout);
    if (!box) {
        ADD_FAILURE() << "no message box \"" << expected.text << "\" opened";
        return nullptr;
    }
    SCOPED_TRACE(std::string("message box \"") + expected.text + "\"");
    EXPECT_EQ(WindowText(box), caption) << "caption";
    EXPECT_EQ(GetWindow(box, GW_OWNER), Main()) << "the box belongs to the main window";
    EXPECT_FALSE(IsWindowEnabled(Main())) << "the box is modal to the main window";
    std::vector<std::pair<int, std::string>> buttons;
    std::vector<std::string> texts;
    HWND icon = nullptr;
    for (HWND child : ChildWindows(box)) {
        if (!IsWindowVisible(child))
            continue;
        if (_stricmp(ClassName(child).c_str(), "Button") == 0)
            buttons.emplace_back(GetDlgCtrlID(child), WindowText(child));
        else if (IsIconStatic(child))
            icon = child;
        else
            texts.push_back(WindowText(child));
    }
    EXPECT_EQ(texts, std::vector<std::string>{expected.text}) << "text";
    EXPECT_EQ(buttons, expected.buttons) << "buttons (id, text)";
    if (!icon) {
        ADD_FAILURE() << "no icon";
        return box;
    }
    std::optional<probe::IconImage> seen = Probe().Icon(icon, probe::StaticIcon);
    if (!seen || seen->width <= 0) {
        ADD_FAILURE() << "the program did not describe the box's icon";
        return box;
    }
    probe::IconImage want = SystemIcon(expected.icon, seen->width, seen->height);
    EXPECT_TRUE(seen->color == want.color && seen->mask == want.mask)
        << "the icon is not the system icon " << reinterpret_cast<UINT_PTR>(expected.icon);
    return box;
}

void QuenbyTest::Answer(HWND box, int buttonId) {
    if (!box)
        return;
    HWND button = GetDlgItem(box, buttonId);
    ASSERT_TRUE(button) << "no button " << buttonId;
    PostMessageA(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        << "the box stays open after button " << buttonId;
}

bool QuenbyTest::CleanAndAnswer(int answer, const std::string& caption) {
    PostMessageA(Control(IdClean), BM_CLICK, 0, 0);
    HWND question = ExpectMessageBox(CleanQuestion, caption);
    if (!question)
        return false;
    Answer(question, answer);
    if (answer == IDYES) {
        HWND finished = ExpectMessageBox(CleanFinished, caption);
        if (!finished)
            return false;
        Answer(finished, IDOK);
    }
    return WaitUntil([&] { return IsWindowEnabled(Main()) != FALSE; });
}

void QuenbyTest::SetBoxes(DWORD selection) {
    for (int i = 0; i < CheckBoxCount; ++i) {
        bool want = (selection & (1u << i)) != 0;
        bool shown = SendMessageA(Control(IdFirstCheckBox + i), BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (want != shown) {
            EXPECT_TRUE(SendWithin(Control(IdFirstCheckBox + i), BM_CLICK, 0, 0));
        }
    }
    EXPECT_EQ(BoxesOnScreen(), selection) << "boxes after clicking";
}

DWORD QuenbyTest::BoxesOnScreen() {
    DWORD selection = 0;
    for (int i = 0; i < CheckBoxCount; ++i) {
        if (SendMessageA(Control(IdFirstCheckBox + i), BM_GETCHECK, 0, 0) == BST_CHECKED)
            selection |= 1u << i;
    }
    return selection;
}

std::optional<POINT> QuenbyTest::BaseUnitsWithClientSize(HWND dialog, LONG width, LONG height) {
    std::optional<POINT> baseUnits = Probe().DialogBaseUnits(dialog);
    EXPECT_TRUE(baseUnits) << "the program did not answer MapDialogRect";
    if (!baseUnits)
        return baseUnits;
    RECT client{};
    GetClientRect(dialog, &client);
    RECT size = DialogUnitsToPixels({0, 0, width, height}, *baseUnits);
    EXPECT_EQ(client.right, size.right) << "client width";
    EXPECT_EQ(client.bottom, size.bottom) << "client height";
    return baseUnits;
}

} // namespace gui
