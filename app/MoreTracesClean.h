// The more traces the window cleans after the eight: the ones chosen in
// "Settings > More traces...", read from the settings when needed and cleaned
// with the console program's engine code, each trace noted in a report of
// its own so that the window can say what did not go.
#pragma once

#include "catalogue/TraceSet.h"

#include <string>

// The more traces stored under "MoreTraces" now; a name that is no more
// trace is left out.
TraceSet ChosenMoreTraces();

// Cleans the more traces of `selection` in the catalogue's order. Answers one
// line per trace that did not go, with the first reason and how many more
// items did not go ("Firefox: history - Firefox is running (...): close it and
// clean again"), each line ended by a line feed, in the ANSI code page.
// `inUseIsNormal`: what another program holds open (a running browser's
// profile) is left without a line, as at shutdown.
std::string CleanMoreTraces(const TraceSet& selection, bool inUseIsNormal);
