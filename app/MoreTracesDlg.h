// "Settings > More traces...": the chooser. A tree of the programs found on
// this PC, each with its traces, every item with a check box (a program's is
// checked, clear or mixed as its traces are); "Show programs that are not
// installed" adds the others, greyed, and their stored choice stays; it also
// adds the entries not found of a category of the cleaning definitions,
// which shows only its found ones until then. A pane
// describes the selected item: what goes, what stays, what the user loses.
// Checking a trace with a warning asks once. "Preview" previews what is
// checked here and the eight checked in the main window. "OK" stores the
// choice in "MoreTraces" at once, keeping the stored names Quenby does not
// know; "Cancel" writes nothing. "Sites to keep signed in..." edits the sites
// a cookie clean keeps signed in.
#pragma once

#include "app/CheckTree.h"
#include "app/ResizableDlg.h"
#include "app/TraceChoice.h"

#include <memory>
#include <vector>

class MoreTracesDlg : public ResizableDlg {
public:
    // `windowTraces`: the eight checked in the main window.
    MoreTracesDlg(CWnd* pParent, const TraceSet& windowTraces);
    ~MoreTracesDlg() override = default;

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    void OnShowAll();
    void OnPreview();
    void OnKeepSites();
    LRESULT OnNotify(WPARAM id, LPARAM header);

private:
    // The programs found, or those not found, that the tree does not show yet.
    void AddPrograms(bool found);
    void AddProgram(size_t program);
    // The program's traces that should show and do not yet.
    void AddTraces(size_t program);
    bool ShowsTrace(size_t program, size_t trace) const;
    void RemoveMissingPrograms();
    void RemoveMissingTraces();
    void ShowChecks(size_t program);
    void OnToggle(HTREEITEM item);
    bool ConfirmWarnings(const std::vector<size_t>& traces);
    void Describe(HTREEITEM item);
    std::wstring ProgramText(size_t program) const;
    std::wstring TraceText(size_t trace) const;
    const std::vector<size_t>& TracesOf(LPARAM data, std::vector<size_t>& one) const;

    const Catalogue& m_catalogue = Catalogue::BuiltIn();
    TraceSet m_windowTraces;
    std::unique_ptr<TraceChoice> m_choice;
    CheckTree m_tree;
    // The tree's items, per program and per trace; null while not shown.
    std::vector<HTREEITEM> m_programItems;
    std::vector<HTREEITEM> m_traceItems;
    bool m_showAll = false;

    DECLARE_MESSAGE_MAP()
};
