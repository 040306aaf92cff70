// The JSON form of a preview (documented in README.md): one object with the
// command and one entry per target, holding the same content as the text.
#pragma once

#include "catalogue/Catalogue.h"
#include "clean/ReportSummary.h"

#include <string>
#include <vector>

struct TargetResult {
    size_t trace; // index into the catalogue's traces
    TargetSummary summary;
};

std::wstring PreviewJson(const std::vector<TargetResult>& results);
