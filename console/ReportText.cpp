#include "console/ReportText.h"

namespace {

const wchar_t Indent[] = L"  ";
const wchar_t ListIndent[] = L"    ";
const wchar_t NewLine[] = L"\n";

// The words of a preview and of a clean for the same thing.
struct Wording {
    const wchar_t* preview;
    const wchar_t* clean;
};
const Wording RemoveWords = {L"would remove", L"removed"};
const Wording ZeroWords = {L"would zero", L"zeroed"};
const Wording KeepWords = {L"keeps", L"kept"};
const Wording LeaveWords = {L"would leave", L"left"};
const Wording DeleteWords = {L"would delete", L"deleted"};
const Wording EmptyWords = {L"would empty", L"emptied"};
const Wording ProblemWords = {L"cannot look into (the clean will still try):",
                              L"could not remove:"};
const wchar_t NothingText[] = L"  nothing to clean\n";

class Section {
public:
    explicit Section(ReportMode mode) : m_mode(mode) {}

    const wchar_t* Word(const Wording& wording) const {
        return m_mode == ReportMode::Preview ? wording.preview : wording.clean;
    }
    void Line(const std::wstring& text) { m_text += Indent + text + NewLine; }
    void Item(const std::wstring& text) { m_text += ListIndent + text + NewLine; }
    void Paths(const std::vector<std::wstring>& paths, const wchar_t* kind) {
        for (const std::wstring& path : paths)
            Item(kind + path);
    }
    std::wstring Text() const { return m_text; }

private:
    ReportMode m_mode;
    std::wstring m_text;
};

std::wstring Count(ULONGLONG count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

std::wstring Bytes(ULONGLONG bytes) {
    return std::to_wstring(bytes) + L" bytes";
}

std::wstring Widen(const char* text) {
    const std::string narrow(text);
    return std::wstring(narrow.begin(), narrow.end());
}

void DescribeFiles(const TargetSummary& summary, Section& out) {
    if (summary.files != 0 || summary.folders != 0)
        out.Line(std::wstring(out.Word(RemoveWords)) + L" " +
                 Count(summary.files, L"file", L"files") + L" (" + Bytes(summary.fileBytes) +
                 L") and " + Count(summary.folders, L"folder", L"folders"));
    if (!summary.indexFiles.empty()) {
        out.Line(std::wstring(out.Word(ZeroWords)) + L" " +
                 Count(summary.indexFiles.size(), L"index file", L"index files") +
                 L" after the first 64 bytes:");
        for (const PathAndBytes& file : summary.indexFiles)
            out.Item(Bytes(file.bytes) + L"  " + file.path);
    }
    if (!summary.keptDesktopIni.empty()) {
        out.Line(std::wstring(out.Word(KeepWords)) + L" " +
                 Count(summary.keptDesktopIni.size(), L"desktop.ini", L"desktop.ini files") + L":");
        for (const PathAndBytes& file : summary.keptDesktopIni)
            out.Item(file.path);
    }
    if (!summary.folderLinks.empty()) {
        out.Line(std::wstring(out.Word(RemoveWords)) + L" " +
                 Count(summary.folderLinks.size(), L"folder link", L"folder links") +
                 L" without following them:");
        out.Paths(summary.folderLinks, L"");
    }
    if (!summary.keptLinks.empty()) {
        out.Line(std::wstring(out.Word(LeaveWords)) + L" " +
                 Count(summary.keptLinks.size(), L"link", L"links") +
                 L" alone (a link that cannot be told from its target):");
        out.Paths(summary.keptLinks, L"");
    }
}

void DescribeOthers(const TargetSummary& summary, Section& out) {
    if (!summary.registryKeys.empty() || !summary.registryValues.empty()) {
        out.Line(std::wstring(out.Word(DeleteWords)) + L" " +
                 Count(summary.registryKeys.size(), L"key", L"keys") + L" and " +
                 Count(summary.registryValues.size(), L"value", L"values") + L":");
        out.Paths(summary.registryKeys, L"key    ");
        out.Paths(summary.registryValues, L"value  ");
    }
    if (summary.recycledItems != 0)
        out.Line(std::wstring(out.Word(EmptyWords)) + L" the recycle bin: " +
                 Count(summary.recycledItems, L"item", L"items") + L" (" +
                 Bytes(summary.recycledBytes) + L")");
}

void DescribeProblems(const TargetSummary& summary, Section& out) {
    if (summary.problems.empty())
        return;
    out.Line(out.Word(ProblemWords));
    for (const CleanItem& item : summary.problems)
        out.Item(Widen(KindWord(item.kind)) + (item.path.empty() ? L"" : L" " + item.path) + L": " +
                 ReasonText(item.error));
}

} // namespace

std::wstring TargetText(const TargetName& target, const TargetSummary& summary, ReportMode mode) {
    Section out(mode);
    if (mode != ReportMode::QuietClean) {
        DescribeFiles(summary, out);
        DescribeOthers(summary, out);
    }
    DescribeProblems(summary, out);
    if (mode == ReportMode::QuietClean && out.Text().empty())
        return std::wstring();
    const std::wstring header = Widen(target.label) + L" [" + Widen(target.name) + L"]" + NewLine;
    return header + (summary.IsEmpty() ? std::wstring(NothingText) : out.Text());
}
