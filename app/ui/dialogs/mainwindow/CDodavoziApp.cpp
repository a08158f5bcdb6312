#include "CDodavoziApp.h"

#include <AfxOleControls.h>
#include <commctrl.h>
#include <objbase.h>

#include "CDodavoziDlg.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SystemUtil.h"
#include "app/ui/toolkit/ErrorBox.h"

namespace {

// Version classes from Server 2003 on find the control registered by setup.
const int kFirstSelfRegisteredOsClass = 3;
const UINT kErrorModeQuiet = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

}  // namespace

BEGIN_MESSAGE_MAP(CDodavoziApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CDodavoziApp::CDodavoziApp() = default;

BOOL CDodavoziApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::CoInitialize(nullptr);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kRegistryKey);
    // The handle stays open for the life of the process: the mutex is the mark.
    HANDLE instanceMutex = nullptr;
    if (!CheckSingleInstance(kSingleInstanceMutex, &instanceMutex)) {
        ShowErrorBox(Translate(L"Soft Is Running!"));
        return FALSE;
    }
    if (!InitConfig()) return FALSE;
    if (!RegisterVideoControl()) return FALSE;
    CDodavoziDlg mainWindow;
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    // The window object ends with this scope: nothing may reach it after.
    m_pMainWnd = nullptr;
    return FALSE;
}

BOOL CDodavoziApp::InitConfig() { return GetAppConfig() != nullptr; }

BOOL CDodavoziApp::RegisterVideoControl() {
    if (GetOsVersionCode() >= kFirstSelfRegisteredOsClass) return TRUE;
    const CString control = L"Rerezed.ocx";
    if (!RegisterComServer(control)) {
        ShowErrorBox(control + Translate(L"Loaded Faild!"));
        return FALSE;
    }
    ::SetErrorMode(kErrorModeQuiet);
    ::SetUnhandledExceptionFilter(AppExceptionFilter);
    return TRUE;
}

int CDodavoziApp::ExitInstance() {
    DeleteAppConfig();
    DeleteInitLanguage();
    return CWinApp::ExitInstance();
}
