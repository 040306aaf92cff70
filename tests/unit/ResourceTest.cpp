// The compiled resources of the program, read back from this executable (the
// resource script is linked into it) and compared field by field with the
// layout the program and its users rely on: dialog templates byte by byte,
// the menu and string as the window manager loads them, the icon directory,
// the version block and the manifest.

#include <windows.h>
#include <commctrl.h>

#include "platform/Handles.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Reading resources

struct ResourceBytes {
    const BYTE *data = nullptr;
    size_t size = 0;
};

ResourceBytes FindModuleResource(LPCSTR type, WORD id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return {};
    return {static_cast<const BYTE *>(LockResource(loaded)), SizeofResource(module, info)};
}

std::string Narrow(const std::wstring &text) {
    std::string result;
    for (wchar_t c : text)
        result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

// Reads the little-endian fields of a resource with bounds checks; reading
// past the end yields zeros and marks the reader as failed.
class ResourceReader {
public:
    explicit ResourceReader(ResourceBytes bytes) : m_bytes(bytes) {}

    bool Failed() const { return m_failed; }
    size_t Offset() const { return m_offset; }

    BYTE Byte() { return static_cast<BYTE>(Read(1)); }
    WORD Word() { return static_cast<WORD>(Read(2)); }
    short Short() { return static_cast<short>(Read(2)); }
    DWORD Dword() { return Read(4); }

    // Templates align their records to DWORDs from the start of the resource.
    void AlignDword() {
        while (m_offset % 4 != 0)
            Byte();
    }

    std::wstring WideText() {
        std::wstring text;
        for (WORD c = Word(); c != 0 && !m_failed; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }

    // A name-or-ordinal field: 0xFFFF and a number is an ordinal, written here
    // as "#number" like MAKEINTRESOURCE names; otherwise a zero-ended string.
    std::string NameOrOrdinal() {
        if (PeekWord() != 0xFFFF)
            return Narrow(WideText());
        Word();
        return "#" + std::to_string(Word());
    }

private:
    WORD PeekWord() {
        size_t at = m_offset;
        WORD value = Word();
        m_offset = at;
        return value;
    }

    DWORD Read(size_t count) {
        if (m_offset + count > m_bytes.size) {
            m_failed = true;
            return 0;
        }
        DWORD value = 0;
        for (size_t i = 0; i < count; ++i)
            value |= static_cast<DWORD>(m_bytes.data[m_offset + i]) << (8 * i);
        m_offset += count;
        return value;
    }

    ResourceBytes m_bytes;
    size_t m_offset = 0;
    bool m_failed = false;
};

// ---------------------------------------------------------------------------
// Extended dialog templates

struct DialogItem {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::string windowClass, text;
    WORD extraCount;
};

struct DialogTemplate {
    WORD version, signature;
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    std::string menu, windowClass, title;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::string typeface;
    std::vector<DialogItem> items;
    bool readToEnd;
};

DialogItem ReadDialogItem(ResourceReader &reader) {
    DialogItem item{};
    reader.AlignDword();
    item.helpId = reader.Dword();
    item.exStyle = reader.Dword();
    item.style = reader.Dword();
    item.x = reader.Short();
    item.y = reader.Short();
    item.cx = reader.Short();
    item.cy = reader.Short();
    item.id = reader.Dword();
    item.windowClass = reader.NameOrOrdinal();
    item.text = reader.NameOrOrdinal();
    item.extraCount = reader.Word();
    for (WORD i = 0; i < item.extraCount; ++i)
        reader.Byte();
    return item;
}

// Reads a DLGTEMPLATEEX with its DLGITEMTEMPLATEEX records. The font fields
// are present because every template of the program has DS_SETFONT.
DialogTemplate ReadDialogEx(ResourceBytes bytes) {
    ResourceReader reader(bytes);
    DialogTemplate dialog{};
    dialog.version = reader.Word();
    dialog.signature = reader.Word();
    dialog.helpId = reader.Dword();
    dialog.exStyle = reader.Dword();
    dialog.style = reader.Dword();
    WORD count = reader.Word();
    dialog.x = reader.Short();
    dialog.y = reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    dialog.menu = reader.NameOrOrdinal();
    dialog.windowClass = reader.NameOrOrdinal();
    dialog.title = Narrow(reader.WideText());
    dialog.pointSize = reader.Word();
    dialog.weight = reader.Word();
    dialog.italic = reader.Byte();
    dialog.charset = reader.Byte();
    dialog.typeface = Narrow(reader.WideText());
    for (WORD i = 0; i < count && !reader.Failed(); ++i)
        dialog.items.push_back(ReadDialogItem(reader));
    dialog.readToEnd = !reader.Failed() && reader.Offset() == bytes.size;
    return dialog;
}

// Predefined control classes as the template stores them (atoms).
const char *const kButton = "#128";
const char *const kEdit = "#129";
const char *const kStatic = "#130";
const char* const kComboBox = "#133";

const DWORD kNoId = static_cast<DWORD>(-1);
const DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedDialog {
    WORD id;
    DWORD style, exStyle;
    short x, y, cx, cy;
    const char *menu;
    const char *title;
    WORD weight;
};

struct ExpectedItem {
    DWORD id;
    const char *windowClass;
    DWORD style;
    short x, y, cx, cy;
    const char *text;
    DWORD exStyle = 0;
};

const char *const kSponsorNotice =
    "Our free tools are sponsored by google, if you want to pay a visit, can through the \n"
    "right click popup menu->open in new window.";

// clang-format off
const ExpectedDialog kMainDialog = {IDD_CLEANER_DIALOG, 0x90CA00C8, WS_EX_APPWINDOW, 0, 0, 176, 209,
                                    "#129", "Marlowick Quenby - Privacy cleaner", 0};
// clang-format on

const std::vector<ExpectedItem> kMainDialogItems = {
    {IDC_CLEAN, kButton, kChild | BS_PUSHBUTTON | WS_TABSTOP, 119, 25, 50, 14, "&Clean"},
    {IDCANCEL, kButton, kChild | BS_PUSHBUTTON | WS_TABSTOP, 119, 49, 50, 14, "E&xit"},
    {1002, kButton, kChild | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 7, 7, 52, 10, "Real Player"},
    {1003, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 24, 57, 10, "Media Player"},
    {1004, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 41, 75, 10, "Recent documents"},
    {1005, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 58, 47, 10, "IE history"},
    {1006, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 73, 63, 10, "IE address bar"},
    {1007, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 90, 95, 10,
     "IE Auto compelete forms"},
    {1008, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 108, 111, 10,
     "IE user names and passwords"},
    {1009, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 124, 52, 10, "Recycle bin"},
    {kNoId, kStatic, kChild | SS_LEFT | WS_GROUP, 7, 137, 162, 25, kSponsorNotice},
    {IDC_BROWSER_PLACE, kEdit, kChild | ES_AUTOHSCROLL | WS_TABSTOP, 7, 163, 162, 39, ""},
};

const DWORD kPopupDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

// clang-format off
const ExpectedDialog kAboutBox =
    {IDD_ABOUTBOX, kPopupDialogStyle, 0, 0, 0, 235, 63, "", "About Quenby", 0};
// clang-format on

const std::vector<ExpectedItem> kAboutBoxItems = {
    {kNoId, kStatic, kChild | SS_ICON, 11, 17, 20, 20, "#128"},
    {kNoId, kStatic, kChild | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8,
     "Marlowick Quenby Version 1.0"},
    {IDOK, kButton, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50, 16, "OK"},
};

// clang-format off
const ExpectedDialog kOptionDialog =
    {IDD_OPTION, kPopupDialogStyle, 0, 0, 0, 330, 109, "", "Option", 400};
// clang-format on

const std::vector<ExpectedItem> kOptionDialogItems = {
    {IDOK, kButton, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 21, 66, 50, 14, "OK"},
    {IDCANCEL, kButton, kChild | BS_PUSHBUTTON | WS_TABSTOP, 97, 66, 50, 14, "Cancel"},
    {1002, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 7, 127, 10,
     "Process before windows shutdown"},
    {1003, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 25, 127, 10,
     "Save settings as default when exit"},
    {1004, kButton, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 42, 126, 10,
     "Auto run when windows start"},
    // The scheduled clean, after the three boxes and in a group of its own.
    {1020, kButton, kChild | BS_GROUPBOX | WS_GROUP, 170, 3, 153, 99, "Clean on a schedule"},
    {1021, kStatic, kChild | SS_LEFT, 178, 17, 50, 8, "&Run:"},
    {1022, kComboBox, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 230, 15, 86, 60, ""},
    {1023, kStatic, kChild | SS_LEFT, 178, 33, 50, 8, "&Day:"},
    {1024, kComboBox, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 230, 31, 86, 100, ""},
    {1025, kStatic, kChild | SS_LEFT, 178, 49, 50, 8, "&Time (HH:MM):"},
    {1026, kEdit, kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 230, 47, 32, 12, ""},
    {1027, kStatic, kChild | SS_LEFT | SS_NOPREFIX, 178, 64, 138, 34, ""},
};

void ExpectHeader(const DialogTemplate &dialog, const ExpectedDialog &expected) {
    EXPECT_EQ(1, dialog.version);
    EXPECT_EQ(0xFFFF, dialog.signature) << "not an extended template";
    EXPECT_EQ(0u, dialog.helpId);
    EXPECT_EQ(expected.style, dialog.style) << std::hex << "style 0x" << dialog.style;
    EXPECT_EQ(expected.exStyle, dialog.exStyle) << std::hex << "ex style 0x" << dialog.exStyle;
    EXPECT_EQ(expected.x, dialog.x);
    EXPECT_EQ(expected.y, dialog.y);
    EXPECT_EQ(expected.cx, dialog.cx);
    EXPECT_EQ(expected.cy, dialog.cy);
    EXPECT_EQ(expected.menu, dialog.menu);
    EXPECT_EQ("", dialog.windowClass);
    EXPECT_EQ(expected.title, dialog.title);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ(expected.weight, dialog.weight);
    EXPECT_EQ(0, dialog.italic);
    EXPECT_EQ(1, dialog.charset);
    EXPECT_EQ("MS Shell Dlg", dialog.typeface);
}

void ExpectItem(const DialogItem &item, const ExpectedItem &expected) {
    SCOPED_TRACE("control \"" + std::string(expected.text) + "\"");
    EXPECT_EQ(expected.id, item.id);
    EXPECT_EQ(expected.windowClass, item.windowClass);
    EXPECT_EQ(expected.style, item.style) << std::hex << "style 0x" << item.style;
    EXPECT_EQ(expected.exStyle, item.exStyle) << std::hex << "ex style 0x" << item.exStyle;
    EXPECT_EQ(0u, item.helpId);
    EXPECT_EQ(expected.x, item.x);
    EXPECT_EQ(expected.y, item.y);
    EXPECT_EQ(expected.cx, item.cx);
    EXPECT_EQ(expected.cy, item.cy);
    EXPECT_EQ(expected.text, item.text);
    EXPECT_EQ(0, item.extraCount);
}

void ExpectDialog(const ExpectedDialog &expected, const std::vector<ExpectedItem> &items) {
    ResourceBytes bytes = FindModuleResource(RT_DIALOG, expected.id);
    ASSERT_NE(nullptr, bytes.data) << "dialog " << expected.id << " missing";
    DialogTemplate dialog = ReadDialogEx(bytes);
    EXPECT_TRUE(dialog.readToEnd) << "template malformed or with trailing bytes";
    ExpectHeader(dialog, expected);
    ASSERT_EQ(items.size(), dialog.items.size());
    for (size_t i = 0; i < items.size(); ++i)
        ExpectItem(dialog.items[i], items[i]);
}

TEST(ResourceTest, MainDialogTemplateHasItsStylesControlsAndTabOrder) {
    ExpectDialog(kMainDialog, kMainDialogItems);
}

TEST(ResourceTest, AboutBoxTemplateShowsIconNameAndOkButton) {
    ExpectDialog(kAboutBox, kAboutBoxItems);
}

TEST(ResourceTest, OptionDialogTemplateHasThreeOptionBoxesThenTheSchedule) {
    ExpectDialog(kOptionDialog, kOptionDialogItems);
}

TEST(ResourceTest, ControlIdsFollowTargetAndOptionOrder) {
    const int targetBoxes[] = {IDC_CHECK_REALPLAYER,      IDC_CHECK_MEDIAPLAYER,
                               IDC_CHECK_RECENTDOCUMENTS, IDC_CHECK_IEHISTORY,
                               IDC_CHECK_IEADDRESSBAR,    IDC_CHECK_IEAUTOCOMPLETE,
                               IDC_CHECK_IEPASSWORDS,     IDC_CHECK_RECYCLEBIN};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(1002 + i, targetBoxes[i]) << "target " << i;
    const int optionBoxes[] = {IDC_OPTION_CLEAN_AT_SHUTDOWN, IDC_OPTION_SAVE_AT_EXIT,
                               IDC_OPTION_AUTORUN};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(1002 + i, optionBoxes[i]) << "option bit " << i;
    EXPECT_EQ(1124, WM_NOTIFYICON);
    EXPECT_EQ(0, IDM_ABOUTBOX & 0xF) << "must survive the WM_SYSCOMMAND mask";
    EXPECT_TRUE(ID_SETTINGS_MORE_TRACES >= 0x8000 && ID_SETTINGS_MORE_TRACES <= 0xDFFF)
        << "in the application's own range of commands";
}

// The chooser: resizable, the tree with its label first (a class given by
// name is stored in capitals; Windows compares class names ignoring case),
// then the pane with its label, the box for the programs not found and the
// four buttons, each with a mnemonic of its own; "OK" is the default.
const DWORD kResizableStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT | DS_FIXEDSYS;
const ExpectedDialog kChooser = {IDD_MORE_TRACES, kResizableStyle, 0, 0, 0, 320, 200, "",
                                 "More traces", 400};
const std::vector<ExpectedItem> kChooserItems = {
    {1200, kStatic, kChild | SS_LEFT, 7, 7, 150, 8, "&Traces:"},
    {1201, "SYSTREEVIEW32",
     kChild | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
         TVS_DISABLEDRAGDROP | WS_GROUP | WS_TABSTOP,
     7, 17, 150, 140, "", WS_EX_CLIENTEDGE},
    {1202, kStatic, kChild | SS_LEFT | WS_GROUP, 164, 7, 149, 8, "&Description:"},
    {1203, kEdit,
     kChild | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, 164, 17,
     149, 140, "", WS_EX_CLIENTEDGE},
    {1204, kButton, kChild | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 7, 162, 200, 10,
     "&Show programs that are not installed"},
    {1205, kButton, kChild | BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 7, 179, 50, 14, "&Preview"},
    {1306, kButton, kChild | BS_PUSHBUTTON | WS_TABSTOP, 61, 179, 100, 14,
     "Sites to keep si&gned in..."},
    {IDOK, kButton, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 209, 179, 50, 14, "&OK"},
    {IDCANCEL, kButton, kChild | BS_PUSHBUTTON | WS_TABSTOP, 263, 179, 50, 14, "&Cancel"},
};

TEST(ResourceTest, ChooserTemplateHasItsControlsInTabOrderWithTheirMnemonics) {
    ExpectDialog(kChooser, kChooserItems);
}

// The preview, its items and the clean's progress: every tab stop has a
// mnemonic of its own, and the controls carry the ids the code gives them.
TEST(ResourceTest, PreviewAndProgressTemplatesHaveTheirControlsAndMnemonics) {
    const std::pair<WORD, std::vector<DWORD>> dialogs[] = {
        {IDD_PREVIEW, {1210, 1211, 1212, 1213, IDCANCEL}},
        {IDD_PREVIEW_ITEMS, {1220, 1221, IDOK}},
        {IDD_CLEAN_PROGRESS, {1230, 1231}}};
    for (const auto& [id, ids] : dialogs) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const DialogTemplate dialog = ReadDialogEx(FindModuleResource(RT_DIALOG, id));
        EXPECT_TRUE(dialog.readToEnd);
        std::vector<DWORD> seen;
        std::string mnemonics;
        for (const DialogItem& item : dialog.items) {
            seen.push_back(item.id);
            const size_t mark = item.text.find('&');
            if (!(item.style & WS_TABSTOP) || item.windowClass != kButton)
                continue;
            ASSERT_NE(std::string::npos, mark) << "a button without a mnemonic: " << item.text;
            const char key = char(std::tolower(item.text[mark + 1]));
            EXPECT_EQ(std::string::npos, mnemonics.find(key)) << "mnemonic " << key << " twice";
            mnemonics += key;
        }
        EXPECT_EQ(ids, seen);
    }
}

// ---------------------------------------------------------------------------
// Menu and strings

struct ExpectedMenuItem {
    const char *text; // nullptr for a separator
    UINT id;
};

struct ExpectedPopup {
    const char *title;
    std::vector<ExpectedMenuItem> items;
};

const std::vector<ExpectedPopup> kMainMenu = {
    {"&File",
     {{"&Save check as default", ID_FILE_SAVE_DEFAULT}, {nullptr, 0}, {"E&xit", IDCANCEL}}},
    {"&Settings",
     {{"Options...", ID_SETTINGS_OPTIONS}, {"&More traces...", ID_SETTINGS_MORE_TRACES}}},
    {"&Help", {{"&Help topics...", ID_HELP_TOPICS}, {nullptr, 0}, {"&About...", ID_HELP_ABOUT}}},
};

struct MenuItem {
    UINT type, state, id;
    HMENU subMenu;
    std::string text;
};

MenuItem ReadMenuItem(HMENU menu, UINT position) {
    char text[128] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    if (!GetMenuItemInfoA(menu, position, TRUE, &info))
        return {};
    return {info.fType, info.fState, info.wID, info.hSubMenu, text};
}

void ExpectPopupItems(HMENU popup, const ExpectedPopup &expected) {
    ASSERT_EQ(static_cast<int>(expected.items.size()), GetMenuItemCount(popup));
    for (UINT i = 0; i < expected.items.size(); ++i) {
        SCOPED_TRACE(std::string(expected.title) + " item " + std::to_string(i));
        MenuItem item = ReadMenuItem(popup, i);
        EXPECT_EQ(nullptr, item.subMenu);
        if (!expected.items[i].text) {
            EXPECT_EQ(static_cast<UINT>(MFT_SEPARATOR), item.type);
            continue;
        }
        EXPECT_EQ(static_cast<UINT>(MFT_STRING), item.type);
        EXPECT_EQ(0u, item.state) << "enabled and unchecked";
        EXPECT_EQ(expected.items[i].text, item.text);
        EXPECT_EQ(expected.items[i].id, item.id);
    }
}

TEST(ResourceTest, MainMenuHasFileSettingsAndHelpCommands) {
    platform::UniqueMenu menu(
        LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    ASSERT_TRUE(menu);
    ASSERT_EQ(static_cast<int>(kMainMenu.size()), GetMenuItemCount(menu.get()));
    for (UINT i = 0; i < kMainMenu.size(); ++i) {
        MenuItem popup = ReadMenuItem(menu.get(), i);
        EXPECT_EQ(kMainMenu[i].title, popup.text);
        ASSERT_NE(nullptr, popup.subMenu) << kMainMenu[i].title << " is not a popup";
        ExpectPopupItems(popup.subMenu, kMainMenu[i]);
    }
}

TEST(ResourceTest, StringTableHoldsTheAboutItemAndNoApplicationTitle) {
    char text[64] = {};
    EXPECT_EQ(16, LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof text));
    EXPECT_STREQ("&About Quenby...", text);

    // Without string 57344 the application takes its name from the file name.
    const UINT appTitle = 57344;
    EXPECT_EQ(0, LoadStringA(GetModuleHandleA(nullptr), appTitle, text, sizeof text));
    const WORD blockOfAppTitle = appTitle / 16 + 1;
    EXPECT_EQ(nullptr, FindModuleResource(RT_STRING, blockOfAppTitle).data);
}

// ---------------------------------------------------------------------------
// Icon

struct IconEntry {
    BYTE width, height, colorCount;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};

std::vector<IconEntry> ReadIconGroup(ResourceBytes bytes) {
    ResourceReader reader(bytes);
    if (reader.Word() != 0 || reader.Word() != 1)
        return {};
    std::vector<IconEntry> entries(reader.Word());
    for (IconEntry &entry : entries) {
        entry.width = reader.Byte();
        entry.height = reader.Byte();
        entry.colorCount = reader.Byte();
        reader.Byte();
        entry.planes = reader.Word();
        entry.bitCount = reader.Word();
        entry.bytesInRes = reader.Dword();
        entry.id = reader.Word();
    }
    return reader.Failed() ? std::vector<IconEntry>{} : entries;
}

// True when the pixel at (x, y), counted from the top, is transparent in the
// icon image's AND mask (stored bottom-up after the 24-bit colour rows).
bool IsTransparent(const BYTE *image, int size, int x, int y) {
    const size_t headerSize = sizeof(BITMAPINFOHEADER);
    const size_t colourRow = (size * 3 + 3) / 4 * 4;
    const size_t maskRow = (size + 31) / 32 * 4;
    const BYTE *mask = image + headerSize + colourRow * size;
    const BYTE bits = mask[maskRow * (size - 1 - y) + x / 8];
    return (bits >> (7 - x % 8)) & 1;
}

void ExpectIconImage(const IconEntry &entry, int size) {
    SCOPED_TRACE(std::to_string(size) + "x" + std::to_string(size));
    ResourceBytes image = FindModuleResource(RT_ICON, entry.id);
    ASSERT_NE(nullptr, image.data);
    const size_t colourBytes = (size * 3 + 3) / 4 * 4 * size;
    const size_t maskBytes = (size + 31) / 32 * 4 * size;
    ASSERT_EQ(sizeof(BITMAPINFOHEADER) + colourBytes + maskBytes, image.size);
    EXPECT_EQ(entry.bytesInRes, image.size);
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data, sizeof header);
    EXPECT_EQ(size, header.biWidth);
    EXPECT_EQ(size * 2, header.biHeight) << "colour rows and mask";
    EXPECT_EQ(24, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    // The picture is a disc: corners see through, the centre does not.
    EXPECT_TRUE(IsTransparent(image.data, size, 0, 0));
    EXPECT_TRUE(IsTransparent(image.data, size, size - 1, size - 1));
    EXPECT_FALSE(IsTransparent(image.data, size, size / 2, size / 2));
}

TEST(ResourceTest, ProgramIconHasThe24BitImagesAndAlphaImagesForHighDpi) {
    std::vector<IconEntry> entries =
        ReadIconGroup(FindModuleResource(RT_GROUP_ICON, IDR_MAINFRAME));
    const int sizes[] = {48, 32, 16, 20, 24, 40, 64, 256};
    ASSERT_EQ(std::size(sizes), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool classic = i < 3;
        EXPECT_EQ(sizes[i] % 256, entries[i].width); // 256 is written as 0
        EXPECT_EQ(sizes[i] % 256, entries[i].height);
        EXPECT_EQ(0, entries[i].colorCount);
        EXPECT_EQ(1, entries[i].planes);
        EXPECT_EQ(classic ? 24 : 32, entries[i].bitCount);
        if (classic)
            ExpectIconImage(entries[i], sizes[i]);
    }
}

TEST(ResourceTest, ProgramIconLoadsAtEverySize) {
    for (int size : {48, 32, 16, 20, 24, 40, 64, 256}) {
        platform::UniqueIcon icon(static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size,
                       size, LR_DEFAULTCOLOR)));
        EXPECT_TRUE(icon) << size;
    }
}

