// "Settings > More traces...": chooses the traces beside the eight, grouped
// by browser, one check box per target with what it removes and what stays.
// "OK" stores the choice in "MoreTraces" at once, keeping the stored names
// Quenby does not know; "Cancel" writes nothing. The boxes of a browser not
// found on this PC are disabled, and its group says "(not installed)".
// "Sites to keep..." edits the sites a cookie clean keeps signed in.
#pragma once

#include "framework/CDialog.h"

class MoreTracesDlg : public CDialog {
public:
    explicit MoreTracesDlg(CWnd* pParent = nullptr);
    ~MoreTracesDlg() override = default;

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;

private:
    void DisableMissingBrowsers();
    void OnKeepSites();

    DECLARE_MESSAGE_MAP()
};
