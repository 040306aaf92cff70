// The JSON form of a preview (documented in README.md): one object with the
// command and one entry per target, holding the same content as the text.
#pragma once

#include "clean/Targets.h"
#include "console/ReportSummary.h"

#include <string>
#include <vector>

struct TargetResult {
    const Target* target;
    TargetSummary summary;
};

std::wstring PreviewJson(const std::vector<TargetResult>& results);