// ---------------------------------------------------------------------------
// Version block

struct VersionNode {
    std::string key;
    WORD type;
    std::vector<BYTE> value;
    std::vector<VersionNode> children;
};

// Reads one node of a VS_VERSIONINFO tree: length, value length, type, key,
// value and child nodes, each part aligned to a DWORD.
VersionNode ReadVersionNode(ResourceReader &reader) {
    reader.AlignDword();
    const size_t start = reader.Offset();
    const WORD length = reader.Word();
    const WORD valueLength = reader.Word();
    VersionNode node{};
    node.type = reader.Word();
    node.key = Narrow(reader.WideText());
    reader.AlignDword();
    const size_t valueBytes = node.type == 1 ? valueLength * 2u : valueLength;
    for (size_t i = 0; i < valueBytes && !reader.Failed(); ++i)
        node.value.push_back(reader.Byte());
    reader.AlignDword();
    while (reader.Offset() < start + length && !reader.Failed())
        node.children.push_back(ReadVersionNode(reader));
    return node;
}

std::vector<std::string> ChildKeys(const VersionNode &node) {
    std::vector<std::string> keys;
    for (const VersionNode &child : node.children)
        keys.push_back(child.key);
    return keys;
}

struct ExpectedVersionString {
    const char *name;
    const char *value;
};

