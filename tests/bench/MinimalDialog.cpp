// The smallest dialog program: the start-up time of a process that shows a
// modal dialog and nothing else, against which Quenby's start-up is measured.
// It ends on the command IDCANCEL, as Quenby does.
#include "tests/bench/MinimalDialogIds.h"

#include <windows.h>

namespace {

INT_PTR CALLBACK MinimalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return int(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BENCH_MINIMAL), nullptr,
                               MinimalDialogProc, 0));
}
