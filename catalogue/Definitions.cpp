#include "catalogue/Definitions.h"

#include "catalogue/BrowserTable.h"
#include "clean/WidePath.h"
#include "clean/Wildcard.h"
#include "moretraces/BrowserProfiles.h"
#include "platform/KnownFolder.h"
#include "platform/Concurrent.h"
#include "platform/WriteAccess.h"
#include "res/resource.h"
#include "platform/TextConversion.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <unordered_map>

const wchar_t DefinitionPrefix[] = L"winapp2:";
const wchar_t DefinitionFileName[] = L"winapp2.ini";

namespace {

const wchar_t OwnFolder[] = L"Quenby";
const wchar_t DuplicateName[] = L"an entry of this name comes first, at line ";
// Another program of the catalogue has the category's name.
const wchar_t CategorySuffix[] = L" (winapp2.ini)";
// How many of an entry's rules its description names.
const size_t RulesDescribed = 8;
const wchar_t MoreRules[] = L"\u2026 and more: ";
const wchar_t LineWord[] = L"line ";
const wchar_t LineEnd[] = L"\n";
const wchar_t ReasonSeparator[] = L": ";
const wchar_t WarningSeparator[] = L" ";

// The start-up worker that is to stop, when Quenby closes while it still
// reads the file: nobody needs what it reads any more, so it stops at the
// next of a few points instead of holding up the exit. Any other thread that
// reads the file reads it whole.
std::atomic<DWORD> g_stopping{0};
// How many entries are made or checked between two looks at g_stopping.
const size_t EntriesBetweenLooks = 256;
struct ReadStopped {};

void StopWhenClosing() {
    if (g_stopping.load(std::memory_order_relaxed) == GetCurrentThreadId())
        throw ReadStopped();
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path.substr(0, path.find_last_of(L'\\'));
        }
        path.resize(path.size() * 2);
    }
}

std::wstring Lines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size() && i < RulesDescribed; ++i)
        text += LineEnd + lines[i];
    if (lines.size() > RulesDescribed)
        text += LineEnd + (MoreRules + std::to_wstring(lines.size() - RulesDescribed));
    return text;
}

// The words every entry's description shares, loaded once for thousands of entries.
struct EntryWords {
    std::wstring goes = CatalogueText(IDS_DEFINITION_GOES);
    std::wstring stays = CatalogueText(IDS_DEFINITION_STAYS);
    std::wstring refused = CatalogueText(IDS_DEFINITION_REFUSED);
    std::wstring sensitive = CatalogueText(IDS_DEFINITION_SENSITIVE);
};

std::wstring Goes(const Definition& entry, const EntryWords& words) {
    std::vector<std::wstring> rules;
    for (const FileRule& rule : entry.files)
        rules.push_back(rule.text);
    for (const RegistryRule& rule : entry.keys)
        rules.push_back(rule.text);
    return words.goes + Lines(rules);
}

std::wstring Stays(const Definition& entry, const EntryWords& words) {
    if (entry.refusedRules.empty())
        return words.stays;
    std::vector<std::wstring> refused;
    for (const Refusal& refusal : entry.refusedRules)
        refused.push_back(LineWord + std::to_wstring(refusal.line) + ReasonSeparator +
                          refusal.reason);
    return words.refused + Lines(refused);
}

std::wstring Warning(const Definition& entry, const EntryWords& words) {
    std::wstring warning = entry.warning;
    if (entry.sensitive)
        warning += (warning.empty() ? L"" : WarningSeparator) + words.sensitive;
    return warning;
}

Trace EntryTrace(const std::shared_ptr<const LoadedDefinitions>& loaded, size_t index,
                 const EntryWords& words) {
    const Definition& entry = loaded->file.entries[index];
    Trace trace;
    trace.name = DefinitionPrefix + entry.name;
    trace.label = entry.name;
    trace.itemLabel = entry.name;
    trace.goes = Goes(entry, words);
    trace.stays = Stays(entry, words);
    trace.warning = Warning(entry, words);
    trace.run = [loaded, index](Visitors& visitors) {
        RunDefinition(loaded->file.entries[index], loaded->context, visitors);
    };
    trace.found = [loaded, index] {
        return DefinitionFound(loaded->file.entries[index], loaded->context);
    };
    return trace;
}

// The folders of every browser profile that Quenby's own traces clean.
std::vector<std::wstring> BrowserRoots() {
    std::vector<std::wstring> roots;
    for (const auto* family : {&ChromiumBrowsers(), &FirefoxBrowsers()}) {
        for (const BrowserRow& row : *family) {
            const std::vector<std::wstring> folders = ProfileRoots(row.browser);
            roots.insert(roots.end(), folders.begin(), folders.end());
        }
    }
    return roots;
}

bool ProgramNamed(const Catalogue& catalogue, const std::wstring& name) {
    const std::vector<Program>& programs = catalogue.Programs();
    return std::any_of(programs.begin(), programs.end(), [&](const Program& program) {
        return WidePath::NameIs(program.name.c_str(), name.c_str());
    });
}

} // namespace

