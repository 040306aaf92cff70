// Ids that the framework itself reserves. Plain macros, so that a resource
// script can include this header as well as C++ sources.
#pragma once

// String resource that, when present in the resource module, names the
// application instead of the executable's file name.
#ifndef AFX_IDS_APP_TITLE
#define AFX_IDS_APP_TITLE 0xE000
#endif

// Command of the application's default help handler (CWinApp::OnHelp).
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif
