#include "app/MoreTracesClean.h"

#include "app/PreviewRows.h"
#include "app/UiText.h"
#include "catalogue/TraceRun.h"
#include "clean/WidePath.h"
#include "moretraces/KeptSites.h"
#include "settings/Settings.h"
#include "platform/TextConversion.h"

namespace {

const wchar_t ReasonSeparator[] = L" - ";

} // namespace

TraceSet ChosenMoreTraces() {
    std::vector<std::wstring> unknown;
    return MoreTracesNamed(ReadMoreTraces(), unknown);
}

std::wstring NotGoneLine(const Trace& trace, const CleanReport& report, bool inUseIsNormal) {
    const std::wstring failures =
        FailureText(report.Failures(trace.inUseIsNormal || inUseIsNormal));
    return failures.empty() ? failures : trace.label + ReasonSeparator + failures + L'\n';
}

void KeepSavedSites() {
    sites::SetKept(ReadKeepSites());
}

std::string CleanMoreTraces(const TraceSet& selection, bool inUseIsNormal) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    KeepSavedSites();
    std::wstring lines;
    TraceRunHooks hooks;
    hooks.finished = [&](TraceRun& run) {
        lines += NotGoneLine(catalogue.Traces()[run.trace], run.report, inUseIsNormal);
    };
    CleanTraces(selection, hooks, catalogue);
    return platform::ToAnsi(lines);
}
