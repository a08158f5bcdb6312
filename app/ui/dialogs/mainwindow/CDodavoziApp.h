// CDodavoziApp: the program's application object. InitInstance prepares the
// process, makes sure that only one copy runs and runs the main window
// modally; the process lives exactly as long as that window. ExitInstance
// writes the settings back.
#pragma once

#include <afxwin.h>

class CDodavoziApp : public CWinApp {
public:
    CDodavoziApp();

    // Always FALSE: the framework goes on to ExitInstance.
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Forces the configuration into existence. TRUE.
    BOOL InitConfig();
    // Registers the video window control on the Windows versions that need
    // it (and then installs the last-chance exception filter); FALSE, after
    // telling the user, when the control cannot be registered.
    BOOL RegisterVideoControl();

    DECLARE_MESSAGE_MAP()
};

// The names the single-instance mutex and the profile key carry; in the
// header, so that tests can name them without linking the application.
inline constexpr wchar_t kSingleInstanceMutex[] = L"RODUVAVA_2009";
inline constexpr wchar_t kRegistryKey[] = L"DO_RUVERAZA";
