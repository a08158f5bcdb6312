// CDodavoziDlg: the program's main window, run modally by the application
// object. It shows the task list of the running schedules, starts and stops
// automatic and manual download, drives the engine's download runner once a
// second (timer 13), keeps the tray icon and its menus, opens the program's
// dialogs and takes the engine's messages. Its destruction is the orderly
// shutdown: downloads stopped, devices logged out, the engine shut down.
//
// Closing the window only hides it in the notification area; the Exit
// command (button, tray menu, Escape) asks for the current user's password
// first. UI thread only; the engine's threads reach it by posted messages.
//
// The class is split over two files: CDodavoziDlg.cpp (start-up and login,
// layout and skin, starting and stopping the downloads, shutdown) and
// CDodavoziDlgMenus.cpp (the tray icon, the two menus and their commands, the
// engine's messages, playback in the record manager's video window control).
#pragma once

#include <afxcmn.h>
#include <afxwin.h>
#include <shellapi.h>

#include <vector>

#include "app/ui/dialogs/schedules/CBackupProjectDlg.h"
#include "app/ui/dialogs/devices/CDevManageDlg.h"
#include "app/ui/dialogs/userlog/CLogQueryDlg.h"
#include "CPasswordModifyDlg.h"
#include "app/ui/dialogs/records/CRecordManageDlg.h"
#include "app/ui/dialogs/records/CRecordManageHost.h"
#include "app/ui/dialogs/schedules/CSystemConfigDlg.h"
#include "CTaskListView.h"
#include "app/ui/dialogs/userlog/CUserManageDlg.h"
#include "app/ui/dialogs/records/CVideoPanePlayer.h"
#include "app/engine/CAutoRunDlg.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "app/ui/toolkit/CHoverHint.h"

class CRerezedctrl1;

// Operation-log records the main window writes: user records (type 0) and
// device records (type 1).
enum { LOG_USER_LOGIN = 0, LOG_USER_LOGOFF = 1, LOG_PASSWORD_MODIFY = 4 };
enum { LOG_DEVICE_LOGIN = 1012, LOG_DEVICE_LOGOUT = 1015 };

// The main window's one-second timer.
const UINT_PTR IDT_TW_TICK = 13;

class CDodavoziDlg : public CDialog, public CRecordManageHost {
public:
    explicit CDodavoziDlg(CWnd* parent = nullptr);
    ~CDodavoziDlg() override;

    // ---- Operations other windows call -------------------------------------
    // Shows the start twin of the download button (and "Start") when
    // showStart, else the stop twin (and "Stop").
    void UpdateStartStopButton(BOOL showStart);
    // Automatic download on or off, after making sure that there are devices
    // and the settings a download needs.
    void ToggleAutoDownload();
    // The Exit command: confirmation through the login dialog, then the end.
    void ExitApplication();
    // Prompts of the worker window's threads are not shown.
    void ShowPrompt(const CString& text, const CString& caption, int, int, int, int, int) {}
    // The record manager's video window control, while it exists (null to
    // detach). Playback commands and pane resets go to it.
    void AttachVideoControl(CRerezedctrl1* control) { m_videoPanes.Attach(control); }
    // pane -1: the selected pane. -1 when there is none, else 0.
    int PlayControl(int pane, int command, int value) override;
    // Plays the files in the pane (-1: the selected one; none gives -101).
    int PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& paths) override;
    // With opened 1 the record manager moves its pane selection on. 0.
    int AdvanceVideoPane(int opened) override;
    void StartBackupCopyThread() override { m_autoRunDlg.StartBackupCopyThread(); }
    CRecordManageDlg& RecordManager() { return m_recordManageDlg; }

    // The popup menus' items for the download states: the start/stop
    // button's two-item menu (the second item only while manual download
    // runs), the tray menu (the same, a separator and Exit) and the System
    // Config menu (User Manage only for the super user; DeviceManage greyed
    // while a download runs).
    static void BuildDownloadMenu(CMenu& menu, int automaticOn, int manualOn);
    static void BuildTrayMenu(CMenu& menu, int automaticOn, int manualOn);
    static void BuildSystemConfigMenu(CMenu& menu, int automaticOn, int manualOn, bool superUser);

    // ---- State for the program's other windows and its tests ---------------
    CAutoRunDlg& Worker() { return m_autoRunDlg; }
    CBackupProjectDlg& BackupProjectDlg() { return m_backupProjectDlg; }
    CVirtualListCtrl& TaskList() { return m_taskList; }
    CDodavoziDlgSkin& Skin() { return m_skin; }
    bool IsTrayIconAdded() const { return m_bTrayIconAdded; }
    const NOTIFYICONDATAW& TrayRecord() const { return m_trayRecord; }
    UINT TaskbarCreatedMessage() const { return m_uTaskbarCreated; }

