#include "catalogue/DefinitionPaths.h"

#include "clean/WidePath.h"
#include "clean/Wildcard.h"
#include "platform/KnownFolder.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>

namespace {

const wchar_t VariableMark = L'%';
const wchar_t Separator = L'\\';
const wchar_t DriveMark = L':';
const size_t DriveLength = 2; // "C:"
const wchar_t UncStart[] = L"\\\\";

const wchar_t UnknownVariable[] = L"unknown variable %";
const wchar_t UnclosedVariable[] = L"a '%' without its closing '%'";
const wchar_t NotWhole[] = L"not a whole path (no drive or share)";
const wchar_t RelativePart[] = L"a part \".\" or \"..\" in the path";
const wchar_t ColonInside[] = L"a ':' inside the path";
const wchar_t UnknownHive[] = L"unknown registry hive ";
const wchar_t WholeHive[] = L"a whole registry hive";
const wchar_t EmptyKeyPart[] = L"an empty part in the registry path";

// A variable that names a known folder of this PC.
struct KnownVariable {
    const wchar_t* name;
    const GUID* folder;
};
// The variables the format's documentation lists, with the folder each is.
const KnownVariable KnownVariables[] = {
    {L"AppData", &FOLDERID_RoamingAppData},
    {L"CommonAppData", &FOLDERID_ProgramData},
    {L"Documents", &FOLDERID_Documents},
    {L"LocalAppData", &FOLDERID_LocalAppData},
    {L"LocalLowAppData", &FOLDERID_LocalAppDataLow},
    {L"Music", &FOLDERID_Music},
    {L"Pictures", &FOLDERID_Pictures},
    {L"ProgramData", &FOLDERID_ProgramData},
    {L"Public", &FOLDERID_Public},
    {L"UserProfile", &FOLDERID_Profile},
    {L"Video", &FOLDERID_Videos},
    {L"WinDir", &FOLDERID_Windows},
};
// The two views: the process's own folder, the 32-bit one, and the 64-bit
// one as the environment names it to 32-bit processes too.
const wchar_t ProgramFiles[] = L"ProgramFiles";
const GUID* const ProgramFilesViews[] = {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86};
const wchar_t ProgramFiles64[] = L"ProgramW6432";
const wchar_t CommonProgramFiles[] = L"CommonProgramFiles";
const GUID* const CommonProgramFilesViews[] = {&FOLDERID_ProgramFilesCommon,
                                               &FOLDERID_ProgramFilesCommonX86};
const wchar_t CommonProgramFiles64[] = L"CommonProgramW6432";
const wchar_t SystemDrive[] = L"SystemDrive";

const GUID* const UserFolderIds[] = {
    &FOLDERID_Profile, &FOLDERID_RoamingAppData, &FOLDERID_LocalAppData, &FOLDERID_LocalAppDataLow,
    &FOLDERID_Desktop, &FOLDERID_Documents,      &FOLDERID_Downloads,    &FOLDERID_Pictures,
    &FOLDERID_Music,   &FOLDERID_Videos,
};

struct Hive {
    const wchar_t* shortName;
    const wchar_t* longName;
    HKEY hive;
};
const Hive Hives[] = {
    {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKU", L"HKEY_USERS", HKEY_USERS},
    {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKCC", L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

bool Refuse(std::wstring& why, const std::wstring& reason) {
    why = reason;
    return false;
}

std::wstring Environment(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    std::wstring value(needed, L'\0');
    const DWORD length = needed ? GetEnvironmentVariableW(name, &value[0], needed) : 0;
    value.resize(length < needed ? length : 0);
    return value;
}

void AddOnce(std::vector<std::wstring>& values, std::wstring value) {
    if (value.empty())
        return;
    for (const std::wstring& known : values) {
        if (WidePath::NameIs(known.c_str(), value.c_str()))
            return;
    }
    values.push_back(std::move(value));
}

std::vector<std::wstring> Views(const GUID* const (&ids)[2], const wchar_t* native) {
    std::vector<std::wstring> values;
    for (const GUID* id : ids)
        AddOnce(values, platform::KnownFolderPath(*id));
    AddOnce(values, Environment(native));
    return values;
}

bool IsWhole(const std::wstring& path) {
    const bool drive = path.size() >= DriveLength && path[1] == DriveMark &&
                       std::iswalpha(path[0]) &&
                       (path.size() == DriveLength || path[2] == Separator);
    return drive || WidePath::StartsWith(path, UncStart);
}

bool IsSeparator(wchar_t c) {
    return c == Separator || c == L'/';
}

// Backslashes only, no doubled or trailing one; false (with `why`) for a
// path that is not whole or has a relative part or a stray colon.
bool Normalised(std::wstring& path, std::wstring& why) {
    const bool unc = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    std::wstring tidy = unc ? UncStart : L"";
    tidy.reserve(path.size());
    size_t parts = 0;
    for (size_t at = 0;; ++parts) {
        while (at < path.size() && IsSeparator(path[at]))
            ++at;
        size_t end = at;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        if (end == at)
            break;
        const size_t length = end - at;
        if (path[at] == L'.' && (length == 1 || (length == 2 && path[at + 1] == L'.')))
            return Refuse(why, RelativePart);
        if ((parts > 0 || unc) &&
            std::find(path.begin() + at, path.begin() + end, DriveMark) != path.begin() + end)
            return Refuse(why, ColonInside);
        if (parts > 0)
            tidy += Separator;
        tidy.append(path, at, length);
        at = end;
    }
    if (!IsWhole(tidy))
        return Refuse(why, NotWhole);
    path.swap(tidy);
    return true;
}

// Each of `paths` followed by each of `values`.
void Append(std::vector<std::wstring>& paths, const std::vector<std::wstring>& values) {
    if (values.size() == 1) {
        for (std::wstring& path : paths)
            path += values[0];
        return;
    }
    std::vector<std::wstring> next;
    next.reserve(paths.size() * values.size());
    for (const std::wstring& path : paths) {
        for (const std::wstring& value : values)
            next.push_back(path + value);
    }
    paths.swap(next);
}

} // namespace

DefinitionPaths::DefinitionPaths() {
    for (const KnownVariable& known : KnownVariables) {
        std::vector<std::wstring> values;
        AddOnce(values, platform::KnownFolderPath(*known.folder));
        m_variables.push_back({known.name, values});
    }
    m_variables.push_back({ProgramFiles, Views(ProgramFilesViews, ProgramFiles64)});
    m_variables.push_back(
        {CommonProgramFiles, Views(CommonProgramFilesViews, CommonProgramFiles64)});
    std::wstring drive = Environment(SystemDrive);
    if (drive.empty())
        drive = platform::KnownFolderPath(FOLDERID_Windows).substr(0, DriveLength);
    m_variables.push_back({SystemDrive, {drive}});
    for (const GUID* id : UserFolderIds)
        AddOnce(m_userFolders, platform::KnownFolderPath(*id));
}

// The names are plain ASCII, compared without the platform's help: thousands
// of paths are expanded at once.
const DefinitionPaths::Variable* DefinitionPaths::Find(std::wstring_view name) const {
    for (const Variable& variable : m_variables) {
        if (IsWord(name, variable.name.c_str()))
            return &variable;
    }
    return nullptr;
}

// Each variable multiplies the paths by its values; one this PC has no
// folder for expands to nothing, and so does the whole path. Most variables
// have one value: it is appended in place, without copying the paths.
bool DefinitionPaths::Expand(std::wstring_view written, std::vector<std::wstring>& paths,
                             std::wstring& why) const {
    paths.assign(1, std::wstring());
    paths[0].reserve(written.size() + MAX_PATH);
    for (size_t at = 0; at < written.size();) {
        const size_t open = written.find(VariableMark, at);
        const std::wstring_view text = written.substr(at, open - at);
        for (std::wstring& path : paths)
            path += text;
        if (open == std::wstring::npos)
            break;
        const size_t close = written.find(VariableMark, open + 1);
        if (close == std::wstring::npos)
            return Refuse(why, UnclosedVariable);
        const std::wstring_view name = written.substr(open + 1, close - open - 1);
        const Variable* variable = Find(name);
        if (!variable)
            return Refuse(why, UnknownVariable + std::wstring(name) + VariableMark);
        Append(paths, variable->values);
        at = close + 1;
    }
    for (std::wstring& path : paths) {
        if (!Normalised(path, why))
            return false;
    }
    return true;
}

bool ParseRegistryPath(std::wstring_view written, RegistryPath& path, std::wstring& why) {
    const size_t separator = written.find(Separator);
    const std::wstring_view hive = written.substr(0, separator);
    path.hive = nullptr;
    for (const Hive& known : Hives) {
        if (IsWord(hive, known.shortName) || IsWord(hive, known.longName))
            path.hive = known.hive;
    }
    if (!path.hive)
        return Refuse(why, UnknownHive + std::wstring(hive));
    std::wstring_view key = separator == std::wstring::npos ? L"" : written.substr(separator + 1);
    while (!key.empty() && key.back() == Separator)
        key.remove_suffix(1);
    if (key.empty())
        return Refuse(why, WholeHive);
    if (key[0] == Separator || key.find(L"\\\\") != std::wstring::npos)
        return Refuse(why, EmptyKeyPart);
    path.key = std::wstring(key);
    return true;
}

namespace {

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c;
}

} // namespace

bool HasWordAt(std::wstring_view text, size_t at, const wchar_t* word) {
    for (size_t i = 0; word[i]; ++i) {
        if (at + i >= text.size() || AsciiUpper(text[at + i]) != AsciiUpper(word[i]))
            return false;
    }
    return true;
}

bool IsWord(std::wstring_view text, const wchar_t* word) {
    return text.size() == wcslen(word) && HasWordAt(text, 0, word);
}

std::wstring HiveName(HKEY hive) {
    for (const Hive& known : Hives) {
        if (known.hive == hive)
            return known.shortName;
    }
    return std::wstring();
}
