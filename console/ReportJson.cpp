#include "console/ReportJson.h"

#include <cwchar>

namespace {

const wchar_t CommandName[] = L"preview";
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
    const std::string narrow(text);
    return Quoted(std::wstring(narrow.begin(), narrow.end()));
}

std::wstring Number(ULONGLONG value) {
    return std::to_wstring(value);
}

std::wstring Field(const wchar_t* name, const std::wstring& value) {
    return Quoted(std::wstring(name)) + L": " + value;
}

template <typename T, typename F> std::wstring Array(const std::vector<T>& items, F describe) {
    std::wstring out = L"[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? L", " : L"") + describe(items[i]);
    return out + L"]";
}

std::wstring PathWithBytes(const PathAndBytes& item) {
    return L"{" + Field(L"path", Quoted(item.path)) + L", " + Field(L"bytes", Number(item.bytes)) +
           L"}";
}

std::wstring Problem(const CleanItem& item) {
    return L"{" + Field(L"kind", Quoted(KindWord(item.kind))) + L", " +
           Field(L"path", Quoted(item.path)) + L", " + Field(L"error", Number(item.error)) + L", " +
           Field(L"reason", Quoted(ReasonText(item.error))) + L"}";
}

std::wstring Target(const TargetResult& result) {
    const TargetSummary& s = result.summary;
    const auto quoted = [](const std::wstring& path) { return Quoted(path); };
    const std::wstring fields[] = {
        Field(L"name", Quoted(result.target->name)),
        Field(L"label", Quoted(result.target->label)),
        Field(L"files", L"{" + Field(L"count", Number(s.files)) + L", " +
                            Field(L"bytes", Number(s.fileBytes)) + L"}"),
        Field(L"folders", Number(s.folders)),
        Field(L"indexFiles", Array(s.indexFiles, PathWithBytes)),
        Field(L"keptDesktopIni", Array(s.keptDesktopIni, PathWithBytes)),
        Field(L"folderLinks", Array(s.folderLinks, quoted)),
        Field(L"keptLinks", Array(s.keptLinks, quoted)),
        Field(L"registryKeys", Array(s.registryKeys, quoted)),
        Field(L"registryValues", Array(s.registryValues, quoted)),
        Field(L"recycleBin", L"{" + Field(L"items", Number(s.recycledItems)) + L", " +
                                 Field(L"bytes", Number(s.recycledBytes)) + L"}"),
        Field(L"problems", Array(s.problems, Problem)),
    };
    std::wstring out = L"    {";
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i)
        out += std::wstring(i ? L"," : L"") + L"\n      " + fields[i];
    return out + L"\n    }";
}

} // namespace

std::wstring PreviewJson(const std::vector<TargetResult>& results) {
    std::wstring out = L"{\n  " + Field(L"command", Quoted(std::wstring(CommandName))) + L",\n  " +
                       Quoted(std::wstring(L"targets")) + L": [";
    for (size_t i = 0; i < results.size(); ++i)
        out += std::wstring(i ? L"," : L"") + L"\n" + Target(results[i]);
    return out + (results.empty() ? L"]\n}\n" : L"\n  ]\n}\n");
}
