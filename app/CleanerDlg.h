// The program's main window: the eight cleaning targets as check boxes,
// "Clean" and "Exit", the sponsor notice and the web-browser pane, under the
// menu bar; it also owns the notification-area icon through its base.
#pragma once

#include "adpane/CWndBrowser.h"
#include "app/CNotifyIconDlg.h"
#include "catalogue/CleanTarget.h"
#include "catalogue/TraceSet.h"
#include "platform/Handles.h"

#include <string>

class CleanProgress;

class CleanerDlg : public CNotifyIconDlg {
public:
    explicit CleanerDlg(CWnd* pParent = nullptr);
    ~CleanerDlg() override = default;

    BOOL OnInitDialog() override;

    // The confirmed clean run of the checked targets (the "Clean" button, and
    // the shutdown query when that option is set).
    void OnClean();
    // Stores the check boxes as they are on screen as the default selection.
    void SaveSelection();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // The exit path: saves the selection when that option is set, then ends.
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnOptions();
    void OnMoreTraces();
    void OnHelpTopics();
    void OnAbout();
    BOOL OnQueryEndSession();
    // An installer's request to end (QUENBY_CLOSE_MESSAGE): the program ends
    // as through the notification-area "Exit", without the exit path's save.
    LRESULT OnCloseRequest(WPARAM wParam, LPARAM lParam);

    // The window's large icon (also drawn when minimised and dragged), at the
    // system's size; it outlives the window, as does the small one of the base.
    platform::UniqueIcon m_hIcon;
    int m_targetChecked[CleanTargetCount];
    int m_cleanAtShutdown;
    int m_saveAtExit;
    CWndBrowser m_browserPane;

private:
    void AppendAboutItem();
    void RestoreSelection();
    // The eight as their boxes show them now.
    TraceSet BoxesOnScreen();
    // The chosen more traces, after the eight: on this thread at shutdown,
    // else on a worker while the window goes on painting.
    std::string CleanChosenMoreTraces();
    // The completion text: "Clean finish.\t\t", then the more traces that
    // did not go, one a line.
    static std::string FinishedText(const std::string& notGone);

    // Set while the shutdown query runs the clean: a browser that still runs
    // then is skipped without a word.
    bool m_sessionEnding = false;
    // Set while the more traces of a clean run on their worker.
    CleanProgress* m_runningClean = nullptr;

    DECLARE_MESSAGE_MAP()
};
