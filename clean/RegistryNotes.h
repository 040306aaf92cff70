// The registry visitors that note: the clean of the console program and of
// the window's more traces, which deletes and notes what went and what could
// not, and the console's preview, which only notes (RegistryPreview.cpp).
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
    void DeleteTreeW(HKEY hive, const std::wstring& path) override;

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
    void DeleteTreeW(HKEY hive, const std::wstring& path) override;
    // The access rights stay as they are.
    LONG SetKeyDacl(HKEY, PSECURITY_DESCRIPTOR) override { return ERROR_SUCCESS; }

private:
    CleanReport& m_report;
};

// What the noting clean and the preview share.
namespace registrynotes {

// "HKCU\path", "HKLM\path", "HKU\path", "HKCR\path" or "HKCC\path".
std::wstring Shown(HKEY hive, const std::wstring& path);
std::wstring Shown(HKEY hive, const std::string& path);
std::string Below(const std::string& path, const char* name);
std::wstring Below(const std::wstring& path, const wchar_t* name);
// Notes the values of the open `key` at `path`.
void NoteValues(HKEY hive, HKEY key, const std::wstring& path, CleanReport& report);
// Notes the key at `path`, its values and everything below it, as a deletion
// of the whole tree would remove them. Answers how the key opened.
LONG NoteTree(HKEY hive, const std::wstring& path, CleanReport& report);
// Notes a failure other than a missing key or value, when there is a report.
void NoteFailure(CleanItemKind kind, std::wstring path, LONG status, CleanReport* report);

} // namespace registrynotes