protected:
    BOOL DestroyWindow() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // ---- Window messages -----------------------------------------------------
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);

    // ---- Buttons -------------------------------------------------------------
    afx_msg void OnStartStop();
    afx_msg void OnExit();
    afx_msg void OnSystemConfig();
    afx_msg void OnRecordManage();
    afx_msg void OnLogQuery();

    // ---- Menu commands (DispatchMenuCommand) ---------------------------------
    afx_msg void OnPasswordModify();
    afx_msg void OnOption();
    afx_msg void OnUserManage();
    afx_msg void OnManualDownload();
    afx_msg void OnDeviceManage();
    afx_msg void OnBackupProject();
    afx_msg void OnSwitchUser();
    afx_msg void OnExitCommand();

    // ---- Engine messages -----------------------------------------------------
    afx_msg LRESULT OnDeviceLoginState(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSlotClosed(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDeviceOffline(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnUnreadableFile(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSearchResult(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDeviceNotLoggedIn(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    // ---- Start-up ---------------------------------------------------------------
    void AddAboutMenuItem();
    void ApplySkin();
    // Puts the labels under their skin buttons and fits the list between
    // them and the hint line.
    void LayoutControls();
    // The skin button's rectangle in client coordinates; false when it has
    // no window or no place (a hidden button).
    bool SkinButtonRect(UINT id, CRect* rect);
    static int LabelTextWidth(CWnd* label);
    void SetUpHints();
    // 1 when the user logged in and the device logins are under way; 0 ends
    // the program.
    int StartupLogin();
    void AddTrayIcon();
    // True when the shell shows this window's icon.
    bool IsTrayIconShown();
    // While the engine has no device: the warning and a temporary device
    // dialog, run modally. False when the operator leaves it without OK.
    bool EnsureDevices();
    // After the device lists were committed: the schedule editor's device
    // tree and the record manager's device combo read them again.
    void RefreshDeviceLists();
    // Hands a device dialog's logins to the worker window.
    void ConnectDeviceDialog(CDevManageDlg& dialog);
    // Queues every device for login and starts the worker's login thread.
    void QueueAllDevicesForLogin();

    // ---- Download state --------------------------------------------------------
    void ShowDownloadTwin(bool running);
    // "Start" or "Stop" on the button and its label by the automatic state.
    void UpdateStartStopLabel();
    // -1 without manual download (nothing shown); else the two-item menu's
    // choice carried out, 0.
    int ShowDownloadMenu();
    // Whether the settings a download needs are there.
    static bool DownloadSettingsComplete();
    // Until those settings are complete: tells the operator and runs a
    // temporary options dialog with the current values. false when the
    // operator cancelled it.
    bool CompleteDownloadSettings();
    // The outcome of StartAutoBackup shown on the button; a refusal is told.
    void StartAutoBackupAndReport();

    // The hint line for the control under the mouse (the stop hint for the
    // download button while automatic download runs).
    void ShowHoverHint(int controlId);

    // ---- Menus ---------------------------------------------------------------
    void ShowTrayMenu(int x, int y);
    void ShowSystemConfigMenu(int x, int y);
    void DispatchMenuCommand(UINT id);
    // The menu's choice (TPM_RETURNCMD), 0 for none.
    UINT TrackMenu(CMenu& menu, int x, int y);

    // ---- Shutdown --------------------------------------------------------------
    void LogOutDevicesAtShutdown();
    void WriteDeviceLogRecord(const DEVICE_RECORD& device, bool loggedIn);
    void WriteUserLogRecord(int code, const wchar_t* textKey);

    HICON m_hIcon;
    UINT m_uTaskbarCreated;
    CUserManageDlg m_userDlg;
    CLogQueryDlg m_logDlg;
    CPasswordModifyDlg m_passwordDlg;
    CDevManageDlg m_devManageDlg;
    CSystemConfigDlg m_systemConfigDlg;
    CBackupProjectDlg m_backupProjectDlg;
    CStatic m_header;
    CBitmap m_headerBitmap;
    CVirtualListCtrl m_taskList;
    CTaskListView m_taskRows{m_taskList};
    CHoverHint m_startHint;
    CHoverHint m_stopHint;
    CAutoRunDlg m_autoRunDlg;
    NOTIFYICONDATAW m_trayRecord;
    bool m_bTrayIconAdded = false;
    CDodavoziDlgSkin m_skin;
    int m_nVisible = 0;
    CVideoPanePlayer m_videoPanes;
    // Made on the first Record Manage; its video control serves the panes.
    CRecordManageDlg m_recordManageDlg;
};
