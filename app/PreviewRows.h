// The texts the preview shows of a trace's report: its row in the list of
// traces, and a row per item when the user lists the trace's items.
#pragma once

#include "catalogue/Catalogue.h"
#include "clean/CleanReport.h"

#include <string>
#include <vector>

struct PreviewRow {
    std::wstring trace;    // the trace's label
    std::wstring items;    // how many things would go ("7")
    std::wstring size;     // "3 files, 1.46 KB; 120 rows"; empty when nothing has a size
    std::wstring problems; // the first problem and how many more; empty when none
};

// What would go: files, folders, index files, folder links, registry keys and
// values, the recycle bin's items and the database tables that lose rows.
// The size counts the files, index files and recycle bin items with their
// bytes, then the rows, then what stays for the sites kept signed in.
PreviewRow RowOf(const Trace& trace, const CleanReport& report);

// The first of `failures` (a skipped profile by its reason, anything else by
// its path and reason), with how many more: "C:\x: Access denied. (error 5)
// (and 2 more)". Empty when there are none.
std::wstring FailureText(const std::vector<const CleanItem*>& failures);

struct ItemRow {
    std::wstring kind; // "file", "key", "table"...
    std::wstring path; // a table's as "<database>: <table>"
    std::wstring size; // bytes, or rows
    std::wstring note; // why it stays, or why it cannot go
};

ItemRow ItemRowOf(const CleanItem& item, bool inUseIsNormal);
