// What each key of an entry means, as the format's documentation gives it.
#include "catalogue/DefinitionChecks.h"

#include "clean/WidePath.h"
#include "clean/Wildcard.h"

#include <algorithm>
#include <cwctype>

namespace {

enum class Kind {
    LangSecRef,
    Section,
    Detect,
    DetectFile,
    DetectOs,
    SpecialDetect,
    Warning,
    FileKey,
    RegKey,
    ExcludeKey,
    Default,
};
enum class Numbered { Never, MayBe, Always };
struct KeyName {
    const wchar_t* name;
    Kind kind;
    Numbered numbered;
};
const KeyName KeyNames[] = {
    {L"LangSecRef", Kind::LangSecRef, Numbered::Never},
    {L"Section", Kind::Section, Numbered::Never},
    {L"Detect", Kind::Detect, Numbered::MayBe},
    {L"DetectFile", Kind::DetectFile, Numbered::MayBe},
    {L"DetectOS", Kind::DetectOs, Numbered::Never},
    {L"SpecialDetect", Kind::SpecialDetect, Numbered::Never},
    {L"Warning", Kind::Warning, Numbered::Never},
    {L"FileKey", Kind::FileKey, Numbered::Always},
    {L"RegKey", Kind::RegKey, Numbered::Always},
    {L"ExcludeKey", Kind::ExcludeKey, Numbered::Always},
    // Whether another program checks the entry at first; Quenby checks nothing itself.
    {L"Default", Kind::Default, Numbered::Never},
};

struct Special {
    const wchar_t* value;
    SpecialDetect detect;
};
const Special Specials[] = {
    {L"DET_CHROME", SpecialDetect::Chrome},
    {L"DET_MOZILLA", SpecialDetect::Mozilla},
    {L"DET_THUNDERBIRD", SpecialDetect::Thunderbird},
    {L"DET_OPERA", SpecialDetect::Opera},
};

const wchar_t NameEnd[] = L" *";
const wchar_t RuleSeparator = L'|';
const wchar_t PatternSeparator = L';';
const wchar_t RangeSeparator = L'|';
const wchar_t VersionDot = L'.';
const DWORD MinorsPerMajor = 100;
const wchar_t Recurse[] = L"RECURSE";
const wchar_t RemoveSelf[] = L"REMOVESELF";
const wchar_t ExcludeFile[] = L"FILE";
const wchar_t ExcludePath[] = L"PATH";
const wchar_t ExcludeKeyKind[] = L"REG";
const wchar_t* const SensitiveWords[] = {L"password", L"credential", L"session"};

const wchar_t UnknownKey[] = L"unknown key ";
const wchar_t BadCategory[] = L"LangSecRef is no number";
const wchar_t BadOsRange[] = L"DetectOS is not low|high (for example 6.1|10.0)";
const wchar_t UnknownSpecial[] = L"unknown SpecialDetect ";
const wchar_t NoPattern[] = L"a file rule without a pattern";
const wchar_t PatternWithFolder[] = L"a pattern that names a folder";
const wchar_t UnknownFlag[] = L"unknown flag ";
const wchar_t EmptyValueName[] = L"a registry rule with '|' and no value name";
const wchar_t UnknownExclusion[] = L"unknown exclusion (FILE, PATH or REG) ";
const wchar_t ExclusionWithoutFile[] = L"an exclusion without its file or pattern";
const wchar_t NothingToRemove[] = L"no FileKey or RegKey: nothing to remove";

// The category names of LangSecRef, as the format's documentation lists them.
struct Category {
    int number;
    const wchar_t* name;
};
const Category Categories[] = {
    {3001, L"Internet Explorer"},
    {3005, L"Microsoft Edge (legacy)"},
    {3006, L"Microsoft Edge"},
    {3021, L"Applications"},
    {3022, L"Internet"},
    {3023, L"Multimedia"},
    {3024, L"Utilities"},
    {3025, L"Windows"},
    {3026, L"Firefox"},
    {3027, L"Opera"},
    {3028, L"Safari"},
    {3029, L"Google Chrome"},
    {3030, L"Thunderbird"},
    {3031, L"Windows Store"},
    {3033, L"Vivaldi"},
    {3034, L"Brave"},
    {3035, L"Opera GX"},
    {3036, L"Spotify"},
    {3037, L"Avast Secure Browser"},
    {3038, L"AVG Secure Browser"},
    {3039, L"Arc Browser"},
    {3040, L"iTunes"},
    {3042, L"WhatsApp"},
    {3043, L"Norton Private Browser"},
    {3044, L"Avira Secure Browser"},
};
// Where an entry without LangSecRef or Section goes.
const wchar_t DefaultCategory[] = L"3021";

bool AllDigits(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool FindKey(std::wstring_view name, const KeyName*& found) {
    for (const KeyName& key : KeyNames) {
        if (!HasWordAt(name, 0, key.name))
            continue;
        const std::wstring_view number = name.substr(wcslen(key.name));
        const bool fits = key.numbered == Numbered::Never    ? number.empty()
                          : key.numbered == Numbered::Always ? !number.empty() && AllDigits(number)
                                                             : AllDigits(number);
        if (fits) {
            found = &key;
            return true;
        }
    }
    return false;
}

// `parts` is the caller's, kept from one rule to the next: thousands of
// rules are split.
const std::vector<std::wstring_view>& Split(std::wstring_view text, wchar_t separator,
                                            std::vector<std::wstring_view>& parts) {
    parts.clear();
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::wstring_view::npos ? end : end - start));
        if (end == std::wstring_view::npos)
            return parts;
        start = end + 1;
    }
}

