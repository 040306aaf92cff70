// How long Quenby's windows take to open, and how long its window's thread
// stays away from its messages while a preview runs; run by
// scripts/run-benchmarks.sh on Wine's virtual desktop:
//
//   bench_chooser RESULT_FILE ROUNDS PREVIEW_ROUNDS QUENBY_EXE
//
// It starts Quenby once. Each round opens "Options..." and "More traces..."
// (in turns, the order swapped every round) from their menu commands and
// takes the time from the posting of the command until the window is shown
// and its thread, back in its loop, answers a message; then closes it. Round
// 0 warms the caches and is marked as such. Each preview round opens "More
// traces...", presses "Preview" and, until the preview has ended, sends the
// preview window a message after another: the longest wait for an answer is
// the longest time the window's thread did not look at its messages (its
// scheduling on a busy machine included). One line per figure goes to
// RESULT_FILE and to the output:
//
//   options ROUND MS | chooser ROUND MS | preview ROUND TOTAL_MS LONGEST_WAIT_MS ANSWERS
#include "platform/Handles.h"
#include "res/resource.h"
#include "tests/bench/Stopwatch.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char DialogClass[] = "#32770";
const char MainTitle[] = "Marlowick Quenby - Privacy cleaner";
const char OptionsTitle[] = "Option";
const char ChooserTitle[] = "More traces";
const char PreviewTitle[] = "Preview";
// The preview's "Cancel" says this once the preview has ended.
const char EndedText[] = "&Close";
const DWORD TimeoutMs = 60000;
const UINT FailedExitCode = 0xBE7C;
const int ExitOk = 0;
const int ExitFailed = 1;
const int ExitUsage = 2;
const int Arguments = 5;

DWORD g_process = 0;

// The visible dialog titled `title` of Quenby's process, or null.
HWND FindDialog(const char* title) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, DialogClass, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == g_process && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

template <typename Done> bool PollUntil(Done done) {
    const DWORD started = GetTickCount();
    while (!done()) {
        if (GetTickCount() - started > TimeoutMs)
            return false;
        Sleep(0);
    }
    return true;
}

bool Answers(HWND window, DWORD timeoutMs = TimeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

// Posts the command and waits until the window is shown and answers; its
// window, or null.
HWND Open(HWND main, UINT command, const char* title, double& ms) {
    Stopwatch stopwatch;
    PostMessageA(main, WM_COMMAND, command, 0);
    HWND window = nullptr;
    if (!PollUntil([&] { return (window = FindDialog(title)) != nullptr; }) || !Answers(window))
        return nullptr;
    ms = stopwatch.ElapsedMs();
    return window;
}

bool Close(HWND window, const char* title) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return PollUntil([&] { return FindDialog(title) == nullptr; });
}

void Report(FILE* results, const char* line) {
    std::fputs(line, results);
    std::fflush(results);
    std::fputs(line, stdout);
    std::fflush(stdout);
}

bool TimeOpening(FILE* results, HWND main, int round) {
    struct Kind {
        const char* label;
        UINT command;
        const char* title;
    };
    const Kind kinds[] = {{"options", ID_SETTINGS_OPTIONS, OptionsTitle},
                          {"chooser", ID_SETTINGS_MORE_TRACES, ChooserTitle}};
    for (int turn = 0; turn < 2; ++turn) {
        const Kind& kind = kinds[(turn + round) % 2];
        double ms = 0;
        HWND window = Open(main, kind.command, kind.title, ms);
        if (!window || !Close(window, kind.title))
            return false;
        char line[128];
        std::snprintf(line, sizeof line, "%s %d %.3f\n", kind.label, round, ms);
        Report(results, line);
    }
    return true;
}

bool PreviewEnded(HWND preview) {
    char text[32] = {};
    GetDlgItemTextA(preview, IDCANCEL, text, sizeof text);
    return std::string(text) == EndedText;
}

bool TimePreview(FILE* results, HWND main, int round) {
    double ms = 0;
    HWND chooser = Open(main, ID_SETTINGS_MORE_TRACES, ChooserTitle, ms);
    if (!chooser)
        return false;
    Stopwatch total;
    PostMessageA(GetDlgItem(chooser, IDC_CHOOSER_PREVIEW), BM_CLICK, 0, 0);
    HWND preview = nullptr;
    if (!PollUntil([&] { return (preview = FindDialog(PreviewTitle)) != nullptr; }))
        return false;
    double longest = 0;
    long answers = 0;
    while (!PreviewEnded(preview)) {
        Stopwatch wait;
        if (!Answers(preview) || total.ElapsedMs() > TimeoutMs)
            return false;
        longest = std::max(longest, wait.ElapsedMs());
        ++answers;
    }
    char line[128];
    std::snprintf(line, sizeof line, "preview %d %.3f %.3f %ld\n", round, total.ElapsedMs(),
                  longest, answers);
    Report(results, line);
    return Close(preview, PreviewTitle) && Close(chooser, ChooserTitle);
}

bool Run(FILE* results, int rounds, int previewRounds, HWND main) {
    for (int round = 0; round <= rounds; ++round) {
        if (!TimeOpening(results, main, round))
            return false;
    }
    for (int round = 1; round <= previewRounds; ++round) {
        if (!TimePreview(results, main, round))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != Arguments || std::atoi(argv[2]) < 1 || std::atoi(argv[3]) < 1) {
        std::fprintf(stderr, "usage: bench_chooser RESULT_FILE ROUNDS PREVIEW_ROUNDS EXE\n");
        return ExitUsage;
    }
    FILE* results = std::fopen(argv[1], "w");
    if (!results)
        return ExitFailed;
    std::string commandLine = std::string("\"") + argv[4] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(argv[4], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return ExitFailed;
    platform::UniqueHandle thread(info.hThread);
    platform::UniqueHandle process(info.hProcess);
    g_process = info.dwProcessId;
    HWND main = nullptr;
    bool ok = PollUntil([&] { return (main = FindDialog(MainTitle)) != nullptr; }) &&
              Answers(main) &&
              Run(results, std::atoi(argv[2]), std::atoi(argv[3]), main);
    if (main)
        PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(process.get(), TimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), FailedExitCode);
        ok = false;
    }
    std::fclose(results);
    return ok ? ExitOk : ExitFailed;
}
