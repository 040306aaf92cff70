#include "app/CleanProgress.h"

#include "app/MoreTracesClean.h"
#include "app/UiText.h"
#include "framework/CWinApp.h"
#include "res/resource.h"
#include "platform/TextConversion.h"

#include <commctrl.h>

namespace {

// A clean this quick shows no window of its own.
constexpr ULONGLONG kShowAfterMs = 500;
// How often the loop looks at the run when no message comes.
constexpr DWORD kLookMs = 50;

void DestroyWindowHandle(HWND window) {
    DestroyWindow(window);
}
using UniqueWindow = platform::UniqueAny<platform::detail::NullTraits<HWND, DestroyWindowHandle>>;

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// Over the middle of its owner.
void CentreOn(HWND window, HWND owner) {
    RECT outer = {}, inner = {};
    GetWindowRect(owner, &outer);
    GetWindowRect(window, &inner);
    const LONG x = (outer.left + outer.right - (inner.right - inner.left)) / 2;
    const LONG y = (outer.top + outer.bottom - (inner.bottom - inner.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

std::string CleanProgress::Run(const TraceSet& selection) {
    KeepSavedSites();
    TraceWorker worker(nullptr, 0);
    if (!worker.Start(CleanTraces, selection))
        return CleanMoreTraces(selection, false);
    m_worker = &worker;
    HWND focus = GetFocus();
    EnableWindow(m_owner, FALSE);
    UniqueWindow progress;
    const ULONGLONG started = GetTickCount64();
    for (;;) {
        // Asked first: once the thread has ended, everything it said is waiting.
        const bool ended = WaitForSingleObject(worker.Thread(), 0) == WAIT_OBJECT_0;
        for (TraceEvent& event : worker.Take())
            Note(event);
        if (ended)
            break;
        if (!progress && GetTickCount64() - started >= kShowAfterMs) {
            progress.reset(CreateDialogParamA(AfxGetResourceHandle(),
                                              MAKEINTRESOURCEA(IDD_CLEAN_PROGRESS), m_owner,
                                              &ProgressProc, 0));
            m_window = progress.get();
            if (m_window)
                CentreOn(m_window, m_owner);
            ShowProgress();
        }
        HANDLE thread = worker.Thread();
        MsgWaitForMultipleObjects(1, &thread, FALSE, kLookMs, QS_ALLINPUT);
        Pump();
    }
    // The owner first, so that it and no other program's window is active
    // once the progress window goes.
    EnableWindow(m_owner, TRUE);
    progress.reset();
    m_window = nullptr;
    m_worker = nullptr;
    if (focus && IsWindow(focus))
        SetFocus(focus);
    if (m_quit)
        PostQuitMessage(static_cast<int>(m_quitCode));
    return platform::ToAnsi(m_lines);
}

void CleanProgress::WaitForEnd() {
    if (m_worker)
        WaitForSingleObject(m_worker->Thread(), INFINITE);
}

// Every message but a quit request, which is kept for after the clean.
void CleanProgress::Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quit = true;
            m_quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CleanProgress::Note(TraceEvent& event) {
    const Catalogue& catalogue = Catalogue::BuiltIn();
    if (event.kind == TraceEvent::Started) {
        m_count = event.count;
        m_atWork = event.trace;
        m_position = event.position;
        ShowProgress();
    } else if (event.kind == TraceEvent::Finished) {
        m_lines += NotGoneLine(catalogue.Traces()[event.trace], *event.report, false);
    }
}

void CleanProgress::ShowProgress() {
    if (!m_window || m_count == 0)
        return;
    const std::wstring& label = Catalogue::BuiltIn().Traces()[m_atWork].label;
    SetItemText(m_window, IDC_CLEAN_PROGRESS_TEXT,
                LoadText(IDS_CLEAN_PROGRESS,
                         {label, std::to_wstring(m_position + 1), std::to_wstring(m_count)}));
    SendDlgItemMessageA(m_window, IDC_CLEAN_PROGRESS_BAR, PBM_SETRANGE32, 0,
                        static_cast<LPARAM>(m_count));
    SendDlgItemMessageA(m_window, IDC_CLEAN_PROGRESS_BAR, PBM_SETPOS, m_position, 0);
    ShowWindow(m_window, SW_SHOW);
    UpdateWindow(m_window);
}
