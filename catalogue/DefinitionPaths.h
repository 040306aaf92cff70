// The paths and registry keys of cleaning definitions: the variables the
// format's peers support, expanded to this PC's folders, and the checks that
// a path or key names something whole.
#pragma once

#include "catalogue/Definition.h"

#include <string>
#include <string_view>
#include <vector>

class DefinitionPaths {
public:
    // Reads where this PC keeps each variable's folders, once.
    DefinitionPaths();

    // `written` with its variables expanded, in every view it has:
    // %ProgramFiles% and %CommonProgramFiles% name both the 64-bit and the
    // 32-bit folders on 64-bit Windows, so a path may come back twice. The
    // separators are made backslashes, doubled ones single, a trailing one
    // dropped. False, with `why`, for an unknown variable, a path that is not
    // whole (no drive or share), a part "." or "..", or a colon past the drive.
    bool Expand(std::wstring_view written, std::vector<std::wstring>& paths,
                std::wstring& why) const;

    // The folders of the user's own profile (the profile itself, AppData's
    // three halves, Desktop, Documents, Downloads, Pictures, Music, Videos).
    const std::vector<std::wstring>& UserFolders() const { return m_userFolders; }

private:
    struct Variable {
        std::wstring name;
        std::vector<std::wstring> values;
    };
    const Variable* Find(std::wstring_view name) const;

    std::vector<Variable> m_variables;
    std::vector<std::wstring> m_userFolders;
};

// "HKCU\Software\Vendor" as a hive and a key below it. False, with `why`,
// for an unknown hive or a whole hive.
bool ParseRegistryPath(std::wstring_view written, RegistryPath& path, std::wstring& why);

// Whether `text` is the ASCII `word`, case ignored: the format's own words
// (keys, flags, variables, hives), compared without the platform's help
// since thousands are.
bool IsWord(std::wstring_view text, const wchar_t* word);
// Whether `text` holds the ASCII `word` from `at` on, case ignored.
bool HasWordAt(std::wstring_view text, size_t at, const wchar_t* word);

// The hive's short name: "HKCU", "HKLM", "HKU", "HKCR", "HKCC".
std::wstring HiveName(HKEY hive);
