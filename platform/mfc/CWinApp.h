// The program's one application object: constructed statically, it runs
// InitInstance from the entry point and then the message loop (when
// InitInstance returns TRUE) or ExitInstance (when it returns FALSE).
// The entry point itself is in AfxEntryPoint.cpp, its own object library.
#pragma once

#include "CStringT.h"
#include "CWinThread.h"
#include "CPtrList.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif
#ifndef WM_COMMANDHELP
#define WM_COMMANDHELP 0x0365
#endif

class CMultiDocTemplate;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // appName NULL: the executable's name without extension.
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName;
    LPCWSTR m_pszExeName;
    LPCWSTR m_pszRegistryKey;  // NULL until SetRegistryKey
    LPCWSTR m_pszProfileName;
    LPCWSTR m_pszHelpFilePath;
    HINSTANCE m_hInstance;
    LPWSTR m_lpCmdLine;
    int m_nCmdShow;

    virtual BOOL InitApplication() { return TRUE; }
    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override;

    // From now on the profile functions use the registry key
    // HKEY_CURRENT_USER, Software, key, application name (in that order)
    // instead of the application's INI file.
    void SetRegistryKey(LPCWSTR key);
    // The application's key (created when missing); NULL when no registry
    // key was set or it cannot be opened. The caller closes it.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCWSTR section);
    UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value);
    CString GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
    BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value);

    // The message box of AfxMessageBox: owned by the active window of the
    // application, captioned with the application name.
    virtual int DoMessageBox(LPCWSTR prompt, UINT type, UINT helpId);

    // Document templates: the application owns and deletes them.
    void AddDocTemplate(CMultiDocTemplate* docTemplate);
    POSITION GetFirstDocTemplatePosition() const;
    CMultiDocTemplate* GetNextDocTemplate(POSITION& pos) const;

    // ID_HELP: asks the active window for context help (WM_COMMANDHELP), and
    // when it gives none opens the application's help file.
    afx_msg void OnHelp();

private:
    CString m_appName, m_exeName, m_registryKey, m_profileName, m_helpPath;
    CPtrList m_templates;

    DECLARE_MESSAGE_MAP()
};

// The application object; NULL before it is constructed.
CWinApp* AfxGetApp();
// The program's entry: InitInstance, then Run or ExitInstance. Returns the
// process exit code.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR cmdLine, int cmdShow);
// A message box with the application's caption; returns the button pressed.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
// Registers (once) a window class with the default window procedure and
// returns its name, valid until the next call on this thread. Throws
// CResourceException when the class cannot be registered.
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);
