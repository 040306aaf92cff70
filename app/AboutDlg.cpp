#include "app/AboutDlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(AboutDlg, CDialog)
END_MESSAGE_MAP()

AboutDlg::AboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}
