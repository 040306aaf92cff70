#include "adpane/PaneSeams.h"

namespace adpane::seam {

UINT_PTR(WINAPI* SetTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = &::SetTimer;

} // namespace adpane::seam
