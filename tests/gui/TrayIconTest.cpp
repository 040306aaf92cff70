// The notification-area icon: its menu in both window states, showing and
// hiding from it, the mouse events that do nothing, and minimising into it.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

#include <shellapi.h>

namespace gui {
namespace {

class TrayIconTest : public QuenbyTest {
protected:
    // Hides the window the way the caption's minimise button does.
    void Minimise() {
        ASSERT_TRUE(SendWithin(Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0));
        ASSERT_FALSE(IsWindowVisible(Main()));
    }

    // Closes an open menu with Escape, as a user would, and checks that
    // nothing else happened.
    void DismissMenu(HWND menu) {
        PressKey(Main(), VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu) || !IsWindow(menu); }))
            << "the menu stays open";
        EXPECT_TRUE(Process().IsRunning());
        EXPECT_TRUE(SendWithin(Main(), WM_NULL, 0, 0)) << "the window does not answer";
    }

    // Delivers a mouse event on the icon that must not open anything: the
    // handler answers at once.
    void ExpectNothingOn(LPARAM mouseMessage) {
        EXPECT_TRUE(SendWithin(Main(), NotifyIconMessage, 0, mouseMessage))
            << "mouse message 0x" << std::hex << mouseMessage << " opened something modal";
        EXPECT_EQ(PopupMenuOf(Process().ProcessId()), nullptr)
            << "mouse message 0x" << std::hex << mouseMessage << " opened a menu";
    }
};

TEST_F(TrayIconTest, AddsOneIconWithTheCallbackMessageAndTooltip) {
    HWND main = Start();
    ASSERT_TRUE(main);
    EXPECT_TRUE(TrayIconExists(main));
    std::vector<TrayRequest> adds = Tray().Requests(NIM_ADD, main);
    ASSERT_EQ(adds.size(), 1u) << "icons added for the main window";
    EXPECT_EQ(adds[0].id, 0u);
    EXPECT_EQ(adds[0].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(adds[0].callbackMessage, NotifyIconMessage);
    EXPECT_EQ(adds[0].tip, "Personal management");
}

TEST_F(TrayIconTest, MinimiseHidesTheWindowInsteadOfIconisingIt) {
    // The four low bits of a system command are the system's own; a minimise
    // from the caption button may carry them.
    for (WPARAM command : {WPARAM{SC_MINIMIZE}, WPARAM{SC_MINIMIZE | 0x2}}) {
        HWND main = Start();
        ASSERT_TRUE(main);
        ASSERT_TRUE(SendWithin(main, WM_SYSCOMMAND, command, 0));
        EXPECT_FALSE(IsWindowVisible(main)) << "command 0x" << std::hex << command;
        EXPECT_FALSE(IsIconic(main)) << "command 0x" << std::hex << command;
        EXPECT_TRUE(TrayIconExists(main)) << "command 0x" << std::hex << command;
        EXPECT_TRUE(Process().IsRunning());
        EXPECT_TRUE(Process().End());
    }
}

TEST_F(TrayIconTest, SingleClicksAndMovesDoNothingAndADoubleClickShowsTheWindow) {
    ASSERT_TRUE(Start());
    Minimise();
    for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP}) {
        ExpectNothingOn(mouse);
        EXPECT_FALSE(IsWindowVisible(Main())) << "mouse message 0x" << std::hex << mouse;
    }
    EXPECT_TRUE(SendWithin(Main(), NotifyIconMessage, 0, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(IsWindowVisible(Main())) << "a double click shows the hidden window";
    EXPECT_FALSE(IsIconic(Main()));

    // Again while visible: it stays shown, and nothing else happens.
    ExpectNothingOn(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(Main()));
    EXPECT_TRUE(TrayIconExists(Main()));
}

TEST_F(TrayIconTest, HideAndShowItemsHideAndShowTheWindow) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(OpenTrayMenu(WM_RBUTTONDOWN));
    ChooseMenuItem(0); // "Hide"
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(Main()); })) << "Hide left it shown";
    EXPECT_FALSE(IsIconic(Main()));
    EXPECT_TRUE(TrayIconExists(Main()));
    EXPECT_TRUE(Process().IsRunning());

    ASSERT_TRUE(OpenTrayMenu(WM_RBUTTONDOWN));
    ChooseMenuItem(0); // "Show"
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()) != FALSE; }))
        << "Show left it hidden";
    EXPECT_TRUE(TrayIconExists(Main()));
}

// When Explorer restarts, its new taskbar holds no icons and it tells every
// top-level window so: the icon comes back, and a hidden window with it.
TEST_F(TrayIconTest, ComesBackWithTheTaskbarAndStillShowsTheWindow) {
    ASSERT_TRUE(Start());
    Minimise();
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = Main();
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    ASSERT_FALSE(TrayIconExists(Main()));
    SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(Main()); })) << "the icon did not come back";
    EXPECT_EQ(Tray().Requests(NIM_ADD, Main()).size(), 2u) << "icons added";
    ASSERT_TRUE(OpenTrayMenu(WM_RBUTTONDOWN));
    ChooseMenuItem(0); // "Show"
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()) != FALSE; }));
}

// The menu opens on the right button's press and on the context-menu event.
class TrayMenuTest : public TrayIconTest, public testing::WithParamInterface<LPARAM> {};

TEST_P(TrayMenuTest, OffersHideAndExitWhileTheWindowIsVisible) {
    ASSERT_TRUE(Start());
    HWND menu = OpenTrayMenu(GetParam());
    ASSERT_TRUE(menu) << "no menu opened";
    EXPECT_EQ(Describe(ItemsOf(menu)), "item 5002 \"Hide\"\n"
                                       "item 5003 \"Exit\"\n");
    DismissMenu(menu);
    EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_P(TrayMenuTest, OffersShowAndExitWhileTheWindowIsHidden) {
    ASSERT_TRUE(Start());
    Minimise();
    HWND menu = OpenTrayMenu(GetParam());
    ASSERT_TRUE(menu) << "no menu opened";
    EXPECT_EQ(Describe(ItemsOf(menu)), "item 5001 \"Show\"\n"
                                       "item 5003 \"Exit\"\n");
    DismissMenu(menu);
    EXPECT_FALSE(IsWindowVisible(Main()));
}

INSTANTIATE_TEST_SUITE_P(MouseEvents, TrayMenuTest,
                         testing::Values(LPARAM{WM_RBUTTONDOWN}, LPARAM{WM_CONTEXTMENU}),
                         [](const testing::TestParamInfo<LPARAM>& info) {
                             return info.param == WM_RBUTTONDOWN ? "RightButtonDown"
                                                                 : "ContextMenu";
                         });

} // namespace
} // namespace gui
