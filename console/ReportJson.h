// The JSON forms (documented in README.md): a preview, one object with the
// command and one entry per target, holding the same content as the text; and
// a quiet clean's report, the same object with when it ran and how it ended.
#pragma once

#include "catalogue/Catalogue.h"
#include "clean/ReportSummary.h"

#include <string>
#include <vector>

struct TargetResult {
    size_t trace; // index into the catalogue's traces
    TargetSummary summary;
};

// `keptSites`: the sites kept signed in for the run, as registrable domains.
std::wstring PreviewJson(const std::vector<std::string>& keptSites,
                         const std::vector<TargetResult>& results);

struct CleanReportHeader {
    std::string started, finished;      // UTC, as ReportTime writes it
    bool succeeded;                     // everything selected is gone
    std::vector<std::wstring> leftOut;  // saved names that are no more trace
    std::vector<std::string> keptSites; // the sites kept signed in for the run
};
std::wstring CleanJson(const CleanReportHeader& header, const std::vector<TargetResult>& results);
