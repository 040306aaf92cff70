// The main window as the user first sees it: its frame, controls, keyboard
// order, menus and icons.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

#include "platform/Handles.h"

#include <shellapi.h>

#include <string.h>

namespace gui {
namespace {

// What the window's template asks for.
constexpr DWORD TemplateStyle = 0x90CA00C8;
constexpr DWORD TemplateExStyle = WS_EX_APPWINDOW;
// What the system adds to every dialog of this kind: the dialog manager sets
// DS_3DLOOK on every dialog and WS_EX_CONTROLPARENT on its window, the window
// manager clips every top-level window against its siblings, and a modal frame
// with a caption brings WS_EX_DLGMODALFRAME and WS_EX_WINDOWEDGE.
constexpr DWORD SystemAddedStyle = WS_CLIPSIBLINGS | DS_3DLOOK;
constexpr DWORD SystemAddedExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
// Template size in dialog units.
constexpr int DialogWidth = 176;
constexpr int DialogHeight = 209;

constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE;
constexpr const char* SponsorNotice =
    "Our free tools are sponsored by google, if you want to pay a visit, can through the \n"
    "right click popup menu->open in new window.";

struct ExpectedControl {
    int id;
    const char* className;
    DWORD style;
    const char* text;
    RECT units; // x, y, width, height in dialog units
};

// clang-format off
const ExpectedControl Controls[] = {
    {IdClean, "Button", ChildStyle | WS_TABSTOP | BS_PUSHBUTTON, "&Clean", {119, 25, 50, 14}},
    {IdExit, "Button", ChildStyle | WS_TABSTOP | BS_PUSHBUTTON, "E&xit", {119, 49, 50, 14}},
    {1002, "Button", ChildStyle | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, "Real Player",
     {7, 7, 52, 10}},
    {1003, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "Media Player", {7, 24, 57, 10}},
    {1004, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "Recent documents",
     {7, 41, 75, 10}},
    {1005, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "IE history", {7, 58, 47, 10}},
    {1006, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "IE address bar", {7, 73, 63, 10}},
    {1007, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "IE Auto compelete forms",
     {7, 90, 95, 10}},
    {1008, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "IE user names and passwords",
     {7, 108, 111, 10}},
    {1009, "Button", ChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, "Recycle bin", {7, 124, 52, 10}},
    {IdSponsorNotice, "Static", ChildStyle | WS_GROUP | SS_LEFT, SponsorNotice, {7, 137, 162, 25}},
    {IdBrowserPlace, "Edit", ChildStyle | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, "",
     {7, 163, 162, 39}},
};

constexpr size_t SponsorNoticeIndex = 10;

// The order in which Tab visits the controls, starting at "&Clean".
const int TabOrder[] = {IdClean, IdExit, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009,
                        IdBrowserPlace};
// clang-format on

class MainWindowTest : public QuenbyTest {};

TEST_F(MainWindowTest, IsAVisibleDialogWithTheTemplateTitleAndStyles) {
    HWND main = Start();
    ASSERT_TRUE(main);
    EXPECT_EQ(ClassName(main), "#32770");
    EXPECT_EQ(WindowText(main), "Marlowick Quenby - Privacy cleaner");

    DWORD style = static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE));
    EXPECT_EQ(style & TemplateStyle, TemplateStyle) << std::hex << "style 0x" << style;
    EXPECT_EQ(style & ~(TemplateStyle | SystemAddedStyle), 0u)
        << std::hex << "unexpected style bits in 0x" << style;
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(main, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & TemplateExStyle, TemplateExStyle) << std::hex << "ex style 0x" << exStyle;
    EXPECT_EQ(exStyle & ~(TemplateExStyle | SystemAddedExStyle), 0u)
        << std::hex << "unexpected extended style bits in 0x" << exStyle;

    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_FALSE(IsZoomed(main));
}

TEST_F(MainWindowTest, HoldsTheTemplateControlsInOrderWithTheirStylesAndTexts) {
    HWND main = Start();
    ASSERT_TRUE(main);
    std::vector<HWND> children = ChildWindows(main);
    ASSERT_EQ(children.size(), std::size(Controls)) << "controls of the main window";
    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& expected = Controls[i];
        HWND child = children[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(expected.id));
        EXPECT_EQ(GetDlgCtrlID(child), expected.id);
        EXPECT_EQ(_stricmp(ClassName(child).c_str(), expected.className), 0)
            << "class " << ClassName(child) << ", expected " << expected.className;
        DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        // The dialog manager marks the push button that has the focus as the
        // default one.
        if ((expected.style & BS_TYPEMASK) == BS_PUSHBUTTON)
            style &= ~static_cast<DWORD>(BS_DEFPUSHBUTTON);
        EXPECT_EQ(style, expected.style)
            << std::hex << "style 0x" << style << ", expected 0x" << expected.style;
        EXPECT_EQ(WindowText(child), expected.text);
    }
}

