// Start-up times of dialog programs, run by scripts/run-benchmarks.sh on
// Wine's virtual desktop:
//
//   bench_startup RESULT_FILE ROUNDS LABEL EXE TITLE [LABEL EXE TITLE]...
//
// Each round starts every program in turn and takes, from CreateProcess, the
// time its visible top-level dialog titled TITLE first exists ("shown"), the
// time it first waits for input ("idle", WaitForInputIdle) and the later of
// the two ("ready": the user can work with the window); then the time from
// posting the command IDCANCEL to that dialog to the end of the process
// ("close"). Round 0 warms the caches and is marked as such. One line per run
// goes to RESULT_FILE and to the output:
//
//   LABEL ROUND READY_MS SHOWN_MS IDLE_MS CLOSE_MS    or    LABEL ROUND failed
//
// A program that marks its steps (StepsEntry.cpp) is told where to write
// them; each of its marks follows as a line of its own, timed from
// CreateProcess (start) or from the posting of IDCANCEL (exit):
//
//   mark LABEL ROUND start|exit STEP_NAME MS
#include "platform/Handles.h"
#include "tests/bench/Stopwatch.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char DialogClass[] = "#32770";
const DWORD StartTimeoutMs = 30000;
const DWORD ExitTimeoutMs = 30000;
const DWORD PollIntervalMs = 1;
const UINT FailedExitCode = 0xBE7C;
const char StepsVariable[] = "QUENBY_BENCH_STEPS";
const char StepsFileName[] = "bench-steps.txt";
// Where programs that mark their steps write them: the timer's current
// folder, named in full, since each program runs in its own.
std::string g_stepsFile;

const int FirstArgument = 3;
const int ArgumentsPerProgram = 3;
const int ExitOk = 0;
const int ExitFailed = 1;
const int ExitUsage = 2;

struct Program {
    std::string label;
    std::string exe;
    std::string title;
};

struct StepMark {
    bool exit;
    std::string step;
    double ms;
};

struct Timing {
    bool ok = false;
    std::vector<StepMark> marks;
    double shownMs = -1;
    double idleMs = -1;
    double closeMs = 0;
    double ReadyMs() const { return shownMs > idleMs ? shownMs : idleMs; }
};

LONGLONG Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToMs(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(ticks) * 1000.0 / double(frequency.QuadPart);
}

// The marks the program left, timed from its start or from the IDCANCEL.
std::vector<StepMark> ReadMarks(LONGLONG started, LONGLONG posted) {
    std::vector<StepMark> marks;
    std::ifstream file(g_stepsFile);
    LONGLONG ticks = 0;
    std::string step;
    while (file >> ticks && std::getline(file, step)) {
        const bool exit = ticks >= posted;
        for (char& c : step)
            c = c == ' ' ? '_' : c;
        marks.push_back({exit, step.substr(1), TicksToMs(ticks - (exit ? posted : started))});
    }
    return marks;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The visible dialog titled `title` that process `processId` owns, or null.
HWND FindDialog(DWORD processId, const std::string& title) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, DialogClass, title.c_str())) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// Polls for the dialog and for the first wait for input together, so that
// either may come first; the dialog, or null when it did not come in time.
HWND WaitUntilReady(HANDLE process, DWORD processId, const std::string& title,
                    const Stopwatch& stopwatch, Timing& timing) {
    HWND dialog = nullptr;
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < StartTimeoutMs) {
        if (!dialog && (dialog = FindDialog(processId, title)) != nullptr)
            timing.shownMs = stopwatch.ElapsedMs();
        // WAIT_FAILED: a process without a message queue never becomes idle.
        if (timing.idleMs < 0 && WaitForInputIdle(process, 0) != WAIT_TIMEOUT)
            timing.idleMs = stopwatch.ElapsedMs();
        if (dialog && timing.idleMs >= 0)
            return dialog;
        if (WaitForSingleObject(process, PollIntervalMs) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

Timing TimeOnce(const Program& program) {
    Timing timing;
    std::string commandLine = "\"" + program.exe + "\"";
    const std::string folder = FolderOf(program.exe);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    DeleteFileA(g_stepsFile.c_str());
    const LONGLONG started = Ticks();
    Stopwatch stopwatch;
    if (!CreateProcessA(program.exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return timing;
    platform::UniqueHandle thread(info.hThread);
    platform::UniqueHandle process(info.hProcess);
    const HWND dialog =
        WaitUntilReady(process.get(), info.dwProcessId, program.title, stopwatch, timing);
    if (!dialog) {
        TerminateProcess(process.get(), FailedExitCode);
        WaitForSingleObject(process.get(), ExitTimeoutMs);
        return timing;
    }
    stopwatch.Restart();
    const LONGLONG posted = Ticks();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    timing.ok = WaitForSingleObject(process.get(), ExitTimeoutMs) == WAIT_OBJECT_0;
    timing.closeMs = stopwatch.ElapsedMs();
    if (!timing.ok)
        TerminateProcess(process.get(), FailedExitCode);
    timing.marks = ReadMarks(started, posted);
    return timing;
}

void Report(FILE* results, const Program& program, int round, const Timing& timing) {
    char line[256];
    if (timing.ok)
        std::snprintf(line, sizeof line, "%s %d %.3f %.3f %.3f %.3f\n", program.label.c_str(),
                      round, timing.ReadyMs(), timing.shownMs, timing.idleMs, timing.closeMs);
    else
        std::snprintf(line, sizeof line, "%s %d failed\n", program.label.c_str(), round);
    std::ostringstream marks;
    for (const StepMark& mark : timing.marks)
        marks << "mark " << program.label << ' ' << round << ' ' << (mark.exit ? "exit " : "start ")
              << mark.step << ' ' << mark.ms << '\n';
    const std::string text = line + marks.str();
    std::fputs(text.c_str(), results);
    std::fflush(results);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < FirstArgument + ArgumentsPerProgram ||
        (argc - FirstArgument) % ArgumentsPerProgram != 0 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: bench_startup RESULT_FILE ROUNDS LABEL EXE TITLE...\n");
        return ExitUsage;
    }
    FILE* results = std::fopen(argv[1], "w");
    if (!results)
        return ExitFailed;
    char stepsFile[MAX_PATH];
    if (!GetFullPathNameA(StepsFileName, MAX_PATH, stepsFile, nullptr))
        return ExitFailed;
    g_stepsFile = stepsFile;
    SetEnvironmentVariableA(StepsVariable, stepsFile);
    const int rounds = std::atoi(argv[2]);
    std::vector<Program> programs;
    for (int i = FirstArgument; i < argc; i += ArgumentsPerProgram)
        programs.push_back({argv[i], argv[i + 1], argv[i + 2]});
    bool allOk = true;
    // Round 0 is the warm-up; the programs take turns so that drift in the
    // machine's load reaches all of them alike.
    for (int round = 0; round <= rounds; ++round) {
        for (const Program& program : programs) {
            const Timing timing = TimeOnce(program);
            Report(results, program, round, timing);
            allOk = allOk && timing.ok;
        }
    }
    std::fclose(results);
    return allOk ? ExitOk : ExitFailed;
}
