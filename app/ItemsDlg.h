// The items of one trace of a preview, one row each (kind, path, size and a
// note: why it stays, why it cannot go), in the order a clean meets them. The
// list holds no texts: it asks for each row as it shows it, so a trace of
// tens of thousands of files opens at once.
#pragma once

#include "app/ResizableDlg.h"
#include "catalogue/Catalogue.h"
#include "clean/CleanReport.h"

class ItemsDlg : public ResizableDlg {
public:
    ItemsDlg(CWnd* pParent, const Trace& trace, const CleanReport& report);
    ~ItemsDlg() override = default;

    BOOL OnInitDialog() override;

protected:
    LRESULT OnNotify(WPARAM id, LPARAM header);
    LRESULT OnNotifyFormat(WPARAM from, LPARAM command);

private:
    std::wstring CellText(int row, int column) const;

    const Trace& m_trace;
    const CleanReport& m_report;

    DECLARE_MESSAGE_MAP()
};
