#include "platform/KnownFolder.h"

#include "platform/Handles.h"

#include <shlobj.h>

namespace platform {

std::wstring KnownFolderPath(const GUID& id) {
    UniqueCoTaskMem path;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, reinterpret_cast<PWSTR*>(path.put()))) || !path)
        return std::wstring();
    std::wstring folder = static_cast<const wchar_t*>(path.get());
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

} // namespace platform
