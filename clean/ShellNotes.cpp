#include "clean/ShellNotes.h"

#include <shellapi.h>

CleanItem RecycleBinContents() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    const HRESULT result = SHQueryRecycleBinA(nullptr, &info);
    return {CleanItemKind::RecycleBin, std::wstring(), ULONGLONG(info.i64Size),
            ULONGLONG(info.i64NumItems), SUCCEEDED(result) ? 0 : DWORD(result)};
}

// An empty bin is nothing to note; bins the shell cannot count are still
// emptied.
void NotedShellCleaning::EmptyRecycleBin(UINT flags) {
    CleanItem contents = RecycleBinContents();
    const HRESULT result = SHEmptyRecycleBinA(nullptr, nullptr, flags);
    if (FAILED(result)) {
        contents.error = DWORD(result);
        contents.status = CleanStatus::Failed;
    }
    if (contents.count != 0 || contents.error != 0)
        m_report.Add(contents);
}
