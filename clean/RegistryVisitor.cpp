#include "clean/RegistryVisitor.h"

#include <shlwapi.h>

LONG RegistryCleaning::DeleteKey(HKEY, HKEY parent, const std::string&, const char* name) {
    return RegDeleteKeyA(parent, name);
}

LONG RegistryCleaning::DeleteValue(HKEY, HKEY key, const std::string&, const char* name) {
    return RegDeleteValueA(key, name);
}

LONG RegistryCleaning::DeleteValueW(HKEY, HKEY key, const std::wstring&, const std::wstring& name) {
    return RegDeleteValueW(key, name.c_str());
}

void RegistryCleaning::DeleteTree(HKEY hive, const std::string& path) {
    SHDeleteKeyA(hive, path.c_str());
}

void RegistryCleaning::DeleteTreeW(HKEY hive, const std::wstring& path) {
    SHDeleteKeyW(hive, path.c_str());
}

LONG RegistryCleaning::SetKeyDacl(HKEY key, PSECURITY_DESCRIPTOR descriptor) {
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
}
