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

namespace {

// Some network redirectors cannot normalise a name; the name as opened still
// resolves the links on the way.
const DWORD FinalPathForms[] = {FILE_NAME_NORMALIZED, FILE_NAME_OPENED};

} // namespace

DWORD FinalFolderPath(const std::wstring& folder, std::wstring& path) {
    path.clear();
    UniqueFile handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return GetLastError();
    DWORD error = ERROR_INVALID_NAME;
    for (const DWORD form : FinalPathForms) {
        std::wstring final(MAX_PATH, L'\0');
        DWORD length =
            GetFinalPathNameByHandleW(handle.get(), &final[0], DWORD(final.size()), form);
        if (length >= final.size()) { // the size asked for, with the terminating null
            final.resize(length);
            length = GetFinalPathNameByHandleW(handle.get(), &final[0], length, form);
        }
        if (length != 0 && length < final.size()) {
            path = final.substr(0, length);
            return ERROR_SUCCESS;
        }
        error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
    }
    return error;
}

} // namespace platform