// Every rule's text is searched: only where its first letter stands is the
// word compared.
bool Contains(std::wstring_view text, const wchar_t* word) {
    const wchar_t lower = wchar_t(std::towlower(word[0])), upper = wchar_t(std::towupper(word[0]));
    const wchar_t* const end = text.data() + text.size();
    for (const wchar_t* at = text.data(); at < end; ++at) {
        if ((*at == lower || *at == upper) &&
            HasWordAt(text, size_t(at - text.data()), word))
            return true;
    }
    return false;
}

bool Sensitive(std::wstring_view text) {
    for (const wchar_t* word : SensitiveWords) {
        if (Contains(text, word))
            return true;
    }
    return false;
}

// "6" or "6.1" as 601; false for anything else.
bool ParseVersion(std::wstring_view text, DWORD& version) {
    const size_t dot = text.find(VersionDot);
    const std::wstring major(text.substr(0, dot));
    const std::wstring minor =
        dot == std::wstring::npos ? L"0" : std::wstring(text.substr(dot + 1));
    if (major.empty() || minor.empty() || major.size() > 3 || minor.size() > 2 ||
        !AllDigits(major) || !AllDigits(minor))
        return false;
    version = DWORD(std::stoul(major)) * MinorsPerMajor + DWORD(std::stoul(minor));
    return true;
}

class Parser {
public:
    Parser(const RawSection& section, const DefinitionContext& context)
        : m_section(section), m_context(context) {}

    Definition Parse();

private:
    void Refuse(size_t line, std::wstring reason) {
        if (m_entry.refused.reason.empty())
            m_entry.refused = {line, std::move(reason)};
    }
    void RefuseRule(size_t line, std::wstring reason) {
        m_entry.refusedRules.push_back({line, std::move(reason)});
    }
    void Take(const RawKey& key, Kind kind);
    void TakeCategory(const RawKey& key);
    void TakeDetectKey(const RawKey& key);
    void TakeDetectFile(const RawKey& key);
    void TakeOsRange(const RawKey& key);
    void TakeSpecial(const RawKey& key);
    void TakeFileRule(const RawKey& key);
    bool TakeFlags(const std::vector<std::wstring_view>& parts, FileRule& rule);
    void TakeRegistryRule(const RawKey& key);
    void TakeExclusion(const RawKey& key);

