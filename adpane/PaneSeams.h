// Test seam for the pane's refresh timer: the period that the pane asks of
// Windows cannot be read back from the system, and the real periods (up to an
// hour) are far too long to wait for. A test puts a recorder in the pointer
// with platform::seam::ScopedOverride and still forwards to the real call.
//
// The pane calls `adpane::seam::SetTimer(m_hWnd, id, period, nullptr)`,
// which starts out as the real function. KillTimer needs no seam: whether a
// timer exists can be asked of Windows by killing it.
//
// `adpane::seam::SafeArrayCreate` builds the post data: a test makes it fail
// to see a navigation whose arguments cannot be built. No request of a given
// size fails in every build (a 64-bit process is granted 4 GiB).
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace adpane::seam {

extern UINT_PTR(WINAPI* SetTimer)(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse,
                                  TIMERPROC lpTimerFunc);
extern SAFEARRAY*(WINAPI* SafeArrayCreate)(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);

} // namespace adpane::seam
