// The main window's tray icon, its two menus and their commands, the
// handlers of the engine's messages and the playback calls that go to the
// record manager's video window control.
#include "CDodavoziDlg.h"

#include "CLoginDlg.h"
#include "app/ui/dialogs/schedules/CManualDownloadDlg.h"
#include "app/ui/dialogs/records/CRerezedctrl1.h"
#include "app/ui/dialogs/devices/CSearchDeviceDlg.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/UnreadableFileNotices.h"
#include "app/core/CAppConfig.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/resource.h"

namespace {

CBackupEngine& Engine() { return GetBackupEngine(); }

// The file of the video window control that the record manager holds.
const wchar_t kVideoControlFile[] = L"Rerezed.ocx";

}  // namespace

// ---- Tray icon -------------------------------------------------------------------------

LRESULT CDodavoziDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_uTaskbarCreated && m_uTaskbarCreated != 0) {
        // The shell restarted: its icons are gone, ours comes back.
        AddTrayIcon();
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CDodavoziDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDOWN:
            if (m_nVisible == 0) {
                ShowWindow(SW_SHOW);
                m_nVisible = 1;
                SetForegroundWindow();
            } else {
                ShowWindow(SW_HIDE);
                m_nVisible = 0;
            }
            break;
        case WM_RBUTTONDOWN: {
            POINT cursor;
            ::GetCursorPos(&cursor);
            ShowTrayMenu(cursor.x, cursor.y);
            break;
        }
        default: break;
    }
    return 0;
}

// ---- Menus ---------------------------------------------------------------------------------

UINT CDodavoziDlg::TrackMenu(CMenu& menu, int x, int y) {
    // The window must be in front, or the menu stays open after a click elsewhere.
    SetForegroundWindow();
    const UINT choice = static_cast<UINT>(::TrackPopupMenu(
        menu.GetSafeHmenu(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, m_hWnd, nullptr));
    PostMessage(WM_NULL);
    return choice;
}

void CDodavoziDlg::BuildDownloadMenu(CMenu& menu, int automaticOn, int manualOn) {
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING | (automaticOn ? MF_CHECKED : 0), ID_TW_AUTO_DOWNLOAD, Translate(L"Auto Download"));
    if (manualOn) menu.AppendMenu(MF_STRING | MF_CHECKED, ID_TW_MANUAL_DOWNLOAD, Translate(L"Manual Download"));
}

void CDodavoziDlg::BuildTrayMenu(CMenu& menu, int automaticOn, int manualOn) {
    BuildDownloadMenu(menu, automaticOn, manualOn);
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_TW_EXIT, Translate(L"Exit"));
}

void CDodavoziDlg::BuildSystemConfigMenu(CMenu& menu, int automaticOn, int manualOn, bool superUser) {
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, ID_TW_PASSWORD_MODIFY, Translate(L"Password Modify"));
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_TW_MANUAL_DOWNLOAD, Translate(L"Manual Download"));
    if (superUser) menu.AppendMenu(MF_STRING, ID_TW_USER_MANAGE, Translate(L"User Manage"));
    menu.AppendMenu(MF_STRING, ID_TW_BACKUP_PROJECT, Translate(L"Backup Project"));
    // The device list cannot change under a running download.
    menu.AppendMenu(MF_STRING | (automaticOn || manualOn ? MF_GRAYED : 0), ID_TW_DEVICE_MANAGE,
                    Translate(L"DeviceManage"));
    menu.AppendMenu(MF_STRING, ID_TW_OPTION, Translate(L"Option"));
}