    const RawSection& m_section;
    const DefinitionContext& m_context;
    Definition m_entry;
    // The parts of the rule being read.
    std::vector<std::wstring_view> m_parts, m_patterns;
};

Definition Parser::Parse() {
    m_entry.line = m_section.line;
    m_entry.name = m_section.name;
    const size_t end = m_entry.name.size() - std::min(m_entry.name.size(), wcslen(NameEnd));
    if (m_entry.name.compare(end, std::wstring::npos, NameEnd) == 0)
        m_entry.name.erase(end);
    m_entry.sensitive = Sensitive(m_entry.name);
    if (!m_section.damaged.reason.empty())
        Refuse(m_section.damaged.line, m_section.damaged.reason);
    for (const RawKey& key : m_section.keys) {
        const KeyName* name = nullptr;
        if (FindKey(key.name, name))
            Take(key, name->kind);
        else
            Refuse(key.line, UnknownKey + std::wstring(key.name));
    }
    if (m_entry.category.empty())
        TakeCategory({L"", DefaultCategory, m_section.line});
    if (m_entry.files.empty() && m_entry.keys.empty() && m_entry.refusedRules.empty())
        Refuse(m_section.line, NothingToRemove);
    return std::move(m_entry);
}

void Parser::Take(const RawKey& key, Kind kind) {
    switch (kind) {
    case Kind::LangSecRef:
        return TakeCategory(key);
    case Kind::Section:
        m_entry.category = std::wstring(key.value);
        return;
    case Kind::Detect:
        return TakeDetectKey(key);
    case Kind::DetectFile:
        return TakeDetectFile(key);
    case Kind::DetectOs:
        return TakeOsRange(key);
    case Kind::SpecialDetect:
        return TakeSpecial(key);
    case Kind::Warning:
        m_entry.warning = std::wstring(key.value);
        return;
    case Kind::FileKey:
        ++m_entry.writtenFileRules;
        return TakeFileRule(key);
    case Kind::RegKey:
        ++m_entry.writtenRegistryRules;
        return TakeRegistryRule(key);
    case Kind::ExcludeKey:
        ++m_entry.writtenExclusions;
        return TakeExclusion(key);
    case Kind::Default:
        return;
    }
}

// A number the documentation does not list still groups its entries, under
// the number itself.
void Parser::TakeCategory(const RawKey& key) {
    if (key.value.empty() || key.value.size() > 9 || !AllDigits(key.value))
        return Refuse(key.line, BadCategory);
    m_entry.category = std::wstring(key.value);
    const int number = std::stoi(m_entry.category);
    for (const Category& category : Categories) {
        if (category.number == number)
            m_entry.category = category.name;
    }
}

void Parser::TakeDetectKey(const RawKey& key) {
    RegistryPath path;
    std::wstring why;
    if (!ParseRegistryPath(key.value, path, why))
        return Refuse(key.line, why);
    m_entry.detectKeys.push_back(path);
}

void Parser::TakeDetectFile(const RawKey& key) {
    std::vector<std::wstring> paths;
    std::wstring why;
    if (!m_context.paths.Expand(key.value, paths, why))
        return Refuse(key.line, why);
    m_entry.detectFiles.insert(m_entry.detectFiles.end(), paths.begin(), paths.end());
}

void Parser::TakeOsRange(const RawKey& key) {
    const std::vector<std::wstring_view>& ends = Split(key.value, RangeSeparator, m_parts);
    OsRange& os = m_entry.os;
    os.given = true;
    if (ends.size() != 2 || (ends[0].empty() && ends[1].empty()) ||
        (!ends[0].empty() && !ParseVersion(ends[0], os.low)) ||
        (!ends[1].empty() && !ParseVersion(ends[1], os.high)))
        Refuse(key.line, BadOsRange);
}

void Parser::TakeSpecial(const RawKey& key) {
    for (const Special& special : Specials) {
        if (IsWord(key.value, special.value)) {
            m_entry.special.push_back(special.detect);
            return;
        }
    }
    Refuse(key.line, UnknownSpecial + std::wstring(key.value));
}

