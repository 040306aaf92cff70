#include "framework/CWinApp.h"

#include "framework/CWnd.h"
#include "platform/MultiString.h"
#include "platform/TextConversion.h"

#include <cstring>
#include <cwchar>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {

CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;
HINSTANCE g_hResource = nullptr;
bool g_controlContainerEnabled = false;

// The profile lives under this key of HKEY_CURRENT_USER.
const char kSoftwareKey[] = "Software";
// Every key on the profile's path is opened or created with this access.
constexpr REGSAM kProfileAccess = KEY_READ | KEY_WRITE;
// Longest application title read from the string table.
constexpr int kMaxAppTitle = 256;
// Longest module path tried: the limit of Windows's own long paths.
constexpr DWORD kMaxModulePath = 32768;

std::string ModuleFileName(HINSTANCE hInstance) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameA(hInstance, &path[0], size);
        if (length < size || size >= kMaxModulePath) {
            path.resize(length < size ? length : 0);
            return path;
        }
        path.resize(size * 2);
    }
}

// "C:\Tools\Quenby.exe" -> "Quenby"
std::string FileTitle(const std::string& path) {
    const std::string::size_type folderEnd = path.find_last_of("\\/:");
    std::string name = folderEnd == std::string::npos ? path : path.substr(folderEnd + 1);
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

// A key below parent, created when missing.
platform::UniqueHKey CreateProfileKey(HKEY parent, const char* name) {
    platform::UniqueHKey key;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kProfileAccess,
                          nullptr, key.put(), &disposition) != ERROR_SUCCESS)
        key.release(); // what a failed call leaves in the slot is not a key to close
    return key;
}

} // namespace

CWinApp::CWinApp(const char* lpszAppName) {
    if (lpszAppName) {
        m_appName = lpszAppName;
        m_pszAppName = m_appName.c_str();
    }
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_nQuitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return m_nQuitCode;
}

void CWinApp::SetCurrentHandles() {
    m_exeName = FileTitle(ModuleFileName(m_hInstance));
    m_pszExeName = m_exeName.c_str();
    if (m_pszAppName)
        return;
    char title[kMaxAppTitle] = "";
    if (::LoadStringA(AfxGetResourceHandle(), AFX_IDS_APP_TITLE, title, kMaxAppTitle) > 0)
        m_appName = title;
    else
        m_appName = m_exeName;
    m_pszAppName = m_appName.c_str();
}

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
    m_registryKey = lpszRegistryKey ? lpszRegistryKey : "";
    m_pszRegistryKey = m_registryKey.c_str();
    m_profileName = m_pszAppName ? m_pszAppName : "";
    m_pszProfileName = m_profileName.c_str();
}

platform::UniqueHKey CWinApp::GetSectionKey(const char* lpszSection) const {
    if (!m_pszRegistryKey)
        return {};
    platform::UniqueHKey software;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSoftwareKey, 0, kProfileAccess, software.put()) !=
        ERROR_SUCCESS)
        return {};
    platform::UniqueHKey company = CreateProfileKey(software.get(), m_pszRegistryKey);
    if (!company)
        return {};
    platform::UniqueHKey application = CreateProfileKey(company.get(), m_pszProfileName);
    if (!application)
        return {};
    return CreateProfileKey(application.get(), lpszSection);
}

int CWinApp::GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    if (!section)
        return nDefault;
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExA(section.get(), lpszEntry, nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return nDefault;
    // Another program may have stored some other type or size under the name:
    // only a genuine four-byte number counts.
    if (type != REG_DWORD || size != sizeof(value))
        return nDefault;
    return static_cast<int>(value);
}

BOOL CWinApp::WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    if (!section)
        return FALSE;
    const DWORD value = static_cast<DWORD>(nValue);
    return ::RegSetValueExA(section.get(), lpszEntry, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

std::string CWinApp::GetProfileString(const char* lpszSection, const char* lpszEntry,
                                      const char* lpszDefault) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!section ||
        ::RegQueryValueExA(section.get(), lpszEntry, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return lpszDefault;
    // Room for a terminator that another program may have left out.
    std::string value(size + 1, '\0');
    if (::RegQueryValueExA(section.get(), lpszEntry, nullptr, &type,
                           reinterpret_cast<BYTE*>(&value[0]), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return lpszDefault;
    value.resize(strnlen(value.c_str(), size));
    return value;
}

BOOL CWinApp::WriteProfileString(const char* lpszSection, const char* lpszEntry,
                                 const char* lpszValue) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    if (!section)
        return FALSE;
    return ::RegSetValueExA(section.get(), lpszEntry, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(lpszValue),
                            static_cast<DWORD>(strlen(lpszValue) + 1)) == ERROR_SUCCESS;
}

std::wstring CWinApp::GetProfileStringW(const char* lpszSection, const char* lpszEntry,
                                        const wchar_t* lpszDefault) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    const std::wstring entry = platform::FromAnsi(lpszEntry);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!section ||
        ::RegQueryValueExW(section.get(), entry.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return lpszDefault;
    // Room for a terminator that another program may have left out.
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(section.get(), entry.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&value[0]), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return lpszDefault;
    value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
    return value;
}

BOOL CWinApp::WriteProfileStringW(const char* lpszSection, const char* lpszEntry,
                                  const wchar_t* lpszValue) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    if (!section)
        return FALSE;
    return ::RegSetValueExW(section.get(), platform::FromAnsi(lpszEntry).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(lpszValue),
                            static_cast<DWORD>((wcslen(lpszValue) + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

std::vector<std::wstring> CWinApp::GetProfileStringList(const char* lpszSection,
                                                        const char* lpszEntry) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    if (!section)
        return {};
    return platform::ReadMultiString(section.get(), platform::FromAnsi(lpszEntry).c_str());
}

BOOL CWinApp::WriteProfileStringList(const char* lpszSection, const char* lpszEntry,
                                     const std::vector<std::wstring>& texts) {
    platform::UniqueHKey section = GetSectionKey(lpszSection);
    return section &&
           platform::WriteMultiString(section.get(), platform::FromAnsi(lpszEntry).c_str(), texts);
}

void CWinApp::DoWaitCursor(int nCode) {
    const bool wasWaiting = m_nWaitCursorCount > 0;
    m_nWaitCursorCount += nCode;
    if (m_nWaitCursorCount > 0) {
        HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        if (!wasWaiting)
            m_hcurWaitCursorRestore = previous;
        return;
    }
    m_nWaitCursorCount = 0;
    if (wasWaiting)
        ::SetCursor(m_hcurWaitCursorRestore);
}

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_hInstance ? g_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return g_hResource ? g_hResource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInstResource) {
    g_hResource = hInstResource;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    g_hInstance = hInstance;
    CWinApp* app = AfxGetApp();
    if (!app)
        return FALSE;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    app->SetCurrentHandles();
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    if (!AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
        return -1;
    CWinApp* app = AfxGetApp();
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

void AfxEnableControlContainer() {
    g_controlContainerEnabled = true;
}

bool AfxControlContainerEnabled() {
    return g_controlContainerEnabled;
}

int AfxMessageBox(const char* lpszText, UINT nType) {
    CWinApp* app = AfxGetApp();
    HWND hWndOwner = nullptr;
    if (app && app->m_pMainWnd && app->m_pMainWnd->GetSafeHwnd())
        hWndOwner = ::GetLastActivePopup(app->m_pMainWnd->GetSafeHwnd());
    return ::MessageBoxA(hWndOwner, lpszText, app ? app->m_pszAppName : nullptr, nType);
}
