// The chooser's preview: runs PreviewTraces on a worker thread while the
// window goes on answering, names the trace at work and how far the run has
// got, and adds a row per trace as it finishes (trace, items, size,
// problems). "Cancel" stops the run before its next trace; the rows so far
// stay. "Items..." (Enter, or a double click on a row) lists the row's items.
// Nothing is changed.
#pragma once

#include "app/ResizableDlg.h"
#include "app/TraceWorker.h"

#include <memory>
#include <vector>

class PreviewDlg : public ResizableDlg {
public:
    PreviewDlg(CWnd* pParent, const TraceSet& selection);
    ~PreviewDlg() override = default;

    BOOL OnInitDialog() override;

protected:
    // Enter: the items of the selected row.
    void OnOK() override;
    // Stops a run; closes once it has ended.
    void OnCancel() override;
    void OnItems();
    LRESULT OnWorker(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM id, LPARAM header);
    void OnTimer(UINT_PTR id);

private:
    void TakeEvents();
    void OnStarted(const TraceEvent& event);
    void OnFinished(TraceEvent& event);
    void OnEnded(bool completed);
    void ShowWorking();
    void ShowItems(int row);

    TraceSet m_selection;
    std::unique_ptr<TraceWorker> m_worker;
    bool m_running = false;
    bool m_cancelling = false;
    size_t m_atWork = 0;
    size_t m_position = 0;
    size_t m_count = 0;
    // Per row: its trace and its report.
    std::vector<size_t> m_rowTraces;
    std::vector<std::unique_ptr<CleanReport>> m_reports;

    DECLARE_MESSAGE_MAP()
};
