// Counts the calls that the benchmark's process makes to the platform's file
// functions, by name, for the calls-per-file figures of the folder walk:
// the imports of this executable (the cleaner's code is linked into it) are
// pointed at counters that pass each call on, and so are the file seams of
// platform/Seams.h, which hold the functions' addresses themselves.
#pragma once

#include <cstdio>

namespace callcount {

// Starts counting; call once, before the calls to count.
void Install();
// Writes "NAME COUNT" for each function called, one a line.
void Print(std::FILE* out);

} // namespace callcount
