// One target's preview or clean, noted in a report: the cleaner operations
// the window runs, with visitors that note (and, for a clean, act).
#pragma once

#include "clean/CleanReport.h"
#include "clean/CleanTarget.h"

// Changes nothing: notes what a clean of `target` would do.
void RunPreview(CleanTarget target, CleanReport& report);

// Cleans `target` as the window does and notes what went and what could not.
void RunClean(CleanTarget target, CleanReport& report);
