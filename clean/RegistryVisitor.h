// The registry changes a cleaner makes, one call per change. The cleaner
// decides what to delete, in its order and by its rules; a visitor either
// deletes (RegistryCleaning) or notes what would go (RegistryPreview in
// RegistryNotes.h), so a preview follows the very same steps as the clean it
// describes.
#pragma once

#include <windows.h>

#include <string>

class RegistryVisitor {
public:
    virtual ~RegistryVisitor() = default;

    // RegDeleteKeyA(parent, name); `parentPath` names `parent` below `hive`.
    virtual LONG DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                           const char* name) = 0;
    // RegDeleteValueA(key, name); `keyPath` names `key` below `hive`.
    virtual LONG DeleteValue(HKEY hive, HKEY key, const std::string& keyPath, const char* name) = 0;
    // RegDeleteValueW(key, name), for names and paths outside the code page.
    virtual LONG DeleteValueW(HKEY hive, HKEY key, const std::wstring& keyPath,
                              const std::wstring& name) = 0;
    // SHDeleteKeyA(hive, path): the key with all below it.
    virtual void DeleteTree(HKEY hive, const std::string& path) = 0;
    // SHDeleteKeyW(hive, path), for paths outside the code page.
    virtual void DeleteTreeW(HKEY hive, const std::wstring& path) = 0;
    // RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor): the
    // access rights opened up on the way to a deletion, and put back after it.
    virtual LONG SetKeyDacl(HKEY key, PSECURITY_DESCRIPTOR descriptor) = 0;
};

// Deletes: the calls the cleaners make, and nothing else.
class RegistryCleaning : public RegistryVisitor {
public:
    LONG DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                   const char* name) override;
    LONG DeleteValue(HKEY hive, HKEY key, const std::string& keyPath, const char* name) override;
    LONG DeleteValueW(HKEY hive, HKEY key, const std::wstring& keyPath,
                      const std::wstring& name) override;
    void DeleteTree(HKEY hive, const std::string& path) override;
    void DeleteTreeW(HKEY hive, const std::wstring& path) override;
    LONG SetKeyDacl(HKEY key, PSECURITY_DESCRIPTOR descriptor) override;
};
