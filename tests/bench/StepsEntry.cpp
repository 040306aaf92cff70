// The start-up benchmark's build of Quenby: the program itself (application
// object, dialogs, resources) with an entry point that records when each step
// of start-up and exit ends (framework/StepMarks.h). As the process ends it
// writes the marks, one a line, to the file that QUENBY_BENCH_STEPS names:
//
//   QPC_TICKS STEP
//
// "DLLs loaded" is the first: the entry point is reached, the DLLs and the
// runtime are ready. The last, "dialog released", follows the release of the
// dialog object (the web pane and OLE with it).
#include "framework/CWinApp.h"
#include "framework/StepMarks.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

const char StepsVariable[] = "QUENBY_BENCH_STEPS";
const int MostMarks = 32;

struct Mark {
    LONGLONG ticks;
    const char* step;
};
Mark g_marks[MostMarks];
int g_count = 0;

void Record(const char* step) {
    if (g_count == MostMarks)
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_marks[g_count++] = {now.QuadPart, step};
}

void WriteMarks() {
    const char* path = std::getenv(StepsVariable);
    FILE* file = path ? std::fopen(path, "w") : nullptr;
    if (!file)
        return;
    for (int i = 0; i < g_count; ++i)
        std::fprintf(file, "%lld %s\n", g_marks[i].ticks, g_marks[i].step);
    std::fclose(file);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    Record("DLLs loaded");
    framework::seam::MarkStep = &Record;
    const int result = AfxWinMain(instance, previous, commandLine, show);
    Record("dialog released");
    WriteMarks();
    return result;
}
