// How long Quenby's windows take to open, and how long its window's thread
// stays away from its messages while a preview runs; run by
// scripts/run-benchmarks.sh on Wine's virtual desktop:
//
//   bench_chooser RESULT_FILE ROUNDS PREVIEW_ROUNDS QUENBY_EXE IDLE_EXE IDLE_TITLE
//
// It starts Quenby once. Each round opens "Options..." and "More traces..."
// (in turns, the order swapped every round) from their menu commands and
// takes the time from the posting of the command until the window is shown
// and its thread, back in its loop, answers a message; then closes it. Round
// 0 warms the caches and is marked as such. Each preview round opens "More
// traces...", presses "Preview" and, until the preview has ended, sends the
// preview window a message after another, each followed by one to the dialog
// of an idle program (IDLE_EXE, started too): the longest wait for an answer
// from the preview is the longest time its thread did not look at its
// messages, the scheduling of a busy machine included; the idle program's
// longest wait is that scheduling alone (PREVIEW_ROUNDS may be 0: the openings
// alone). One line per figure goes to
// RESULT_FILE and to the output:
//
//   options ROUND MS | chooser ROUND MS
//   preview ROUND TOTAL_MS LONGEST_WAIT_MS IDLE_LONGEST_WAIT_MS ANSWERS
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
const int Arguments = 7;

DWORD g_process = 0;

// The visible dialog titled `title` of the process, or null.
HWND FindDialogOf(DWORD process, const char* title) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, DialogClass, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

HWND FindDialog(const char* title) {
    return FindDialogOf(g_process, title);
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

// Milliseconds until the window answers; negative when it did not.
double WaitForAnswer(HWND window) {
    Stopwatch wait;
    return Answers(window) ? wait.ElapsedMs() : -1;
}

bool TimePreview(FILE* results, HWND main, HWND idle, int round) {
    double ms = 0;
    HWND chooser = Open(main, ID_SETTINGS_MORE_TRACES, ChooserTitle, ms);
    if (!chooser)
        return false;
    Stopwatch total;
    PostMessageA(GetDlgItem(chooser, IDC_CHOOSER_PREVIEW), BM_CLICK, 0, 0);
    HWND preview = nullptr;
    if (!PollUntil([&] { return (preview = FindDialog(PreviewTitle)) != nullptr; }))
        return false;
    double longest = 0, idleLongest = 0;
    long answers = 0;
    while (!PreviewEnded(preview)) {
        const double ours = WaitForAnswer(preview), theirs = WaitForAnswer(idle);
        if (ours < 0 || theirs < 0 || total.ElapsedMs() > TimeoutMs)
            return false;
        longest = std::max(longest, ours);
        idleLongest = std::max(idleLongest, theirs);
        ++answers;
    }
    char line[128];
    std::snprintf(line, sizeof line, "preview %d %.3f %.3f %.3f %ld\n", round, total.ElapsedMs(),
                  longest, idleLongest, answers);
    Report(results, line);
    return Close(preview, PreviewTitle) && Close(chooser, ChooserTitle);
}

bool Run(FILE* results, int rounds, int previewRounds, HWND main, HWND idle) {
    for (int round = 0; round <= rounds; ++round) {
        if (!TimeOpening(results, main, round))
            return false;
    }
    for (int round = 1; round <= previewRounds; ++round) {
        if (!TimePreview(results, main, idle, round))
            return false;
    }
    return true;
}

// A started program, ended when it goes.
class Started {
public:
    explicit Started(const char* exe) {
        std::string commandLine = std::string("\"") + exe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info))
            return;
        m_thread.reset(info.hThread);
        m_process.reset(info.hProcess);
        m_id = info.dwProcessId;
    }
    ~Started() {
        if (m_process && WaitForSingleObject(m_process.get(), 0) != WAIT_OBJECT_0)
            TerminateProcess(m_process.get(), FailedExitCode);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    DWORD Id() const { return m_id; }
    // Its dialog titled `title` once it is shown and answers; null when not.
    HWND Window(const char* title) const {
        HWND window = nullptr;
        const bool up =
            m_process &&
            PollUntil([&] { return (window = FindDialogOf(m_id, title)) != nullptr; }) &&
            Answers(window);
        return up ? window : nullptr;
    }
    // Ends it with IDCANCEL to its window; true when it ended in time.
    bool End(HWND window) const {
        if (window)
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return m_process && WaitForSingleObject(m_process.get(), TimeoutMs) == WAIT_OBJECT_0;
    }

private:
    platform::UniqueHandle m_thread;
    platform::UniqueHandle m_process;
    DWORD m_id = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != Arguments || std::atoi(argv[2]) < 1 || std::atoi(argv[3]) < 0) {
        std::fprintf(stderr, "usage: bench_chooser RESULT_FILE ROUNDS PREVIEW_ROUNDS EXE "
                             "IDLE_EXE IDLE_TITLE\n");
        return ExitUsage;
    }
    FILE* results = std::fopen(argv[1], "w");
    if (!results)
        return ExitFailed;
    const Started quenby(argv[4]), idle(argv[5]);
    g_process = quenby.Id();
    const HWND main = quenby.Window(MainTitle), idleWindow = idle.Window(argv[6]);
    bool ok = main && idleWindow &&
              Run(results, std::atoi(argv[2]), std::atoi(argv[3]), main, idleWindow);
    ok = quenby.End(main) && idle.End(idleWindow) && ok;
    std::fclose(results);
    return ok ? ExitOk : ExitFailed;
}
