// The text form of a preview or a clean, one section per target.
#pragma once

#include "catalogue/Catalogue.h"
#include "clean/ReportSummary.h"

#include <string>

enum class ReportMode { Preview, Clean };

// The section of one target: its label and name, then what went (or would
// go), what stays by rule and what could not go, with the reason.
std::wstring TargetText(const Trace& trace, const TargetSummary& summary, ReportMode mode);