const std::vector<ExpectedVersionString> kVersionStrings = {
    {"CompanyName", "Marlowick software"},
    {"FileDescription", "Privacy cleaner"},
    {"FileVersion", "1.0.0.1"},
    {"InternalName", "Quenby.exe"},
    {"OriginalFilename", "Quenby.exe"},
    {"ProductName", "Quenby"},
    {"ProductVersion", "1.0.0.1"},
};

std::vector<BYTE> FileVersionInfo() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeA(path, &ignored));
    if (info.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()))
        return {};
    return info;
}

TEST(ResourceTest, VersionBlockCarriesFixedVersionAndStrings) {
    std::vector<BYTE> info = FileVersionInfo();
    ASSERT_FALSE(info.empty());
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &size));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), size);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);

    for (const ExpectedVersionString &expected : kVersionStrings) {
        std::string path = std::string("\\StringFileInfo\\040904e4\\") + expected.name;
        char *text = nullptr;
        ASSERT_TRUE(
            VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void **>(&text), &size))
            << expected.name;
        EXPECT_STREQ(expected.value, text) << expected.name;
    }

    WORD *translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void **>(&translation), &size));
    ASSERT_EQ(4u, size);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1252, translation[1]);
}

TEST(ResourceTest, VersionBlockHasOneStringTableWithExactlyTheSevenStrings) {
    ResourceReader reader(FindModuleResource(RT_VERSION, VS_VERSION_INFO));
    VersionNode root = ReadVersionNode(reader);
    ASSERT_FALSE(reader.Failed());
    EXPECT_EQ("VS_VERSION_INFO", root.key);
    ASSERT_EQ((std::vector<std::string>{"StringFileInfo", "VarFileInfo"}), ChildKeys(root));
    const VersionNode &stringFileInfo = root.children[0];
    ASSERT_EQ(std::vector<std::string>{"040904e4"}, ChildKeys(stringFileInfo));
    std::vector<std::string> names;
    for (const ExpectedVersionString &expected : kVersionStrings)
        names.push_back(expected.name);
    EXPECT_EQ(names, ChildKeys(stringFileInfo.children[0]));
    EXPECT_EQ(std::vector<std::string>{"Translation"}, ChildKeys(root.children[1]));
}