TEST_F(MainWindowTest, PlacesEveryControlAtItsTemplateRectangle) {
    HWND main = Start();
    ASSERT_TRUE(main);
    std::optional<POINT> baseUnits = BaseUnitsWithClientSize(main, DialogWidth, DialogHeight);
    ASSERT_TRUE(baseUnits);

    for (const ExpectedControl& expected : Controls) {
        if (expected.id == IdSponsorNotice)
            continue;
        HWND control = Control(expected.id);
        ASSERT_TRUE(control) << "no control " << expected.id;
        RECT want = DialogUnitsToPixels(expected.units, *baseUnits);
        RECT seen = RectInClient(control, main);
        EXPECT_TRUE(EqualRect(&want, &seen))
            << "control " << expected.id << " at " << DescribeRect(seen) << ", expected "
            << DescribeRect(want);
    }
    // The notice has no id of its own: it is found by its place in the order.
    std::vector<HWND> children = ChildWindows(main);
    ASSERT_EQ(children.size(), std::size(Controls));
    RECT want = DialogUnitsToPixels(Controls[SponsorNoticeIndex].units, *baseUnits);
    RECT seen = RectInClient(children[SponsorNoticeIndex], main);
    EXPECT_TRUE(EqualRect(&want, &seen))
        << "sponsor notice at " << DescribeRect(seen) << ", expected " << DescribeRect(want);
}

TEST_F(MainWindowTest, StartsWithTheFocusOnClean) {
    HWND main = Start();
    ASSERT_TRUE(main);
    EXPECT_EQ(Focus(), Control(IdClean)) << "focus on control " << GetDlgCtrlID(Focus());
}

TEST_F(MainWindowTest, TabOrderRunsFromCleanToExitThroughTheCheckBoxesAndRoundAgain) {
    HWND main = Start();
    ASSERT_TRUE(main);
    HWND current = Control(IdClean);
    for (size_t i = 1; i <= std::size(TabOrder); ++i) {
        int expected = TabOrder[i % std::size(TabOrder)];
        current = GetNextDlgTabItem(main, current, FALSE);
        ASSERT_TRUE(current);
        EXPECT_EQ(GetDlgCtrlID(current), expected) << "tab stop " << i;
    }
}

TEST_F(MainWindowTest, TabKeyMovesTheFocusFromCleanToExitAndThroughTheCheckBoxes) {
    HWND main = Start();
    ASSERT_TRUE(main);
    ASSERT_EQ(Focus(), Control(IdClean));
    for (int id : {IdExit, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009}) {
        HWND before = Focus();
        Press(VK_TAB);
        WaitUntil([&] { return Focus() != before; });
        EXPECT_EQ(GetDlgCtrlID(Focus()), id) << "after Tab from " << GetDlgCtrlID(before);
    }
}

TEST_F(MainWindowTest, MenuBarHoldsFileSettingsAndHelp) {
    HWND main = Start();
    ASSERT_TRUE(main);
    std::optional<std::vector<MenuItem>> menu = Probe().Menu(main, probe::MenuBar);
    ASSERT_TRUE(menu) << "the program did not describe its menu bar";
    const std::string expected = "popup 0 \"&File\"\n"
                                 "  item 134 \"&Save check as default\"\n"
                                 "  separator 0 \"\"\n"
                                 "  item 2 \"E&xit\"\n"
                                 "popup 0 \"&Settings\"\n"
                                 "  item 130 \"Options...\"\n"
                                 "  item 32771 \"&More traces...\"\n"
                                 "popup 0 \"&Help\"\n"
                                 "  item 131 \"&Help topics...\"\n"
                                 "  separator 0 \"\"\n"
                                 "  item 133 \"&About...\"\n";
    EXPECT_EQ(Describe(*menu), expected);
}

TEST_F(MainWindowTest, SystemMenuEndsWithASeparatorAndTheAboutItem) {
    HWND main = Start();
    ASSERT_TRUE(main);
    std::optional<std::vector<MenuItem>> menu = Probe().Menu(main, probe::SystemMenu);
    ASSERT_TRUE(menu) << "the program did not describe its system menu";
    ASSERT_GE(menu->size(), 2u) << Describe(*menu);
    const MenuItem& separator = (*menu)[menu->size() - 2];
    const MenuItem& about = menu->back();
    EXPECT_EQ(separator.kind, "separator") << Describe(*menu);
    EXPECT_EQ(about.kind, "item") << Describe(*menu);
    EXPECT_EQ(about.id, SystemCommandAbout) << Describe(*menu);
    EXPECT_EQ(about.text, "&About Quenby...") << Describe(*menu);
    // The standard commands stay: the window can still be closed and
    // minimised from this menu.
    bool hasClose = false, hasMinimize = false;
    for (const MenuItem& item : *menu) {
        hasClose |= item.id == SC_CLOSE;
        hasMinimize |= item.id == SC_MINIMIZE;
    }
    EXPECT_TRUE(hasClose && hasMinimize) << Describe(*menu);
}

