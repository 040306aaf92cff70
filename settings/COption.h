// The options dialog: three check boxes showing the bits of "Option". "OK"
// stores them and adds or removes the start-with-Windows entry when that
// option changed (when it stays on, an entry an earlier version wrote without
// quotes is rewritten with them); "Cancel" writes nothing.
#pragma once

#include "framework/CDialog.h"

class COption : public CDialog {
    DECLARE_DYNAMIC(COption)

public:
    explicit COption(CWnd* pParent = nullptr);
    ~COption() override = default;

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;

    // The auto-run bit (0 or OptionAutoRun) as stored when the dialog opened.
    int m_initialAutoRun;

    DECLARE_MESSAGE_MAP()
};