// folder|pattern;pattern[|RECURSE|REMOVESELF]: a rule that cannot be read is
// left out, and the entry's other rules still run.
void Parser::TakeFileRule(const RawKey& key) {
    FileRule rule;
    rule.line = key.line;
    rule.text = std::wstring(key.value);
    m_entry.sensitive = m_entry.sensitive || Sensitive(key.value);
    const std::vector<std::wstring_view>& parts = Split(key.value, RuleSeparator, m_parts);
    std::wstring why;
    if (!m_context.paths.Expand(parts[0], rule.folders, why))
        return RefuseRule(key.line, why);
    m_patterns.clear();
    if (parts.size() > 1)
        Split(parts[1], PatternSeparator, m_patterns);
    for (const std::wstring_view pattern : m_patterns) {
        if (pattern.find_first_of(L"\\/:") != std::wstring_view::npos)
            return RefuseRule(key.line, PatternWithFolder);
        if (!pattern.empty())
            rule.patterns.emplace_back(pattern);
    }
    if (rule.patterns.empty())
        return RefuseRule(key.line, NoPattern);
    if (TakeFlags(parts, rule))
        m_entry.files.push_back(std::move(rule));
}

bool Parser::TakeFlags(const std::vector<std::wstring_view>& parts, FileRule& rule) {
    for (size_t i = 2; i < parts.size(); ++i) {
        if (IsWord(parts[i], Recurse))
            rule.recurse = true;
        else if (IsWord(parts[i], RemoveSelf))
            rule.removeSelf = true;
        else if (!parts[i].empty()) {
            RefuseRule(rule.line, UnknownFlag + std::wstring(parts[i]));
            return false;
        }
    }
    return true;
}

// HIVE\key|value: the value's name is all that follows the first '|'.
void Parser::TakeRegistryRule(const RawKey& key) {
    RegistryRule rule;
    rule.line = key.line;
    rule.text = std::wstring(key.value);
    const size_t bar = key.value.find(RuleSeparator);
    std::wstring why;
    if (!ParseRegistryPath(key.value.substr(0, bar), rule.path, why))
        return RefuseRule(key.line, why);
    rule.oneValue = bar != std::wstring::npos;
    if (rule.oneValue) {
        rule.value = std::wstring(key.value.substr(bar + 1));
        if (rule.value.empty())
            return RefuseRule(key.line, EmptyValueName);
    }
    m_entry.keys.push_back(std::move(rule));
}

// An exclusion that cannot be honoured refuses the entry: what it keeps
// would otherwise go.
void Parser::TakeExclusion(const RawKey& key) {
    const std::vector<std::wstring_view>& parts = Split(key.value, RuleSeparator, m_parts);
    std::wstring why;
    if (IsWord(parts[0], ExcludeKeyKind) && parts.size() == 2) {
        RegistryPath path;
        if (!ParseRegistryPath(parts[1], path, why))
            return Refuse(key.line, why);
        m_entry.keyExclusions.push_back(path);
        return;
    }
    const bool below = IsWord(parts[0], ExcludePath);
    if (!below && !IsWord(parts[0], ExcludeFile))
        return Refuse(key.line, UnknownExclusion + std::wstring(parts[0]));
    if (parts.size() != 3 || parts[2].empty() ||
        parts[2].find_first_of(L"\\/:") != std::wstring_view::npos)
        return Refuse(key.line, ExclusionWithoutFile);
    FileExclusion exclusion;
    if (!m_context.paths.Expand(parts[1], exclusion.folders, why))
        return Refuse(key.line, why);
    exclusion.pattern = std::wstring(parts[2]);
    exclusion.below = below;
    m_entry.fileExclusions.push_back(std::move(exclusion));
}

} // namespace

Definition ParseDefinition(const RawSection& section, const DefinitionContext& context) {
    return Parser(section, context).Parse();
}
