// The application object: prepares the framework, fixes where the settings
// live and runs the main dialog; the program ends when the dialog ends.
#pragma once

#include "framework/CWinApp.h"

class CleanerApp : public CWinApp {
public:
    CleanerApp();
    ~CleanerApp() override = default;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CleanerApp theApp;
