#include "framework/StepMarks.h"

namespace framework::seam {

void (*MarkStep)(const char* step) = nullptr;

} // namespace framework::seam
