// One entry of a file of cleaning definitions (winapp2.ini) as Quenby reads
// it: how it is found on this PC, what it removes, and what Quenby refused of
// it and why. Paths are expanded already (%AppData% is the folder itself);
// folders may still hold wildcards in their parts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A registry key as a rule names it.
struct RegistryPath {
    HKEY hive = nullptr;
    // Below the hive, without a leading or trailing backslash.
    std::wstring key;
};

// What Quenby refused, where, and why in words.
struct Refusal {
    size_t line = 0;
    std::wstring reason;
};

// FileKeyN=folder|pattern;pattern[|RECURSE|REMOVESELF]
struct FileRule {
    size_t line = 0;
    std::wstring text; // as written
    // The folder in each view it has (%ProgramFiles% has two on 64-bit Windows).
    std::vector<std::wstring> folders;
    std::vector<std::wstring> patterns;
    bool recurse = false;    // in every subfolder too
    bool removeSelf = false; // and the folders left empty, the folder itself included
};

// RegKeyN=HIVE\key[|value]
struct RegistryRule {
    size_t line = 0;
    std::wstring text; // as written
    RegistryPath path;
    bool oneValue = false; // only the value named, not the key
    std::wstring value;
};

// ExcludeKeyN=FILE|folder|file and PATH|folder|pattern: files that stay.
struct FileExclusion {
    std::vector<std::wstring> folders;
    std::wstring pattern;
    bool below = false; // PATH: in every folder below too
};

// DetectOS=low|high: the Windows versions (major.minor) the entry is for.
struct OsRange {
    bool given = false;
    DWORD low = 0;  // major * 100 + minor; 0: no lower end
    DWORD high = 0; // 0: no upper end
};

enum class SpecialDetect { Chrome, Mozilla, Thunderbird, Opera };

struct Definition {
    // The section's name without its trailing " *".
    std::wstring name;
    size_t line = 0;
    // LangSecRef's category in words, or Section.
    std::wstring category;
    // Warning=, as written.
    std::wstring warning;
    // The name or a file rule speaks of passwords, credentials or sessions.
    bool sensitive = false;

    std::vector<RegistryPath> detectKeys;
    std::vector<std::wstring> detectFiles;
    OsRange os;
    std::vector<SpecialDetect> special;

    std::vector<FileRule> files;
    std::vector<RegistryRule> keys;
    std::vector<FileExclusion> fileExclusions;
    std::vector<RegistryPath> keyExclusions;

    // Why the entry is refused as a whole (empty: it runs), and where.
    Refusal refused;
    // It reaches into a browser profile that Quenby's own traces clean.
    bool covered = false;
    // Rules left out while the others run.
    std::vector<Refusal> refusedRules;
    // The rules as written, before any refusal.
    size_t writtenFileRules = 0;
    size_t writtenRegistryRules = 0;
    size_t writtenExclusions = 0;

    bool Runs() const { return refused.reason.empty() && !covered; }
};

// A file as read: where from, how far it is trusted, and its entries.
struct DefinitionFile {
    std::wstring path;
    // Only administrators could have written it; otherwise its rules reach
    // nothing outside the user's own profile folders and HKCU.
    bool trusted = false;
    // What the "; Version: ..." line at its top says.
    std::wstring version;
    std::vector<Definition> entries;
    // Lines that belong to no entry and are not comments.
    std::vector<Refusal> strayLines;
    // The rules as written, before any refusal.
    size_t fileRules = 0;
    size_t registryRules = 0;
    size_t exclusions = 0;
};
