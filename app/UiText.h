// The window's texts: loaded from the string table, filled in, made ANSI for
// the "A" controls and message boxes, and sizes as the user's locale writes
// them.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// The string `id` of the program's resources; empty when there is none.
std::wstring LoadText(UINT id);

// `text` with each "%1", "%2"... replaced by the argument of that number.
std::wstring Fill(const std::wstring& text, std::initializer_list<std::wstring> arguments);
// The string `id`, filled in.
std::wstring LoadText(UINT id, std::initializer_list<std::wstring> arguments);

// `bytes` as Explorer shows a size ("1.46 KB"), in the user's format.
std::wstring ByteSizeText(ULONGLONG bytes);

// Sets a control's text; the "A" controls get it in the ANSI code page.
void SetItemText(HWND dialog, int id, const std::wstring& text);

struct ListColumn {
    UINT title; // string id
    int width;  // dialog units
};
// Gives the list view `id` of `dialog` its columns, titles from the string
// table and widths in dialog units (so they follow the DPI), and whole-row
// selection.
void AddListColumns(HWND dialog, int id, std::initializer_list<ListColumn> columns);
