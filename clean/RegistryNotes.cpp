#include "clean/RegistryNotes.h"

#include "platform/Handles.h"
#include "platform/Seams.h"
#include "platform/TextConversion.h"

#include <shlwapi.h>

#include <vector>

namespace {

const wchar_t CurrentUserName[] = L"HKCU\\";
struct HiveName {
    HKEY hive;
    const wchar_t* name;
};
const HiveName OtherHives[] = {
    {HKEY_LOCAL_MACHINE, L"HKLM\\"},
    {HKEY_USERS, L"HKU\\"},
    {HKEY_CLASSES_ROOT, L"HKCR\\"},
    {HKEY_CURRENT_CONFIG, L"HKCC\\"},
};
// The longest key name is 255 characters; a value name may have 16383.
const DWORD KeyNameSize = 256;
const DWORD ValueNameSize = 16384;

} // namespace

namespace registrynotes {

std::wstring Shown(HKEY hive, const std::wstring& path) {
    for (const HiveName& other : OtherHives) {
        if (hive == other.hive)
            return other.name + path;
    }
    return CurrentUserName + path;
}

std::wstring Shown(HKEY hive, const std::string& path) {
    return Shown(hive, platform::FromAnsi(path.c_str()));
}

std::string Below(const std::string& path, const char* name) {
    return path + '\\' + name;
}

std::wstring Below(const std::wstring& path, const wchar_t* name) {
    return path + L'\\' + name;
}

namespace {

// Whether an enumeration goes on after `status`: a key deleted meanwhile
// answers every index with an error, so any error but a name too long for
// the buffer ends it, noted with its reason.
bool GoesOn(LONG status, HKEY hive, const std::wstring& path, CleanReport& report) {
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)
        return true;
    if (status != ERROR_NO_MORE_ITEMS)
        report.Add({CleanItemKind::Problem, Shown(hive, path), 0, 1, DWORD(status)});
    return false;
}

} // namespace

void NoteValues(HKEY hive, HKEY key, const std::wstring& path, CleanReport& report) {
    std::vector<wchar_t> name(ValueNameSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = ValueNameSize;
        const LONG status = platform::seam::RegEnumValueW(key, index, name.data(), &length, nullptr,
                                                          nullptr, nullptr, nullptr);
        if (!GoesOn(status, hive, path, report))
            return;
        if (status == ERROR_SUCCESS)
            report.Add({CleanItemKind::RegistryValue,
                        Shown(hive, Below(path, std::wstring(name.data(), length).c_str()))});
    }
}

LONG NoteTree(HKEY hive, const std::wstring& path, CleanReport& report) {
    platform::UniqueHKey key;
    const LONG status = RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, key.put());
    if (status != ERROR_SUCCESS)
        return status;
    report.Add({CleanItemKind::RegistryKey, Shown(hive, path)});
    NoteValues(hive, key.get(), path, report);
    wchar_t name[KeyNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = KeyNameSize;
        const LONG listed = platform::seam::RegEnumKeyExW(key.get(), index, name, &length, nullptr,
                                                          nullptr, nullptr, nullptr);
        if (!GoesOn(listed, hive, path, report))
            break;
        if (listed == ERROR_SUCCESS)
            NoteTree(hive, Below(path, name), report);
    }
    return ERROR_SUCCESS;
}

void NoteFailure(CleanItemKind kind, std::wstring path, LONG status, CleanReport* report) {
    if (report && status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        report->Add({kind, std::move(path), 0, 1, DWORD(status)});
}

} // namespace registrynotes

using namespace registrynotes;

// The key's values go with it, and are noted with it, as the preview notes them.
LONG NotedRegistryCleaning::DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                                      const char* name) {
    const std::wstring path = platform::FromAnsi(Below(parentPath, name).c_str());
    CleanReport values;
    {
        platform::UniqueHKey key;
        if (RegOpenKeyExA(parent, name, 0, KEY_READ, key.put()) == ERROR_SUCCESS)
            NoteValues(hive, key.get(), path, values);
    }
    const LONG status = RegistryCleaning::DeleteKey(hive, parent, parentPath, name);
    if (status == ERROR_SUCCESS) {
        m_report.Add({CleanItemKind::RegistryKey, Shown(hive, path)});
        for (const CleanItem& item : values.Items())
            m_report.Add(item);
    }
    NoteFailure(CleanItemKind::RegistryKey, Shown(hive, path), status, &m_report);
    return status;
}

LONG NotedRegistryCleaning::DeleteValue(HKEY hive, HKEY key, const std::string& keyPath,
                                        const char* name) {
    const LONG status = RegistryCleaning::DeleteValue(hive, key, keyPath, name);
    const std::wstring shown = Shown(hive, Below(keyPath, name));
    if (status == ERROR_SUCCESS)
        m_report.Add({CleanItemKind::RegistryValue, shown});
    NoteFailure(CleanItemKind::RegistryValue, shown, status, &m_report);
    return status;
}

LONG NotedRegistryCleaning::DeleteValueW(HKEY hive, HKEY key, const std::wstring& keyPath,
                                         const std::wstring& name) {
    const LONG status = RegistryCleaning::DeleteValueW(hive, key, keyPath, name);
    const std::wstring shown = Shown(hive, Below(keyPath, name.c_str()));
    if (status == ERROR_SUCCESS)
        m_report.Add({CleanItemKind::RegistryValue, shown});
    NoteFailure(CleanItemKind::RegistryValue, shown, status, &m_report);
    return status;
}

// What the tree holds is noted before it goes, and kept only when it went.
void NotedRegistryCleaning::DeleteTree(HKEY hive, const std::string& path) {
    DeleteTreeW(hive, platform::FromAnsi(path.c_str()));
}

void NotedRegistryCleaning::DeleteTreeW(HKEY hive, const std::wstring& path) {
    CleanReport tree;
    NoteTree(hive, path, tree);
    const LONG status = SHDeleteKeyW(hive, path.c_str());
    if (status == ERROR_SUCCESS) {
        for (const CleanItem& item : tree.Items())
            m_report.Add(item);
    }
    NoteFailure(CleanItemKind::RegistryKey, Shown(hive, path), status, &m_report);
}
