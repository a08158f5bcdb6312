#include "CWinApp.h"

#include "CMultiDocTemplate.h"

#include "AfxGlobals.h"
#include "CResourceException.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

namespace {

CWinApp* g_app = nullptr;

CString ModuleBaseName() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString full(path, static_cast<int>(n));
    CString name = full.Mid(full.ReverseFind(L'\\') + 1);
    int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

CString ModulePathWithExtension(LPCWSTR extension) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString full(path, static_cast<int>(n));
    int dot = full.ReverseFind(L'.');
    if (dot > full.ReverseFind(L'\\')) full = full.Left(dot);
    return full + extension;
}

}  // namespace

CWinApp::CWinApp(LPCWSTR appName)
    : m_pszAppName(nullptr),
      m_pszExeName(nullptr),
      m_pszRegistryKey(nullptr),
      m_pszProfileName(nullptr),
      m_pszHelpFilePath(nullptr),
      m_hInstance(nullptr),
      m_lpCmdLine(nullptr),
      m_nCmdShow(SW_SHOWNORMAL) {
    m_exeName = ModuleBaseName();
    m_appName = appName ? CString(appName) : m_exeName;
    m_profileName = ModulePathWithExtension(L".INI");
    m_helpPath = ModulePathWithExtension(L".HLP");
    m_pszAppName = m_appName;
    m_pszExeName = m_exeName;
    m_pszProfileName = m_profileName;
    m_pszHelpFilePath = m_helpPath;
    m_hInstance = AfxGetInstanceHandle();
    m_nThreadID = GetCurrentThreadId();
    g_app = this;
    AfxSetThread(this);
}

CWinApp::~CWinApp() {
    while (!m_templates.IsEmpty()) delete static_cast<CMultiDocTemplate*>(m_templates.RemoveHead());
    if (g_app == this) g_app = nullptr;
    if (AfxGetThread() == this) AfxSetThread(nullptr);
}

CWinApp* AfxGetApp() { return g_app; }

int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

void CWinApp::SetRegistryKey(LPCWSTR key) {
    m_registryKey = key;
    m_pszRegistryKey = m_registryKey;
    m_profileName = m_appName;
    m_pszProfileName = m_profileName;
}

HKEY CWinApp::GetAppRegistryKey() {
    if (!m_pszRegistryKey) return nullptr;
    CString path;
    path.Format(L"Software\\%s\\%s", m_pszRegistryKey, m_pszProfileName);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CWinApp::GetSectionKey(LPCWSTR section) {
    HKEY app = GetAppRegistryKey();
    if (!app) return nullptr;
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(app, section, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    RegCloseKey(app);
    return rc == ERROR_SUCCESS ? key : nullptr;
}

UINT CWinApp::GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) {
    if (!m_pszRegistryKey) return ::GetPrivateProfileIntW(section, entry, defaultValue, m_pszProfileName);
    HKEY key = GetSectionKey(section);
    if (!key) return static_cast<UINT>(defaultValue);
    DWORD value = 0, type = 0, size = sizeof value;
    LONG rc = RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return (rc == ERROR_SUCCESS && type == REG_DWORD) ? value : static_cast<UINT>(defaultValue);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) {
    if (!m_pszRegistryKey) {
        CString text;
        text.Format(L"%d", value);
        return ::WritePrivateProfileStringW(section, entry, text, m_pszProfileName);
    }
    HKEY key = GetSectionKey(section);
    if (!key) return FALSE;
    DWORD data = static_cast<DWORD>(value);
    LONG rc = RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) {
    CString fallback(defaultValue);
    if (!m_pszRegistryKey) {
        CString out;
        for (DWORD size = 256;; size *= 2) {
            DWORD n = ::GetPrivateProfileStringW(section, entry, fallback, out.GetBuffer(static_cast<int>(size)), size,
                                                 m_pszProfileName);
            out.ReleaseBuffer(static_cast<int>(n));
            if (n < size - 1) return out;
        }
    }
    HKEY key = GetSectionKey(section);
    if (!key) return fallback;
    DWORD type = 0, size = 0;
    CString out = fallback;
    if (RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        CString value;
        wchar_t* buffer = value.GetBuffer(static_cast<int>(size / sizeof(wchar_t)));
        if (RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS) {
            value.ReleaseBuffer();  // up to the stored (or added) terminator
            out = value;
        }
    }
    RegCloseKey(key);
    return out;
}

BOOL CWinApp::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) {
    if (!m_pszRegistryKey) return ::WritePrivateProfileStringW(section, entry, value, m_pszProfileName);
    HKEY key = GetSectionKey(section);
    if (!key) return FALSE;
    LONG rc;
    if (!entry) {
        rc = RegDeleteTreeW(key, nullptr);
    } else if (!value) {
        rc = RegDeleteValueW(key, entry);
    } else {
        rc = RegSetValueExW(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

int CWinApp::DoMessageBox(LPCWSTR prompt, UINT type, UINT helpId) {
    // Own the box by the window the user is working in, so it is modal to it.
    HWND owner = ::GetActiveWindow();
    if (!owner) {
        if (CWnd* main = AfxGetMainWnd()) owner = ::GetLastActivePopup(main->GetSafeHwnd());
    }
    return ::MessageBoxW(owner, prompt, m_pszAppName, type);
}

void CWinApp::OnHelp() {
    HWND active = ::GetActiveWindow();
    if (active && ::SendMessageW(active, WM_COMMANDHELP, 0, 0)) return;
    CWnd* main = AfxGetMainWnd();
    ::WinHelpW(main->GetSafeHwnd(), m_pszHelpFilePath, HELP_FINDER, 0);
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR cmdLine, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine;
    app->m_nCmdShow = cmdShow;
    int code;
    try {
        if (!app->InitApplication() || !app->InitInstance()) {
            if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
            code = app->ExitInstance();
        } else {
            code = app->Run();
        }
    } catch (CException* e) {
        e->Delete();
        code = -1;
    }
    return code;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT helpId) {
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, type, helpId);
    return ::MessageBoxW(::GetActiveWindow(), text, L"", type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    CString text;
    if (!text.LoadString(promptId)) return 0;
    return AfxMessageBox(text, type, helpId == static_cast<UINT>(-1) ? promptId : helpId);
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    thread_local wchar_t name[96];
    HINSTANCE instance = AfxGetInstanceHandle();
    if (!cursor && !background && !icon)
        wsprintfW(name, L"Afx:%p:%x", instance, classStyle);
    else
        wsprintfW(name, L"Afx:%p:%x:%p:%p:%p", instance, classStyle, cursor, background, icon);
    WNDCLASSW existing;
    if (GetClassInfoW(instance, name, &existing)) return name;
    WNDCLASSW wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcW;  // the creation hook routes messages to the object
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!RegisterClassW(&wc)) AfxThrowResourceException();
    return name;
}

void CWinApp::AddDocTemplate(CMultiDocTemplate* docTemplate) { m_templates.AddTail(docTemplate); }

POSITION CWinApp::GetFirstDocTemplatePosition() const { return m_templates.GetHeadPosition(); }

CMultiDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const {
    return static_cast<CMultiDocTemplate*>(m_templates.GetNext(pos));
}
