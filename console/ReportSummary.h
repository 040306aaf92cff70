// One target's report grouped as the console program shows it; the text and
// the JSON form are both made from it, so they hold the same content.
#pragma once

#include "clean/CleanReport.h"

#include <string>
#include <vector>

struct PathAndBytes {
    std::wstring path;
    ULONGLONG bytes;
};

struct TargetSummary {
    ULONGLONG files = 0;
    ULONGLONG fileBytes = 0;
    ULONGLONG folders = 0;
    std::vector<PathAndBytes> indexFiles; // bytes zeroed after the header
    std::vector<PathAndBytes> keptDesktopIni;
    std::vector<std::wstring> folderLinks;
    std::vector<std::wstring> keptLinks;
    std::vector<std::wstring> registryKeys;
    std::vector<std::wstring> registryValues;
    ULONGLONG recycledItems = 0;
    ULONGLONG recycledBytes = 0;
    // Items that could not go (a clean) or could not be looked at (a preview).
    std::vector<CleanItem> problems;

    bool IsEmpty() const;
};

TargetSummary Summarise(const CleanReport& report);

// A word for the kind of an item: "file", "folder", "key"...
const char* KindWord(CleanItemKind kind);

// The platform's text for `error`, with its number: "Access denied. (error 5)".
std::wstring ReasonText(DWORD error);
