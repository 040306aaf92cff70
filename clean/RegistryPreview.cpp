// The registry preview, in a file of its own: the window's program notes its
// cleans but never previews, and links only what it uses.
#include "clean/RegistryNotes.h"

#include "platform/Handles.h"
#include "platform/TextConversion.h"

using namespace registrynotes;

// RegDeleteKeyA refuses a key that has subkeys of its own (the NT family and
// Wine alike), so such a key answers as the deletion would.
LONG RegistryPreview::DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                                const char* name) {
    platform::UniqueHKey key;
    LONG status = RegOpenKeyExA(parent, name, 0, KEY_READ, key.put());
    if (status != ERROR_SUCCESS)
        return status;
    DWORD subkeys = 0;
    status = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    const std::wstring path = platform::FromAnsi(Below(parentPath, name).c_str());
    if (subkeys != 0) {
        NoteFailure(CleanItemKind::RegistryKey, Shown(hive, path), ERROR_ACCESS_DENIED, &m_report);
        return ERROR_ACCESS_DENIED;
    }
    m_report.Add({CleanItemKind::RegistryKey, Shown(hive, path)});
    NoteValues(hive, key.get(), path, m_report);
    return ERROR_SUCCESS;
}

LONG RegistryPreview::DeleteValue(HKEY hive, HKEY key, const std::string& keyPath,
                                  const char* name) {
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        m_report.Add({CleanItemKind::RegistryValue, Shown(hive, Below(keyPath, name))});
    return status;
}

LONG RegistryPreview::DeleteValueW(HKEY hive, HKEY key, const std::wstring& keyPath,
                                   const std::wstring& name) {
    const LONG status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        m_report.Add({CleanItemKind::RegistryValue, Shown(hive, Below(keyPath, name.c_str()))});
    return status;
}

// A key that is there but cannot be read (the protected-storage keys may deny
// the user) is noted with the reason its contents are not listed.
void RegistryPreview::DeleteTree(HKEY hive, const std::string& path) {
    DeleteTreeW(hive, platform::FromAnsi(path.c_str()));
}

void RegistryPreview::DeleteTreeW(HKEY hive, const std::wstring& path) {
    const LONG status = NoteTree(hive, path, m_report);
    NoteFailure(CleanItemKind::RegistryKey, Shown(hive, path), status, &m_report);
}
