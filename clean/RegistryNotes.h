// The registry visitors that note: the console program's clean, which
// deletes and notes what went and what could not, and its preview, which
// only notes. Apart from the window's program, which links neither.
#pragma once

#include "clean/CleanReport.h"
#include "clean/RegistryVisitor.h"

// Deletes as RegistryCleaning does and notes in `report` what went and what
// could not, with the platform's reason.
class NotedRegistryCleaning : public RegistryCleaning {
public:
    explicit NotedRegistryCleaning(CleanReport& report) : m_report(report) {}

    LONG DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                   const char* name) override;
    LONG DeleteValue(HKEY hive, HKEY key, const std::string& keyPath, const char* name) override;
    LONG DeleteValueW(HKEY hive, HKEY key, const std::wstring& keyPath,
                      const std::wstring& name) override;
    void DeleteTree(HKEY hive, const std::string& path) override;

private:
    CleanReport& m_report;
};

// Changes nothing: notes what a clean would delete. Answers as the platform
// would, so that a cleaner's loop stops where the clean's would.
class RegistryPreview : public RegistryVisitor {
public:
    explicit RegistryPreview(CleanReport& report) : m_report(report) {}

    LONG DeleteKey(HKEY hive, HKEY parent, const std::string& parentPath,
                   const char* name) override;
    LONG DeleteValue(HKEY hive, HKEY key, const std::string& keyPath, const char* name) override;
    LONG DeleteValueW(HKEY hive, HKEY key, const std::wstring& keyPath,
                      const std::wstring& name) override;
    void DeleteTree(HKEY hive, const std::string& path) override;
    // The access rights stay as they are.
    LONG SetKeyDacl(HKEY, PSECURITY_DESCRIPTOR) override { return ERROR_SUCCESS; }

private:
    CleanReport& m_report;
};
