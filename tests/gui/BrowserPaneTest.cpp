// The web-browser pane: the placeholder keeps its place and holds the browser
// control's window, and the program works the same when the control cannot
// be created.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

#include <shellapi.h>

namespace gui {
namespace {

// The placeholder's rectangle in the template, in dialog units.
constexpr RECT PlaceholderUnits = {7, 163, 162, 39};
constexpr DWORD BrowserControlStyle = WS_CHILD | WS_VISIBLE;
// The size the pane asks of the control after creating it.
constexpr LONG RequestedWidth = 1024;
constexpr LONG RequestedHeight = 768;

// Wine serves the browser control from ieframe.dll. The loader reads
// per-program overrides from the registry when a program starts; an empty
// override switches the library off, so that creating the control fails.
// (WINEDLLOVERRIDES cannot do this for one child: Wine hands every child the
// value from its parent's Unix environment, whatever its Windows environment
// says.)
constexpr const char* ProgramOverridesKey =
    "Software\\Wine\\AppDefaults\\NoBrowser.exe\\DllOverrides";
constexpr const char* BrowserLibrary = "ieframe";
constexpr const char* ProgramWithoutBrowser = "NoBrowser.exe";

class BrowserPaneTest : public QuenbyTest {
protected:
    // The placeholder sits at its template rectangle.
    void ExpectPlaceholderInPlace() {
        HWND placeholder = Control(IdBrowserPlace);
        ASSERT_TRUE(placeholder) << "no placeholder " << IdBrowserPlace;
        EXPECT_TRUE(IsWindowVisible(placeholder));
        std::optional<POINT> baseUnits = Probe().DialogBaseUnits(Main());
        ASSERT_TRUE(baseUnits) << "the program did not answer MapDialogRect";
        RECT want = DialogUnitsToPixels(PlaceholderUnits, *baseUnits);
        RECT seen = RectInClient(placeholder, Main());
        EXPECT_TRUE(EqualRect(&want, &seen))
            << "placeholder at " << DescribeRect(seen) << ", expected " << DescribeRect(want);
    }

    void ExpectEndedByExit(HWND main) {
        PostMessageA(Control(IdExit), BM_CLICK, 0, 0);
        EXPECT_TRUE(Process().WaitForExit(ShortTimeout)) << "the program still runs";
        EXPECT_EQ(Tray().Requests(NIM_DELETE, main).size(), 1u) << "icon removals";
        EXPECT_TRUE(TopLevelWindows(Process().ProcessId()).empty()) << "a window remains";
    }
};

TEST_F(BrowserPaneTest, PlaceholderKeepsItsPlaceAndHoldsTheControlAtItsOrigin) {
    ASSERT_TRUE(Start());
    ExpectPlaceholderInPlace();
    HWND placeholder = Control(IdBrowserPlace);
    std::vector<HWND> children = ChildWindows(placeholder);
    ASSERT_EQ(children.size(), 1u) << "windows inside the placeholder";
    HWND control = children.front();
    EXPECT_EQ(GetDlgCtrlID(control), IdBrowserControl);
    DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    EXPECT_EQ(style, BrowserControlStyle) << std::hex << "style 0x" << style;
    EXPECT_TRUE(IsWindowVisible(control));

    // Created over the placeholder's client area, then asked for 1024 x 768
    // pixels, which Wine's control takes: its window starts at the client
    // origin and has the requested size; the placeholder shows the part of
    // it that fits and keeps its own size.
    RECT client{};
    GetClientRect(placeholder, &client);
    RECT seen = RectInClient(control, placeholder);
    RECT want = {client.left, client.top, client.left + RequestedWidth,
                 client.top + RequestedHeight};
    EXPECT_TRUE(EqualRect(&seen, &want))
        << "control at " << DescribeRect(seen) << ", expected " << DescribeRect(want)
        << " (placeholder client " << DescribeRect(client) << ")";
}

class WithoutBrowserControlTest : public BrowserPaneTest {
protected:
    void SetUp() override {
        BrowserPaneTest::SetUp();
        m_createdKey = FirstMissingKey(ProgramOverridesKey);
        ASSERT_TRUE(WriteString(ProgramOverridesKey, BrowserLibrary, ""));
    }

    void TearDown() override {
        BrowserPaneTest::TearDown();
        if (m_createdKey.empty())
            DeleteValue(ProgramOverridesKey, BrowserLibrary);
        else
            DeleteKeyTree(m_createdKey);
    }

private:
    std::string m_createdKey;
};

TEST_F(WithoutBrowserControlTest, TheWindowCleansAndEndsAsUsual) {
    std::string program = CopyProgram("nobrowser", ProgramWithoutBrowser);
    ASSERT_FALSE(program.empty());
    HWND main = StartProgram(program);
    ASSERT_TRUE(main);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(Focus(), Control(IdClean));
    EXPECT_TRUE(DialogsOf(Process().ProcessId(), main).empty()) << "a message box opened";
    ExpectPlaceholderInPlace();
    EXPECT_TRUE(ChildWindows(Control(IdBrowserPlace)).empty())
        << "the browser control was created all the same";

    SetBoxes(1u << TargetRecycleBin);
    EXPECT_TRUE(CleanAndAnswer(IDYES, "NoBrowser"));
    ExpectEndedByExit(main);
}

} // namespace
} // namespace gui
