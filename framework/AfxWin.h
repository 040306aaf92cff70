// Everything the framework offers, for application sources:
//   CObject, CRuntimeClass      run-time class information
//   CCmdTarget, message maps    static tables from messages to On... handlers
//   CWnd, CDialog               window objects and modal dialogs
//   CDataExchange, DDX_Check    dialog data exchange
//   CPaintDC, CWaitCursor       scoped paint context and wait cursor
//   CWinApp, Afx...             the application object, entry and profile
#pragma once

#include "framework/AfxRes.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "framework/CPaintDC.h"
#include "framework/CWaitCursor.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