void CDodavoziDlg::ShowTrayMenu(int x, int y) {
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    CMenu menu;
    BuildTrayMenu(menu, automaticOn, manualOn);
    switch (TrackMenu(menu, x, y)) {
        case ID_TW_AUTO_DOWNLOAD:
            // The task list and the button follow on the next tick.
            if (automaticOn)
                Engine().StopAutoBackup();
            else
                StartAutoBackupAndReport();
            break;
        case ID_TW_MANUAL_DOWNLOAD:
            if (manualOn)
                Engine().StopManualDownload();
            else
                Engine().StartManualDownload();
            break;
        case ID_TW_EXIT: DispatchMenuCommand(ID_TW_EXIT); break;
        default: break;
    }
}

void CDodavoziDlg::OnSystemConfig() {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ShowSystemConfigMenu(cursor.x, cursor.y);
}

void CDodavoziDlg::ShowSystemConfigMenu(int x, int y) {
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    CAppConfig* config = GetAppConfig();
    const bool superUser = Engine().Users().m_CurrentUser.id == config->m_strSuperUserID;
    CMenu menu;
    BuildSystemConfigMenu(menu, automaticOn, manualOn, superUser);
    const UINT choice = TrackMenu(menu, x, y);
    if (choice != 0) DispatchMenuCommand(choice);
}

void CDodavoziDlg::DispatchMenuCommand(UINT id) {
    // Each command's handler sits in the message map; an id without one does nothing.
    SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// ---- Menu commands -------------------------------------------------------------------------

void CDodavoziDlg::OnPasswordModify() {
    USER_INFO& current = Engine().Users().m_CurrentUser;
    m_passwordDlg.SetCurrentPassword(current.psw);
    if (m_passwordDlg.DoModal() != IDOK) return;
    CString newPassword;
    if (!m_passwordDlg.GetNewPassword(newPassword)) return;
    // The dialog has checked the old password: a refusal here is a file
    // that did not take the new one.
    if (Engine().Users().ChangePassword(current.id, current.psw, newPassword) != 0) {
        ShowDodavoziBox(this, Translate(L"Password modify failed!"), MB_ICONWARNING);
        return;
    }
    WriteUserLogRecord(LOG_PASSWORD_MODIFY, L"Password Modify");
    ShowDodavoziBox(this, Translate(L"Password has been modified!"), MB_ICONINFORMATION);
}

void CDodavoziDlg::OnOption() {
    // Made on first use and kept: later showings only reload the values.
    if (!m_systemConfigDlg.GetSafeHwnd() && !m_systemConfigDlg.Create(IDD_SYSCFG, this)) return;
    m_systemConfigDlg.RefreshDirList();
    m_systemConfigDlg.ShowWindow(SW_SHOW);
}

void CDodavoziDlg::OnUserManage() {
    // Created on first use; afterwards only shown, its pending edits kept.
    if (!m_userDlg.GetSafeHwnd() && !m_userDlg.Create(IDD_USER_MANAGE, this)) return;
    m_userDlg.ShowWindow(SW_SHOW);
}

void CDodavoziDlg::OnLogQuery() {
    if (!m_logDlg.GetSafeHwnd() && !m_logDlg.Create(IDD_LOG_QUERY, this)) return;
    m_logDlg.Activate();
    m_logDlg.ShowWindow(SW_SHOW);
}

void CDodavoziDlg::OnManualDownload() {
    if (Engine().Schedules().IsManualFull()) {
        ShowDodavoziBox(this, Translate(L"Max manual schedule count reached!"), MB_ICONWARNING);
        return;
    }
    CManualDownloadDlg manualDownload(nullptr);
    manualDownload.DoModal();
}

void CDodavoziDlg::OnBackupProject() {
    // Its first run reads the schedules itself: once is enough.
    if (!m_backupProjectDlg.GetSafeHwnd()) {
        if (!m_backupProjectDlg.Create(IDD_BACKUP_PROJECT, this)) return;
    } else {
        m_backupProjectDlg.LoadScheduleList(1);
    }
    m_backupProjectDlg.ShowWindow(SW_SHOW);
}

void CDodavoziDlg::OnDeviceManage() {
    if (!m_devManageDlg.GetSafeHwnd()) {
        ConnectDeviceDialog(m_devManageDlg);
        // Its first run reads the users' lists itself: once is enough.
        if (!m_devManageDlg.Create(IDD_DEVMANAGE, this)) return;
    } else {
        m_devManageDlg.RefreshView();
    }
    m_devManageDlg.ShowWindow(SW_SHOW);
}

void CDodavoziDlg::OnSwitchUser() {
    Engine().StopAutoBackup();
    CLoginDlg login(LOGIN_MODE_SWITCH_USER, nullptr);
    login.DoModal();
}

void CDodavoziDlg::OnExitCommand() { ExitApplication(); }

// ---- Engine messages --------------------------------------------------------------------

LRESULT CDodavoziDlg::OnDeviceLoginState(WPARAM wParam, LPARAM lParam) {
    DEVICE_RECORD device;
    Engine().GetDevice(device, static_cast<int>(wParam));
    if (device.id == 0) return 0;
    WriteDeviceLogRecord(device, lParam == 1);
    return 0;
}

LRESULT CDodavoziDlg::OnDeviceOffline(WPARAM wParam, LPARAM lParam) {
    m_autoRunDlg.OnDeviceOffline(static_cast<int>(wParam), lParam);
    return 0;
}

LRESULT CDodavoziDlg::OnDeviceNotLoggedIn(WPARAM wParam, LPARAM) {
    m_autoRunDlg.QueueDeviceLoginIfKnown(static_cast<int>(wParam));
    return 0;
}

LRESULT CDodavoziDlg::OnUnreadableFile(WPARAM, LPARAM) {
    ShowUnreadableFileNotices(this);
    return 0;
}

LRESULT CDodavoziDlg::OnSearchResult(WPARAM wParam, LPARAM) {
    CSearchDeviceDlg::RelaySearchResult(wParam);
    return 0;
}

// ---- Video panes --------------------------------------------------------------------------

int CDodavoziDlg::PlayControl(int pane, int command, int value) {
    return m_videoPanes.PlayControl(pane, command, value);
}

int CDodavoziDlg::PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& paths) {
    return m_videoPanes.PlayFilesInPane(pane, first, second, paths);
}

