// The more traces the window cleans after the eight: the ones chosen in
// "Settings > More traces...", read from the settings when needed and cleaned
// with the console program's engine code, each target noted in a report of
// its own so that the window can say what did not go.
#pragma once

#include "clean/Targets.h"

#include <string>

// The more traces stored under "MoreTraces" now; a name that is no more
// trace is left out.
TargetSet ChosenMoreTraces();

// Cleans the more traces of `selection` in the table's order. Answers one
// line per target that did not go, with the first reason and how many more
// items did not go ("Firefox: history - Firefox is running (...): close it and
// clean again"), each line ended by a line feed, in the ANSI code page.
// `inUseIsNormal`: what another program holds open (a running browser's
// profile) is left without a line, as at shutdown.
std::string CleanMoreTraces(const TargetSet& selection, bool inUseIsNormal);
