#include "console/ReportJson.h"

#include "platform/TextConversion.h"

#include <cwchar>

namespace {

const wchar_t PreviewCommand[] = L"preview";
const wchar_t CleanCommand[] = L"clean";
const size_t EscapeSize = 8;

std::wstring Quoted(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < L' ') {
            wchar_t escape[EscapeSize];
            swprintf(escape, EscapeSize, L"\\u%04x", unsigned(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

std::wstring Quoted(const char* text) {
    return Quoted(platform::FromAnsi(text));
}

std::wstring Number(ULONGLONG value) {
    return std::to_wstring(value);
}

std::wstring Field(const std::wstring& name, const std::wstring& value) {
    return Quoted(name) + L": " + value;
}

std::wstring Object(std::initializer_list<std::wstring> fields) {
    std::wstring out;
    for (const std::wstring& field : fields)
        out += (out.empty() ? L"{" : L", ") + field;
    return out + L"}";
}

template <typename F> std::wstring Array(const std::vector<CleanItem>& items, F describe) {
    std::wstring out = L"[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? L", " : L"") + describe(items[i]);
    return out + L"]";
}

std::wstring Path(const CleanItem& item) {
    return Quoted(item.path);
}

std::wstring PathWithBytes(const CleanItem& item) {
    return Object({Field(L"path", Quoted(item.path)), Field(L"bytes", Number(item.bytes))});
}

std::wstring KeptInUse(const CleanItem& item) {
    return Object({Field(L"kind", Quoted(KindWord(item.kind))), Field(L"path", Quoted(item.path)),
                   Field(L"bytes", Number(item.bytes))});
}

std::wstring Problem(const CleanItem& item) {
    return Object({Field(L"kind", Quoted(KindWord(item.kind))), Field(L"path", Quoted(item.path)),
                   Field(L"error", Number(item.error)), Field(L"reason", Quoted(ReasonOf(item)))});
}

// [{"path": ..., "<field>": {detail: count, ...}}, ...]: the items of each
// place (a database's tables, the sites kept in a database or folder).
template <typename Place>
std::wstring CountsPerPlace(const std::vector<Place>& places,
                            std::vector<const CleanItem*> Place::*items, const wchar_t* field) {
    std::wstring out = L"[";
    for (const Place& place : places) {
        std::wstring counts;
        for (const CleanItem* item : place.*items)
            counts += (counts.empty() ? L"" : L", ") + Field(item->detail, Number(item->count));
        out += (out.size() > 1 ? L", " : L"") +
               Object({Field(L"path", Quoted(place.path)), Field(field, L"{" + counts + L"}")});
    }
    return out + L"]";
}

// [{"path": ..., "removed": [what each names], "pinned": [...]}, ...]
std::wstring JumpLists(const std::vector<CleanItem>& entries) {
    std::wstring out = L"[";
    for (const JumpListEntries& list : ByJumpList(entries)) {
        std::wstring removed, pinned;
        for (const CleanItem* entry : list.entries) {
            std::wstring& to = entry->kind == CleanItemKind::PinnedEntry ? pinned : removed;
            to += (to.empty() ? L"" : L", ") + Quoted(entry->detail);
        }
        out += (out.size() > 1 ? L", " : L"") +
               Object({Field(L"path", Quoted(list.path)), Field(L"removed", L"[" + removed + L"]"),
                       Field(L"pinned", L"[" + pinned + L"]")});
    }
    return out + L"]";
}

// Each group as its field: counts and sums where the text gives them, the
// items themselves where it lists them.
std::wstring GroupValue(const TargetSummary& s, Group group) {
    switch (group) {
    case Group::Files:
        return Object(
            {Field(L"count", Number(s.In(group).size())), Field(L"bytes", Number(s.Bytes(group)))});
    case Group::Folders:
        return Number(s.In(group).size());
    case Group::IndexFiles:
    case Group::KeptDesktopIni:
        return Array(s.In(group), PathWithBytes);
    case Group::RecycleBin:
        return Object(
            {Field(L"items", Number(s.Count(group))), Field(L"bytes", Number(s.Bytes(group)))});
    case Group::Databases:
        return CountsPerPlace(ByDatabase(s.In(group)), &DatabaseRows::tables, L"rows");
    case Group::JumpLists:
        return JumpLists(s.In(group));
    case Group::KeptSites:
        return CountsPerPlace(ByPlace(s.In(group)), &KeptSitesIn::sites, L"sites");
    case Group::KeptInUse:
        return Array(s.In(group), KeptInUse);
    case Group::Problems:
        return Array(s.In(group), Problem);
    default:
        return Array(s.In(group), Path);
    }
}

const wchar_t* const GroupFields[GroupCount] = {
    L"files",     L"folders",      L"indexFiles",     L"keptDesktopIni", L"folderLinks",
    L"keptLinks", L"registryKeys", L"registryValues", L"recycleBin",     L"databases",
    L"keptSites", L"jumpLists",    L"keptInUse",      L"problems",
};

// The program's name, or null for the window's eight.
std::wstring ProgramName(const Catalogue& catalogue, size_t trace) {
    const Program* program = catalogue.ProgramOf(trace);
    return program ? Quoted(program->name) : std::wstring(L"null");
}

std::wstring TargetEntry(const TargetResult& result) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    const Trace& trace = catalogue.Traces()[result.trace];
    std::wstring out = L"    {\n      " + Field(L"name", Quoted(trace.name)) + L",\n      " +
                       Field(L"label", Quoted(trace.label)) + L",\n      " +
                       Field(L"program", ProgramName(catalogue, result.trace)) + L",\n      " +
                       Field(L"found", catalogue.Found(result.trace) ? L"true" : L"false");
    for (size_t group = 0; group < GroupCount; ++group)
        out += L",\n      " + Field(GroupFields[group], GroupValue(result.summary, Group(group)));
    return out + L"\n    }";
}

// {"command": ..., <fields>, "targets": [...]}
std::wstring ReportObject(const wchar_t* command, const std::vector<std::wstring>& fields,
                          const std::vector<TargetResult>& results) {
    std::wstring out = L"{\n  " + Field(L"command", Quoted(std::wstring(command))) + L",\n  ";
    for (const std::wstring& field : fields)
        out += field + L",\n  ";
    out += Quoted(std::wstring(L"targets")) + L": [";
    for (size_t i = 0; i < results.size(); ++i)
        out += std::wstring(i ? L"," : L"") + L"\n" + TargetEntry(results[i]);
    return out + (results.empty() ? L"]\n}\n" : L"\n  ]\n}\n");
}

// ["site", ...]
std::wstring SiteNames(const std::vector<std::string>& sites) {
    std::wstring out = L"[";
    for (const std::string& site : sites)
        out += (out.size() > 1 ? L", " : L"") + Quoted(platform::FromUtf8(site));
    return out + L"]";
}

} // namespace

std::wstring PreviewJson(const std::vector<std::string>& keptSites,
                         const std::vector<TargetResult>& results) {
    return ReportObject(PreviewCommand, {Field(L"keptSites", SiteNames(keptSites))}, results);
}

std::wstring CleanJson(const CleanReportHeader& header, const std::vector<TargetResult>& results) {
    std::wstring leftOut = L"[";
    for (const std::wstring& name : header.leftOut)
        leftOut += (leftOut.size() > 1 ? L", " : L"") + Quoted(name);
    return ReportObject(CleanCommand,
                        {Field(L"started", Quoted(header.started.c_str())),
                         Field(L"finished", Quoted(header.finished.c_str())),
                         Field(L"succeeded", header.succeeded ? L"true" : L"false"),
                         Field(L"leftOut", leftOut + L"]"),
                         Field(L"keptSites", SiteNames(header.keptSites))},
                        results);
}
