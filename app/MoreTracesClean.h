// The more traces the window cleans after the eight: the ones chosen in
// "Settings > More traces...", read from the settings when needed and cleaned
// with the console program's engine code, each trace noted in a report of
// its own so that the window can say what did not go.
#pragma once

#include "catalogue/TraceSet.h"
#include "clean/CleanReport.h"

#include <string>

// The more traces stored under "MoreTraces" now; a name that is no more
// trace is left out.
TraceSet ChosenMoreTraces();

// Hands the sites kept signed in ("KeepSites") to the cookie cleaners, for
// the previews and cleans that follow.
void KeepSavedSites();

// The line of a trace that did not go, with the first reason and how many
// more items did not go ("Firefox: history - Firefox is running (...): close
// it and clean again"), ended by a line feed; empty when it went.
// `inUseIsNormal`: what another program holds open (a running browser's
// profile) gets no line, as at shutdown.
std::wstring NotGoneLine(const Trace& trace, const CleanReport& report, bool inUseIsNormal);

// Cleans the more traces of `selection` in the catalogue's order, on this
// thread, and answers their not-gone lines in the ANSI code page.
std::string CleanMoreTraces(const TraceSet& selection, bool inUseIsNormal);