std::wstring FindDefinitionFile(bool& trusted) {
    trusted = false;
    const std::wstring folder = ProgramFolder();
    const std::wstring beside = WidePath::Join(folder, DefinitionFileName);
    if (!folder.empty() && WidePath::IsFile(beside)) {
        trusted = platform::OnlyAdministratorsCanChange(beside) &&
                  platform::OnlyAdministratorsCanChange(folder);
        return beside;
    }
    const std::wstring roaming = platform::KnownFolderPath(FOLDERID_RoamingAppData);
    const std::wstring own = WidePath::Join(WidePath::Join(roaming, OwnFolder), DefinitionFileName);
    return !roaming.empty() && WidePath::IsFile(own) ? own : std::wstring();
}

// This PC's folders and the browsers' profiles are looked up on a second
// thread while the file is read. (The entries are made and checked on one
// thread: made on two, they took longer, each thread waiting for the other's
// memory allocations.)
std::shared_ptr<const LoadedDefinitions> LoadDefinitions(const std::wstring& path, bool trusted,
                                                         DWORD& error) {
    std::shared_ptr<LoadedDefinitions> loaded;
    platform::Concurrent context([&] {
        loaded = std::make_shared<LoadedDefinitions>();
        loaded->context.trusted = trusted;
        loaded->context.browserRoots = BrowserRoots();
        loaded->context.Prepare();
    });
    RawDefinitions raw;
    const bool read = ReadDefinitions(path, raw, error);
    StopWhenClosing();
    context.Wait();
    if (!read)
        return nullptr;
    DefinitionFile& file = loaded->file;
    file.path = path;
    file.trusted = trusted;
    file.version = raw.version;
    file.strayLines = raw.strayLines;
    std::vector<Definition>& entries = file.entries;
    entries.resize(raw.sections.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i % EntriesBetweenLooks == 0)
            StopWhenClosing();
        entries[i] = ParseDefinition(raw.sections[i], loaded->context);
    }
    // Folded name -> the line of the first entry of that name.
    std::unordered_map<std::wstring, size_t> lines;
    for (Definition& entry : entries) {
        file.fileRules += entry.writtenFileRules;
        file.registryRules += entry.writtenRegistryRules;
        file.exclusions += entry.writtenExclusions;
        const auto first = lines.emplace(wildcard::Folded(entry.name), entry.line);
        if (!first.second && entry.refused.reason.empty())
            entry.refused = {entry.line, DuplicateName + std::to_wstring(first.first->second)};
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i % EntriesBetweenLooks == 0)
            StopWhenClosing();
        if (entries[i].refused.reason.empty())
            CheckSafety(entries[i], loaded->context);
    }
    return loaded;
}

std::shared_ptr<const LoadedDefinitions> ProcessDefinitions(DWORD* error) {
    struct Load {
        std::shared_ptr<const LoadedDefinitions> loaded;
        DWORD error = ERROR_SUCCESS;
    };
    static const Load load = [] {
        Load found;
        bool trusted = false;
        const std::wstring path = FindDefinitionFile(trusted);
        if (!path.empty())
            found.loaded = LoadDefinitions(path, trusted, found.error);
        return found;
    }();
    if (error)
        *error = load.error;
    return load.loaded;
}

void AddDefinitions(Catalogue& catalogue, const std::shared_ptr<const LoadedDefinitions>& loaded) {
    if (!loaded)
        return;
    // Folded name -> the category as first written, and its entries.
    std::map<std::wstring, std::pair<std::wstring, std::vector<size_t>>> categories;
    const std::vector<Definition>& entries = loaded->file.entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].Runs())
            continue;
        auto& category = categories[wildcard::Folded(entries[i].category)];
        if (category.first.empty())
            category.first = entries[i].category;
        category.second.push_back(i);
    }
    const EntryWords words;
    for (const auto& category : categories) {
        const std::wstring& name = category.second.first;
        const std::vector<size_t>& indexes = category.second.second;
        std::vector<Trace> traces;
        for (size_t index : indexes)
            traces.push_back(EntryTrace(loaded, index, words));
        Program program;
        program.key = platform::ToUtf8(DefinitionPrefix + name);
        program.name = ProgramNamed(catalogue, name) ? name + CategorySuffix : name;
        program.category = name;
        program.hidesMissingTraces = true;
        program.found = [loaded, indexes] {
            return std::any_of(indexes.begin(), indexes.end(), [&](size_t index) {
                return DefinitionFound(loaded->file.entries[index], loaded->context);
            });
        };
        catalogue.AddProgram(std::move(program), std::move(traces));
    }
}

CataloguePreload::CataloguePreload() {
    bool trusted = false;
    if (FindDefinitionFile(trusted).empty())
        return;
    m_thread.reset(CreateThread(nullptr, 0, &CataloguePreload::ThreadMain, nullptr, 0, nullptr));
    // The window's first paint goes first; a wait for the catalogue leaves
    // nothing else to run.
    if (m_thread)
        SetThreadPriority(m_thread.get(), THREAD_PRIORITY_BELOW_NORMAL);
}

CataloguePreload::~CataloguePreload() {
    if (!m_thread)
        return;
    g_stopping = GetThreadId(m_thread.get());
    WaitForSingleObject(m_thread.get(), INFINITE);
    g_stopping = 0;
}

DWORD WINAPI CataloguePreload::ThreadMain(void*) {
    // A failed or stopped build leaves the catalogue unbuilt: its first user
    // builds it.
    try {
        Catalogue::BuiltIn();
    } catch (...) {
    }
    return 0;
}
