#include "console/DefinitionsCommand.h"

#include "catalogue/Definitions.h"
#include "clean/CleanReport.h"

#include <string>

namespace {

const int ExitRead = 0;
const int ExitNoFile = 1;
const wchar_t NoFileText[] =
    L"No winapp2.ini: Quenby reads it beside its program or in %APPDATA%\\Quenby "
    L"(see README).\n";
const wchar_t UnreadText[] = L"winapp2.ini cannot be read: ";
const wchar_t TrustedText[] = L"Only administrators can change it: every rule may run.\n";
const wchar_t UntrustedText[] =
    L"It could have been written without administrator rights: rules outside your profile "
    L"folders and HKCU are refused.\n";
const wchar_t NoVersionText[] = L"(no version line)";
const wchar_t Indent[] = L"  ";

std::wstring Number(size_t count) {
    return std::to_wstring(count);
}

std::wstring At(size_t line, const std::wstring& name) {
    return Indent + (L"line " + Number(line)) + (name.empty() ? L"" : L" [" + name + L"]");
}

// Every refusal, entry by entry, under its heading; nothing when none.
void ListRefusals(const DefinitionFile& file, ConsoleStream& out) {
    std::wstring entries, covered, rules, stray;
    for (const Refusal& line : file.strayLines)
        stray += At(line.line, L"") + L": " + line.reason + L"\n";
    for (const Definition& entry : file.entries) {
        if (!entry.refused.reason.empty())
            entries += At(entry.refused.line, entry.name) + L": " + entry.refused.reason + L"\n";
        else if (entry.covered)
            covered += At(entry.line, entry.name) + L"\n";
        else
            for (const Refusal& rule : entry.refusedRules)
                rules += At(rule.line, entry.name) + L": " + rule.reason + L"\n";
    }
    if (!stray.empty())
        out.Write(L"\nLines outside any entry:\n" + stray);
    if (!entries.empty())
        out.Write(L"\nRefused entries:\n" + entries);
    if (!covered.empty())
        out.Write(L"\nEntries " + std::wstring(CoveredReason) + L", never run:\n" + covered);
    if (!rules.empty())
        out.Write(L"\nRefused rules (the entry's other rules run):\n" + rules);
}

void Summarise(const LoadedDefinitions& loaded, ConsoleStream& out) {
    const DefinitionFile& file = loaded.file;
    size_t runs = 0, refused = 0, covered = 0, found = 0, refusedRules = 0;
    for (const Definition& entry : file.entries) {
        runs += entry.Runs();
        refused += !entry.refused.reason.empty();
        covered += entry.refused.reason.empty() && entry.covered;
        found += entry.Runs() && DefinitionFound(entry, loaded.context);
        refusedRules += entry.Runs() ? entry.refusedRules.size() : 0;
    }
    out.Write(L"File: " + file.path + L"\n" + (file.trusted ? TrustedText : UntrustedText) +
              L"Version: " + (file.version.empty() ? NoVersionText : file.version) + L"\n" +
              L"Entries: " + Number(file.entries.size()) + L" (" + Number(runs) + L" run, " +
              Number(refused) + L" refused, " + Number(covered) + L" " + CoveredReason +
              L"); found on this PC: " + Number(found) + L"\n" + L"Rules: " +
              Number(file.fileRules) + L" file, " + Number(file.registryRules) + L" registry, " +
              Number(file.exclusions) + L" exclusions; " + Number(refusedRules) +
              L" refused in entries that run\n");
}

} // namespace

int RunDefinitions(ConsoleStream& out) {
    DWORD error = ERROR_SUCCESS;
    const std::shared_ptr<const LoadedDefinitions> loaded = ProcessDefinitions(&error);
    if (!loaded) {
        out.Write(error == ERROR_SUCCESS ? std::wstring(NoFileText)
                                         : UnreadText + ReasonText(error) + L"\n");
        return ExitNoFile;
    }
    Summarise(*loaded, out);
    ListRefusals(loaded->file, out);
    return ExitRead;
}
