// Marks between the steps of the program's start-up and exit, so that the
// start-up benchmark can tell how long each step takes: it builds the program
// with a recorder in the seam, which notes when each mark is passed. The
// shipped program records nothing; a mark then costs the test of a pointer.
#pragma once

namespace framework::seam {

extern void (*MarkStep)(const char* step);

} // namespace framework::seam

// `step` names the step that has just ended.
inline void AfxMarkStep(const char* step) {
    if (framework::seam::MarkStep)
        framework::seam::MarkStep(step);
}
