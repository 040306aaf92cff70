#include "console/ReportText.h"

#include "platform/TextConversion.h"

namespace {

const wchar_t Indent[] = L"  ";
const wchar_t ListIndent[] = L"    ";
const wchar_t SubListIndent[] = L"      ";
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
const Wording InUseWords = {L"would keep", L"kept"};
const Wording EntryGoesWords = {L"goes   ", L"went   "};
const Wording EntryStaysWords = {L"stays  ", L"stayed "};
const wchar_t KeptSitesTail[] = L" kept signed in:";
const Wording ProblemWords = {L"cannot look into (the clean will still try):",
                              L"could not remove:"};
const wchar_t NothingText[] = L"  nothing to clean\n";

std::wstring Count(ULONGLONG count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

class Section {
public:
    explicit Section(ReportMode mode) : m_mode(mode) {}

    const wchar_t* Word(const Wording& wording) const {
        return m_mode == ReportMode::Preview ? wording.preview : wording.clean;
    }
    void Line(const std::wstring& text) { m_text += Indent + text + NewLine; }
    void Item(const std::wstring& text) { m_text += ListIndent + text + NewLine; }
    void SubItem(const std::wstring& text) { m_text += SubListIndent + text + NewLine; }
    void Paths(const std::vector<CleanItem>& items, const wchar_t* kind) {
        for (const CleanItem& item : items)
            Item(kind + item.path);
    }
    // A heading that counts the items ("<word> 2 links<tail>"), then their
    // paths; nothing when there are none.
    void Listed(const std::vector<CleanItem>& items, const Wording& word, const wchar_t* one,
                const wchar_t* many, const wchar_t* tail) {
        if (items.empty())
            return;
        Line(std::wstring(Word(word)) + L" " + Count(items.size(), one, many) + tail);
        Paths(items, L"");
    }
    std::wstring Text() const { return m_text; }

private:
    ReportMode m_mode;
    std::wstring m_text;
};

std::wstring Bytes(ULONGLONG bytes) {
    return std::to_wstring(bytes) + L" bytes";
}

// The items of one place, each with its count: "visits 2, urls 1".
std::wstring Counts(const std::vector<const CleanItem*>& items) {
    std::wstring text;
    for (const CleanItem* item : items)
        text += (text.empty() ? L"" : L", ") + item->detail + L" " + std::to_wstring(item->count);
    return text;
}

void DescribeFiles(const TargetSummary& summary, Section& out) {
    const ULONGLONG files = summary.In(Group::Files).size();
    const ULONGLONG folders = summary.In(Group::Folders).size();
    if (files != 0 || folders != 0)
        out.Line(std::wstring(out.Word(RemoveWords)) + L" " + Count(files, L"file", L"files") +
                 L" (" + Bytes(summary.Bytes(Group::Files)) + L") and " +
                 Count(folders, L"folder", L"folders"));
    const std::vector<CleanItem>& indexFiles = summary.In(Group::IndexFiles);
    if (!indexFiles.empty()) {
        out.Line(std::wstring(out.Word(ZeroWords)) + L" " +
                 Count(indexFiles.size(), L"index file", L"index files") +
                 L" after the first 64 bytes:");
        for (const CleanItem& file : indexFiles)
            out.Item(Bytes(file.bytes) + L"  " + file.path);
    }
    out.Listed(summary.In(Group::KeptDesktopIni), KeepWords, L"desktop.ini", L"desktop.ini files",
               L":");
    out.Listed(summary.In(Group::FolderLinks), RemoveWords, L"folder link", L"folder links",
               L" without following them:");
    std::vector<CleanItem> links, readOnly;
    for (const CleanItem& item : summary.In(Group::KeptLinks))
        (item.kind == CleanItemKind::KeptHardLink ? readOnly : links).push_back(item);
    out.Listed(links, LeaveWords, L"link", L"links",
               L" alone (a link that cannot be told from its target):");
    out.Listed(readOnly, LeaveWords, L"read-only file", L"read-only files",
               L" with other names alone (a name that cannot go without clearing the read-only "
               L"bit its other names share):");
}

void DescribeOthers(const TargetSummary& summary, Section& out) {
    const std::vector<CleanItem>& keys = summary.In(Group::RegistryKeys);
    const std::vector<CleanItem>& values = summary.In(Group::RegistryValues);
    if (!keys.empty() || !values.empty()) {
        out.Line(std::wstring(out.Word(DeleteWords)) + L" " + Count(keys.size(), L"key", L"keys") +
                 L" and " + Count(values.size(), L"value", L"values") + L":");
        out.Paths(keys, L"key    ");
        out.Paths(values, L"value  ");
    }
    if (summary.Count(Group::RecycleBin) != 0)
        out.Line(std::wstring(out.Word(EmptyWords)) + L" the recycle bin: " +
                 Count(summary.Count(Group::RecycleBin), L"item", L"items") + L" (" +
                 Bytes(summary.Bytes(Group::RecycleBin)) + L")");
    const std::vector<CleanItem>& rows = summary.In(Group::Databases);
    if (!rows.empty()) {
        const std::vector<DatabaseRows> databases = ByDatabase(rows);
        out.Line(std::wstring(out.Word(DeleteWords)) + L" " +
                 Count(summary.Count(Group::Databases), L"row", L"rows") + L" in " +
                 Count(databases.size(), L"database", L"databases") + L":");
        for (const DatabaseRows& database : databases)
            out.Item(database.path + L": " + Counts(database.tables));
    }
    out.Listed(summary.In(Group::KeptInUse), InUseWords, L"item", L"items",
               L" in use by other programs, as is normal here:");
}

// Each jump list with its entries: those that go and the pinned ones that stay.
void DescribeJumpLists(const TargetSummary& summary, Section& out) {
    const std::vector<CleanItem>& entries = summary.In(Group::JumpLists);
    if (entries.empty())
        return;
    size_t pinned = 0;
    for (const CleanItem& entry : entries)
        pinned += entry.kind == CleanItemKind::PinnedEntry;
    const std::vector<JumpListEntries> lists = ByJumpList(entries);
    out.Line(std::wstring(out.Word(RemoveWords)) + L" " +
             Count(entries.size() - pinned, L"entry", L"entries") + L" from " +
             Count(lists.size(), L"jump list", L"jump lists") + L"; " +
             Count(pinned, L"pinned entry stays:", L"pinned entries stay:"));
    for (const JumpListEntries& list : lists) {
        out.Item(list.path);
        for (const CleanItem* entry : list.entries) {
            const bool stays = entry->kind == CleanItemKind::PinnedEntry;
            out.SubItem(out.Word(stays ? EntryStaysWords : EntryGoesWords) + entry->detail);
        }
    }
}

// What stays for the sites kept signed in, per database or folder, with how
// much of each site stays there (cookies, or 1 for a folder or store).
void DescribeKeptSites(const TargetSummary& summary, Section& out) {
    const std::vector<CleanItem>& kept = summary.In(Group::KeptSites);
    if (kept.empty())
        return;
    out.Line(std::wstring(out.Word(KeepWords)) + L" what belongs to " +
             Count(SitesOf(kept).size(), L"site", L"sites") + KeptSitesTail);
    for (const KeptSitesIn& place : ByPlace(kept))
        out.Item(place.path + L": " + Counts(place.sites));
}

void DescribeProblems(const TargetSummary& summary, Section& out) {
    const std::vector<CleanItem>& problems = summary.In(Group::Problems);
    if (problems.empty())
        return;
    out.Line(out.Word(ProblemWords));
    for (const CleanItem& item : problems)
        out.Item(platform::FromAnsi(KindWord(item.kind)) +
                 (item.path.empty() ? L"" : L" " + item.path) + L": " + ReasonOf(item));
}

} // namespace

std::wstring TargetText(const Trace& trace, const TargetSummary& summary, ReportMode mode) {
    Section out(mode);
    DescribeFiles(summary, out);
    DescribeJumpLists(summary, out);
    DescribeOthers(summary, out);
    DescribeKeptSites(summary, out);
    DescribeProblems(summary, out);
    const std::wstring header = trace.label + L" [" + trace.name + L"]" + NewLine;
    return header + (summary.IsEmpty() ? std::wstring(NothingText) : out.Text());
}
