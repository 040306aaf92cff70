#include "app/MoreTracesClean.h"

#include "clean/NotingVisitors.h"
#include "clean/WidePath.h"
#include "settings/Settings.h"

#include <memory>

namespace {

const wchar_t ReasonSeparator[] = L" - ";
const wchar_t PathSeparator[] = L": ";

// One target's clean: its report and the visitors that note into it,
// declared after it so that they go first.
struct NotedRun {
    CleanReport report;
    NotedCleaningVisitors visitors{report};
};

// The line of a target that did not go; empty when it went.
std::wstring NotGoneLine(const Target& target, const CleanReport& report, bool inUseIsNormal) {
    const std::vector<const CleanItem*> failures =
        report.Failures(target.inUseIsNormal || inUseIsNormal);
    if (failures.empty())
        return std::wstring();
    const CleanItem& first = *failures.front();
    std::wstring line = TargetLabel(target) + ReasonSeparator;
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

TargetSet ChosenMoreTraces() {
    std::wstring unknown;
    return MoreTracesNamed(WidePath::FromAnsi(ReadMoreTraces().c_str()), kMoreTracesSeparator,
                           unknown);
}

std::string CleanMoreTraces(const TargetSet& selection, bool inUseIsNormal) {
    std::wstring lines;
    std::unique_ptr<NotedRun> run;
    const Target* running = nullptr;
    auto finish = [&] {
        if (running)
            lines += NotGoneLine(*running, run->report, inUseIsNormal);
    };
    RunTargets(selection, [&](const Target& target) -> Visitors& {
        finish();
        running = &target;
        run = std::make_unique<NotedRun>();
        return run->visitors.Get();
    });
    finish();
    return ToAnsi(lines);
}
