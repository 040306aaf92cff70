// The shell preview, in a file of its own: the window's program notes its
// cleans but never previews, and links only what it uses.
#include "clean/ShellNotes.h"

void ShellPreview::EmptyRecycleBin(UINT) {
    const CleanItem contents = RecycleBinContents();
    if (contents.count != 0 || contents.error != 0)
        m_report.Add(contents);
}