// ---------------------------------------------------------------------------
// Manifest

std::string ManifestText() {
    ResourceBytes bytes = FindModuleResource(RT_MANIFEST, 1);
    if (!bytes.data)
        return {};
    return std::string(reinterpret_cast<const char *>(bytes.data), bytes.size);
}

// The text of the first element <name .../> or <name ...> at or after `from`.
std::string ElementTag(const std::string &xml, const std::string &name, size_t from = 0) {
    size_t start = xml.find("<" + name, from);
    if (start == std::string::npos)
        return {};
    size_t end = xml.find('>', start);
    return end == std::string::npos ? std::string() : xml.substr(start, end - start + 1);
}

// The value of the attribute `name` in an element's tag.
std::string Attribute(const std::string &tag, const std::string &name) {
    const std::string opening = name + "=\"";
    for (size_t at = tag.find(opening); at != std::string::npos; at = tag.find(opening, at + 1)) {
        if (at > 0 && std::isspace(static_cast<unsigned char>(tag[at - 1]))) {
            const size_t start = at + opening.size();
            return tag.substr(start, tag.find('"', start) - start);
        }
    }
    return "(missing)";
}

TEST(ResourceTest, ManifestNamesTheProgramAndCommonControlsVersion6) {
    // Each build names its own processor, for itself and the common controls.
    const std::string architecture = sizeof(void*) == 4 ? "X86" : "amd64";
    std::string xml = ManifestText();
    ASSERT_FALSE(xml.empty()) << "no manifest resource 1";
    EXPECT_EQ(0u, xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\""));

    std::string assembly = ElementTag(xml, "assembly ");
    EXPECT_EQ("urn:schemas-microsoft-com:asm.v1", Attribute(assembly, "xmlns"));
    EXPECT_EQ("1.0", Attribute(assembly, "manifestVersion"));

    std::string identity = ElementTag(xml, "assemblyIdentity");
    EXPECT_EQ("1.0.0.0", Attribute(identity, "version"));
    EXPECT_EQ(architecture, Attribute(identity, "processorArchitecture"));
    EXPECT_EQ("Microsoft.Windows.Quenby", Attribute(identity, "name"));
    EXPECT_EQ("win32", Attribute(identity, "type"));
    EXPECT_NE(std::string::npos, xml.find("<description>Your app description here</description>"));

    ASSERT_NE(std::string::npos, xml.find("<dependency>"));
    std::string controls = ElementTag(xml, "assemblyIdentity", xml.find("<dependentAssembly>"));
    EXPECT_EQ("win32", Attribute(controls, "type"));
    EXPECT_EQ("Microsoft.Windows.Common-Controls", Attribute(controls, "name"));
    EXPECT_EQ("6.0.0.0", Attribute(controls, "version"));
    EXPECT_EQ(architecture, Attribute(controls, "processorArchitecture"));
    EXPECT_EQ("6595b64144ccf1df", Attribute(controls, "publicKeyToken"));
    EXPECT_EQ("*", Attribute(controls, "language"));

    // The rights of the user who starts it, no file and registry
    // virtualization; every Windows from Vista to 11; sharp at every DPI;
    // long paths; the ANSI code page the program's texts rely on.
    std::string level = ElementTag(xml, "requestedExecutionLevel");
    EXPECT_EQ("asInvoker", Attribute(level, "level"));
    EXPECT_EQ("false", Attribute(level, "uiAccess"));
    for (const char *os :
         {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
          "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
          "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, xml.find("<supportedOS Id=\"{" + std::string(os) + "}\"/>"))
            << os;
    for (const char *setting : {"SMI/2005/WindowsSettings\">true</dpiAware>",
                                "SMI/2016/WindowsSettings\">PerMonitorV2, System</dpiAwareness>",
                                "SMI/2016/WindowsSettings\">true</longPathAware>"})
        EXPECT_NE(std::string::npos, xml.find(setting)) << setting;
    EXPECT_EQ(std::string::npos, xml.find("activeCodePage"));
}

} // namespace
