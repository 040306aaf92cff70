// The program's entry point. Compiled into the executable only, so that test
// programs can bring their own.
#include "framework/CWinApp.h"

namespace {

// Exit code of a run that ended with an exception nobody handled.
constexpr int kUncaughtExceptionExitCode = -1;

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    try {
        return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
    } catch (...) {
        return kUncaughtExceptionExitCode;
    }
}