int CDodavoziDlg::AdvanceVideoPane(int opened) {
    if (opened == 1 && m_recordManageDlg.GetSafeHwnd()) m_recordManageDlg.SelectNextWindow();
    return 0;
}

// The record manager is created once, owned by this window; later presses
// show it again.
void CDodavoziDlg::OnRecordManage() {
    if (!m_recordManageDlg.GetSafeHwnd()) {
        m_recordManageDlg.SetHost(this);
        if (!m_recordManageDlg.Create(IDD_RECORD_MANAGE, this)) {
            // The window holds the video control: without it there is no window.
            CString text;
            text.Format(L"%s (%s)!", Translate(L"Can not create the video window control").GetString(),
                        kVideoControlFile);
            ShowDodavoziBox(this, text, MB_ICONWARNING);
            return;
        }
        AttachVideoControl(&m_recordManageDlg.m_video);
    }
    m_recordManageDlg.ShowWindow(SW_SHOW);
}

LRESULT CDodavoziDlg::OnSlotClosed(WPARAM wParam, LPARAM lParam) {
    const int pane = static_cast<int>(wParam);
    CRerezedctrl1* video = m_videoPanes.LiveControl();
    // Panes outside the control's four are not the control's to reset.
    if ((lParam & 0xFF) != 1 || pane < 0 || pane >= CVideoPanePlayer::kPaneCount || !video) return 0;
    if (((lParam >> 8) & 0xFF) == 1) video->ClearWindow(pane);
    for (long state : {3L, 5L, 1L}) {
        if (video->GetWindowState(pane, state) == 1) video->SetWindowState(pane, state, 0);
    }
    video->EnableZoomRect(pane, 0);
    return 0;
}
