#include "app/CleanerApp.h"

#include "app/CleanerDlg.h"
#include "catalogue/Definitions.h"
#include "framework/StepMarks.h"
#include "settings/Settings.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CleanerApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

// The one application object. A null name lets the framework take the
// executable's file name, so a renamed copy keeps its own settings.
CleanerApp theApp;

CleanerApp::CleanerApp() : CWinApp(nullptr) {}

BOOL CleanerApp::InitInstance() {
    InitCommonControls();
    AfxMarkStep("common controls");
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kRegistryKey);
    AfxMarkStep("framework");

    // Joined when the dialog has ended, a clean at shutdown included.
    const CataloguePreload preload;
    AfxMarkStep("definitions started");
    CleanerDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    AfxMarkStep("window destroyed");

    // No message loop of our own: the dialog was the program.
    return FALSE;
}
