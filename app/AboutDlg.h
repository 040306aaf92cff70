// The about box: the program icon, name and version, and "OK".
#pragma once

#include "framework/CDialog.h"

class AboutDlg : public CDialog {
public:
    AboutDlg();
    ~AboutDlg() override = default;

    DECLARE_MESSAGE_MAP()
};
