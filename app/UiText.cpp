#include "app/UiText.h"
#include "platform/TextConversion.h"

#include <commctrl.h>
#include <shlwapi.h>

namespace {

// Room for StrFormatByteSizeW's longest answer.
constexpr UINT kByteSizeLength = 64;

} // namespace

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    // A buffer size of 0 answers a pointer to the resource itself, however long.
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring Fill(const std::wstring& text, std::initializer_list<std::wstring> arguments) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t number = i + 1 < text.size() ? size_t(text[i + 1] - L'1') : arguments.size();
        if (text[i] != L'%' || number >= arguments.size()) {
            out += text[i];
            continue;
        }
        out += arguments.begin()[number];
        ++i;
    }
    return out;
}

std::wstring LoadText(UINT id, std::initializer_list<std::wstring> arguments) {
    return Fill(LoadText(id), arguments);
}

std::wstring ByteSizeText(ULONGLONG bytes) {
    wchar_t text[kByteSizeLength] = {};
    StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, kByteSizeLength);
    return text;
}

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    SetDlgItemTextA(dialog, id, platform::ToAnsi(text).c_str());
}

void AddListColumns(HWND dialog, int id, std::initializer_list<ListColumn> columns) {
    HWND list = GetDlgItem(dialog, id);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ListColumn& column : columns) {
        RECT width = {0, 0, column.width, 0};
        MapDialogRect(dialog, &width);
        std::wstring title = LoadText(column.title);
        LVCOLUMNW add = {};
        add.mask = LVCF_TEXT | LVCF_WIDTH;
        add.cx = width.right;
        add.pszText = &title[0];
        SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&add));
    }
}
