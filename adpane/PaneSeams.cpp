#include "adpane/PaneSeams.h"

namespace adpane::seam {

UINT_PTR(WINAPI* SetTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = &::SetTimer;
SAFEARRAY*(WINAPI* SafeArrayCreate)(VARTYPE, UINT, SAFEARRAYBOUND*) = &::SafeArrayCreate;

} // namespace adpane::seam