// The image of icon 128 at a given size, loaded from the executable's file.
probe::IconImage ProgramIcon(LONG width, LONG height) {
    platform::UniqueModule module(
        LoadLibraryExA(Options().quenbyPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return {};
    platform::UniqueIcon icon(static_cast<HICON>(
        LoadImageA(module.get(), MAKEINTRESOURCEA(ProgramIconId), IMAGE_ICON, width, height, 0)));
    return probe::ReadIconImage(icon.get());
}

TEST_F(MainWindowTest, BigSmallAndDragIconsShowTheProgramIcon) {
    HWND main = Start();
    ASSERT_TRUE(main);
    std::optional<probe::IconImage> big;
    for (probe::RequestKind which : {probe::BigIcon, probe::SmallIcon, probe::DragIcon}) {
        SCOPED_TRACE(which == probe::BigIcon     ? "big icon"
                     : which == probe::SmallIcon ? "small icon"
                                                 : "drag icon");
        std::optional<probe::IconImage> seen = Probe().Icon(main, which);
        ASSERT_TRUE(seen) << "the program did not describe the icon";
        EXPECT_NE(seen->handle, 0u) << "no icon";
        ASSERT_GT(seen->width, 0) << "not an icon";
        probe::IconImage expected = ProgramIcon(seen->width, seen->height);
        ASSERT_GT(expected.width, 0) << "icon 128 of the executable at " << seen->width;
        EXPECT_EQ(seen->height, expected.height);
        EXPECT_TRUE(seen->color == expected.color && seen->mask == expected.mask)
            << "the picture is not icon 128";
        if (which == probe::BigIcon) {
            big = seen;
        } else if (which == probe::DragIcon) {
            EXPECT_EQ(seen->handle, big->handle) << "not the window's own icon";
        }
    }
}

TEST_F(MainWindowTest, RunsWithTheSettingsOfItsManifest) {
    HWND main = Start();
    ASSERT_TRUE(main);
    EXPECT_EQ(Probe().ManifestSettings(main).value_or("no answer"),
              "dpiAware=true\ndpiAwareness=PerMonitorV2, System\nlongPathAware=true\n"
              "runLevel=1\nuiAccess=0\n");
}

// The dialog manager scales the window; what the program sizes itself must
// follow: its icons, the icon it gives the notification area, the size it
// asks of the web pane's control. Wine reads the DPI when a program starts.
TEST_F(MainWindowTest, FollowsTheDisplayDpi) {
    const char* desktop = "Control Panel\\Desktop";
    const std::optional<DWORD> before = ReadDword(desktop, "LogPixels");
    SIZE clientAt96{};
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        EXPECT_TRUE(WriteDword(desktop, "LogPixels", static_cast<DWORD>(dpi)));
        HWND main = Start();
        const bool probed = main && Probe().Attach(Process().ThreadId());
        EXPECT_TRUE(probed) << "cannot hook the program";
        if (!probed)
            break;
        const LONG small = MulDiv(16, dpi, 96), big = MulDiv(32, dpi, 96);
        EXPECT_EQ(Probe().Icon(main, probe::SmallIcon).value_or(probe::IconImage{}).width, small);
        EXPECT_EQ(Probe().Icon(main, probe::BigIcon).value_or(probe::IconImage{}).width, big);
        std::vector<TrayRequest> adds = Tray().Requests(NIM_ADD, main);
        EXPECT_TRUE(adds.size() == 1 && adds[0].iconWidth == UINT(small) &&
                    adds[0].iconHeight == UINT(small))
            << "notification icon " << (adds.empty() ? 0 : adds[0].iconWidth);
        RECT control{};
        GetWindowRect(GetDlgItem(Control(IdBrowserPlace), IdBrowserControl), &control);
        EXPECT_EQ(control.right - control.left, MulDiv(1024, dpi, 96)) << "web control";
        EXPECT_EQ(control.bottom - control.top, MulDiv(768, dpi, 96)) << "web control";
        RECT client{};
        GetClientRect(main, &client);
        if (dpi == 96)
            clientAt96 = {client.right, client.bottom};
        // Wine rounds the font's size, and so the dialog's base units.
        const double wide = double(client.right) / clientAt96.cx;
        const double high = double(client.bottom) / clientAt96.cy;
        EXPECT_TRUE(dpi == 96 || (wide >= 1.4 && wide <= 1.6 && high >= 1.4 && high <= 1.6))
            << "client area " << client.right << "x" << client.bottom << ", at 96 DPI "
            << clientAt96.cx << "x" << clientAt96.cy;
        EXPECT_TRUE(Process().End());
    }
    before ? (void)WriteDword(desktop, "LogPixels", *before) : DeleteValue(desktop, "LogPixels");
}

} // namespace
} // namespace gui
