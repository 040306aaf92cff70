// The registry changes a cleaner makes, one call per change. The cleaner
// decides what to delete, in its order and by its rules; a visitor either
// deletes (RegistryCleaning) or notes what would go (RegistryPreview), so a
// preview follows the very same steps as the clean it describes.
#pragma once

#include "clean/CleanReport.h"

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
    // SHDeleteKeyA(hive, path): the key with all below it.
    virtual void DeleteTree(HKEY hive, const std::string& path) = 0;
};

// Deletes, and notes in `report` (when given) what went and what could not.
class RegistryCleaning : public RegistryVisitor {
public:
    explicit RegistryCleaning(CleanReport* report = nullptr) : m_report(report) {}

    LONG DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                   const char* name) override;
    LONG DeleteValue(HKEY hive, HKEY key, const std::string& keyPath, const char* name) override;
    void DeleteTree(HKEY hive, const std::string& path) override;

private:
    CleanReport* m_report;
};

// Changes nothing: notes what a clean would delete. Answers as the platform
// would, so that a cleaner's loop stops where the clean's would.
class RegistryPreview : public RegistryVisitor {
public:
    explicit RegistryPreview(CleanReport& report) : m_report(report) {}

    LONG DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                   const char* name) override;
    LONG DeleteValue(HKEY hive, HKEY key, const std::string& keyPath, const char* name) override;
    void DeleteTree(HKEY hive, const std::string& path) override;

private:
    CleanReport& m_report;
};
