// The application object. Derive one class from CWinApp and define exactly
// one global object of it; its constructor registers it (AfxGetApp), and the
// framework's entry point (AfxWinMain) drives it:
//
//   class CMyApp : public CWinApp {
//   public:
//       BOOL InitInstance() override;  // FALSE: end without a message loop
//   };
//   CMyApp theApp;
//
// Before InitInstance the framework names the application (m_pszAppName):
// the string resource AFX_IDS_APP_TITLE when the resource module has one,
// otherwise the executable's file name without folder and extension.
//
// Profile: after SetRegistryKey("Company") the profile operations work on
//   HKEY_CURRENT_USER\Software\Company\<application name>\<section>
// creating missing keys below Software. Without a registry key nothing is
// stored: reads give the default and writes fail.
#pragma once

#include "framework/AfxRes.h"
#include "framework/CCmdTarget.h"

#include "platform/Handles.h"

#include <string>
#include <vector>

class CWnd;

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)

public:
    // A null name lets the framework derive it (see above).
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    const char* m_pszAppName = nullptr;     // the application's name
    const char* m_pszExeName = nullptr;     // executable file name, no extension
    const char* m_pszRegistryKey = nullptr; // null until SetRegistryKey
    const char* m_pszProfileName = nullptr; // the profile's key below the registry key
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    // The main window; the framework clears it when that window is destroyed.
    CWnd* m_pMainWnd = nullptr;
    // Begun and not yet ended wait cursors.
    int m_nWaitCursorCount = 0;

    // The application's start. The base does nothing and returns TRUE.
    virtual BOOL InitInstance();
    // The message loop, run when InitInstance returned TRUE; returns
    // ExitInstance's result once a quit message arrives.
    virtual int Run();
    // The application's end; the result is the process exit code. The base
    // returns the code of the quit message that ended Run, else 0.
    virtual int ExitInstance();

    void SetRegistryKey(const char* lpszRegistryKey);
    // The REG_DWORD value lpszEntry of the section; nDefault when it is
    // missing, is not a four-byte REG_DWORD, or no key can be opened.
    int GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault);
    // Stores nValue as a four-byte REG_DWORD; TRUE when it was stored.
    BOOL WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue);
    // The REG_SZ value lpszEntry of the section; lpszDefault when it is
    // missing, is of another type, or no key can be opened.
    std::string GetProfileString(const char* lpszSection, const char* lpszEntry,
                                 const char* lpszDefault = "");
    // Stores lpszValue as REG_SZ; TRUE when it was stored.
    BOOL WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue);
    // The same two in wide characters, for text outside the ANSI code page.
    // (The two above are the "A" forms: the platform's headers name them so.)
    std::wstring GetProfileStringW(const char* lpszSection, const char* lpszEntry,
                                   const wchar_t* lpszDefault = L"");
    BOOL WriteProfileStringW(const char* lpszSection, const char* lpszEntry,
                             const wchar_t* lpszValue);
    // A list of texts (REG_MULTI_SZ), read and written the same way; none
    // when the value is missing or of another type.
    std::vector<std::wstring> GetProfileStringList(const char* lpszSection, const char* lpszEntry);
    BOOL WriteProfileStringList(const char* lpszSection, const char* lpszEntry,
                                const std::vector<std::wstring>& texts);

    // nCode 1 begins a wait cursor, -1 ends one, 0 shows it again while any
    // is running. The cursor in use before the first one comes back when the
    // last one ends; ending more than were begun does nothing.
    virtual void DoWaitCursor(int nCode);

    // Handler for ID_HELP. The framework has no context help of its own: the
    // command is accepted and does nothing.
    void OnHelp();

private:
    friend BOOL AfxWinInit(HINSTANCE, HINSTANCE, LPSTR, int);
    void SetCurrentHandles();
    platform::UniqueHKey GetSectionKey(const char* lpszSection) const;

    std::string m_appName;
    std::string m_exeName;
    std::string m_registryKey;
    std::string m_profileName;
    HCURSOR m_hcurWaitCursorRestore = nullptr;
    int m_nQuitCode = 0;
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
// The module the program runs from and the module that holds its resources
// (dialog templates, icons, strings); by default the executable.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);

// Prepares the framework for the application object: module handles, command
// line and the application's names. AfxWinMain calls it; a test program that
// has its own entry point calls it itself before using the application.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The program's flow: AfxWinInit, InitInstance, then Run when InitInstance
// returned TRUE, or ExitInstance without a message loop when it returned
// FALSE. Returns the process exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// Allows ActiveX controls to be hosted in the framework's windows; call it in
// InitInstance before any window that hosts one is created. Until it has
// been called, CWnd::CreateControl creates nothing and returns FALSE. It
// stays enabled for the life of the process.
void AfxEnableControlContainer();
bool AfxControlContainerEnabled();

// A message box captioned with the application's name, owned by the main
// window (its last active popup) when there is one.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK);
