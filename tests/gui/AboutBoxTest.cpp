// The about box: both ways to open it and every way to close it, with the
// main window alive afterwards.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

namespace gui {
namespace {

constexpr const char* AboutTitle = "About Quenby";
constexpr const char* AboutText = "Marlowick Quenby Version 1.0";

class AboutBoxTest : public QuenbyTest {
protected:
    // Waits for the about box and checks what it shows; null when it did not
    // open.
    HWND WaitForAboutBox() {
        HWND about = WaitForDialog();
        if (!about) {
            ADD_FAILURE() << "no about box opened";
            return nullptr;
        }
        EXPECT_EQ(WindowText(about), AboutTitle);
        EXPECT_EQ(GetWindow(about, GW_OWNER), Main()) << "the about box belongs to the main window";
        EXPECT_FALSE(IsWindowEnabled(Main())) << "the about box is modal to the main window";
        ExpectAboutContent(about);
        return about;
    }

    void ExpectAboutContent(HWND about) {
        bool hasIcon = false, hasText = false;
        for (HWND child : ChildWindows(about)) {
            DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
            if (_stricmp(ClassName(child).c_str(), "Static") != 0)
                continue;
            if ((style & SS_TYPEMASK) == SS_ICON) {
                DWORD_PTR icon = 0;
                SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_NORMAL, ShortTimeout, &icon);
                hasIcon = icon != 0;
            }
            hasText |= WindowText(child) == AboutText;
        }
        EXPECT_TRUE(hasIcon) << "the about box shows the program icon";
        EXPECT_TRUE(hasText) << "the about box says \"" << AboutText << "\"";
        HWND ok = GetDlgItem(about, IDOK);
        ASSERT_TRUE(ok);
        EXPECT_EQ(WindowText(ok), "OK");
    }

    void ExpectClosedWithTheMainWindowAlive(HWND about) {
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "the about box stays open";
        EXPECT_TRUE(Process().IsRunning());
        EXPECT_TRUE(IsWindow(Main()));
        EXPECT_TRUE(IsWindowVisible(Main()));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main()) != FALSE; }))
            << "the main window stays disabled";
        EXPECT_TRUE(SendWithin(Main(), WM_NULL, 0, 0)) << "the main window does not answer";
    }
};

TEST_F(AboutBoxTest, SystemMenuItemOpensItAndOkClosesIt) {
    ASSERT_TRUE(Start());
    // Posted: the about box runs its own modal loop inside the handler.
    PostMessageA(Main(), WM_SYSCOMMAND, SystemCommandAbout, 0);
    HWND about = WaitForAboutBox();
    ASSERT_TRUE(about);
    PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    ExpectClosedWithTheMainWindowAlive(about);
}

TEST_F(AboutBoxTest, HelpAboutCommandOpensItAndEscapeClosesIt) {
    ASSERT_TRUE(Start());
    PostMessageA(Main(), WM_COMMAND, CommandAbout, 0);
    HWND about = WaitForAboutBox();
    ASSERT_TRUE(about);
    ASSERT_TRUE(WaitUntil([&] { return GetParent(Focus()) == about; }))
        << "the focus is not in the about box";
    Press(VK_ESCAPE);
    ExpectClosedWithTheMainWindowAlive(about);
}

TEST_F(AboutBoxTest, CloseBoxClosesIt) {
    ASSERT_TRUE(Start());
    PostMessageA(Main(), WM_SYSCOMMAND, SystemCommandAbout, 0);
    HWND about = WaitForAboutBox();
    ASSERT_TRUE(about);
    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectClosedWithTheMainWindowAlive(about);
}

} // namespace
} // namespace gui
