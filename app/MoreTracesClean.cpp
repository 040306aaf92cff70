#include "app/MoreTracesClean.h"

#include "catalogue/TraceRun.h"
#include "clean/WidePath.h"
#include "moretraces/KeptSites.h"
#include "settings/Settings.h"

namespace {

const wchar_t ReasonSeparator[] = L" - ";
const wchar_t PathSeparator[] = L": ";

// The line of a trace that did not go; empty when it went.
std::wstring NotGoneLine(const Trace& trace, const CleanReport& report, bool inUseIsNormal) {
    const std::vector<const CleanItem*> failures =
        report.Failures(trace.inUseIsNormal || inUseIsNormal);
    if (failures.empty())
        return std::wstring();
    const CleanItem& first = *failures.front();
    std::wstring line = trace.label + ReasonSeparator;
    // A skipped profile's reason names it; anything else needs its path.
    if (first.kind != CleanItemKind::ProfileInUse)
        line += WidePath::Shown(first.path) + PathSeparator;
    line += ReasonOf(first);
    if (failures.size() > 1)
        line += L" (and " + DecimalText(failures.size() - 1) + L" more)";
    return line + L'\n';
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &ansi[0], size, nullptr, nullptr);
    return ansi;
}

} // namespace

TraceSet ChosenMoreTraces() {
    std::vector<std::wstring> unknown;
    return MoreTracesNamed(ReadMoreTraces(), unknown);
}

std::string CleanMoreTraces(const TraceSet& selection, bool inUseIsNormal) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    sites::SetKept(ReadKeepSites());
    std::wstring lines;
    TraceRunHooks hooks;
    hooks.finished = [&](TraceRun& run) {
        lines += NotGoneLine(catalogue.Traces()[run.trace], run.report, inUseIsNormal);
    };
    CleanTraces(selection, hooks, catalogue);
    return ToAnsi(lines);
}
