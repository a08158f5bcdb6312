#include "CDodavoziDlg.h"

#include <algorithm>

#include "CAboutDlg.h"
#include "CLoginDlg.h"
#include "app/ui/dialogs/records/CRerezedctrl1.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/HoverHintTarget.h"
#include "app/ui/dialogs/StoredFileNotices.h"
#include "TaskListRow.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/SkinLayout.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"
#include "common/UniqueGdi.h"

namespace {

const wchar_t kMainWindowSize[] = L"902,675";
// The free space (MB) below which a download cannot be set up.
const long kMinDriveFreeSpaceMB = 500;

struct SKIN_LABEL {
    UINT labelId;
    UINT buttonId;
};
// Each skin button's label, in the order the skin lays them out.
const SKIN_LABEL kSkinLabels[] = {
    {IDC_MAIN_STARTSTOP_LABEL, IDC_SKIN_DOWNLOAD}, {IDC_MAIN_RECORDMANAGE_LABEL, IDC_SKIN_MANAGE},
    {IDC_MAIN_LOGQUERY_LABEL, IDC_SKIN_SEARCH},    {IDC_MAIN_SYSCONFIG_LABEL, IDC_SKIN_SYSCONFIG},
    {IDC_MAIN_EXIT_LABEL, IDC_SKIN_EXIT},
};

CBackupEngine& Engine() { return GetBackupEngine(); }

}  // namespace

BEGIN_MESSAGE_MAP(CDodavoziDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_CLOSE()
ON_WM_TIMER()
ON_MESSAGE(WM_TW_TRAY_NOTIFY, OnTrayNotify)
// Buttons: the hidden resource button and its skin button alike.
ON_BN_CLICKED(IDC_MAIN_STARTSTOP, OnStartStop)
ON_BN_CLICKED(IDC_SKIN_DOWNLOAD, OnStartStop)
ON_BN_CLICKED(IDC_MAIN_LOGQUERY, OnLogQuery)
ON_BN_CLICKED(IDC_SKIN_SEARCH, OnLogQuery)
ON_BN_CLICKED(IDC_MAIN_SYSCONFIG, OnSystemConfig)
ON_BN_CLICKED(IDC_SKIN_SYSCONFIG, OnSystemConfig)
ON_BN_CLICKED(IDC_MAIN_RECORDMANAGE, OnRecordManage)
ON_BN_CLICKED(IDC_SKIN_MANAGE, OnRecordManage)
ON_BN_CLICKED(IDC_MAIN_EXIT, OnExit)
ON_BN_CLICKED(IDC_SKIN_EXIT, OnExit)
// Menu commands, reached through DispatchMenuCommand.
ON_COMMAND(ID_TW_PASSWORD_MODIFY, OnPasswordModify)
ON_COMMAND(ID_TW_OPTION, OnOption)
ON_COMMAND(ID_TW_USER_MANAGE, OnUserManage)
ON_COMMAND(ID_TW_MANUAL_DOWNLOAD, OnManualDownload)
ON_COMMAND(ID_TW_DEVICE_MANAGE, OnDeviceManage)
ON_COMMAND(ID_TW_BACKUP_PROJECT, OnBackupProject)
ON_COMMAND(ID_TW_SWITCH_USER, OnSwitchUser)
ON_COMMAND(ID_TW_EXIT, OnExitCommand)
// The engine's messages.
ON_MESSAGE(WM_TW_DEVICE_LOGIN_STATE, OnDeviceLoginState)
ON_MESSAGE(WM_TW_SLOT_CLOSED, OnSlotClosed)
ON_MESSAGE(WM_TW_DEVICE_OFFLINE, OnDeviceOffline)
ON_MESSAGE(WM_TW_SEARCH_RESULT, OnSearchResult)
ON_MESSAGE(WM_TW_DEVICE_NOT_LOGGED_IN, OnDeviceNotLoggedIn)
ON_MESSAGE(WM_TW_UNREADABLE_FILE, OnUnreadableFile)
END_MESSAGE_MAP()

CDodavoziDlg::CDodavoziDlg(CWnd* parent)
    : CDialog(IDD_DODAVOZI_DIALOG, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      // Registered here, before any window exists, so that no restart of the
      // shell is missed.
      m_uTaskbarCreated(::RegisterWindowMessageW(L"TaskbarCreated")),
      m_passwordDlg(this),
      m_systemConfigDlg(this),
      m_backupProjectDlg(this),
      m_autoRunDlg(nullptr) {
    ZeroMemory(&m_trayRecord, sizeof(m_trayRecord));
}

CDodavoziDlg::~CDodavoziDlg() = default;

void CDodavoziDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MAIN_HEADER, m_header);
    DDX_Control(dx, IDC_MAIN_TASKLIST, m_taskList);
}

// ---- Start-up ----------------------------------------------------------------

BOOL CDodavoziDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    // The engine's threads post to this window from now on.
    SetMainWindow(m_hWnd, &m_trayRecord);
    // Files set aside before there was a window (the users file is read as
    // the engine is built) are told as soon as the messages flow.
    PostMessage(WM_TW_UNREADABLE_FILE);
    AddAboutMenuItem();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    ApplySkin();
    if (!m_autoRunDlg.CreateHidden(this)) {
        // Without the worker no device logs in: end at once, through the
        // orderly shutdown.
        ShowDodavoziBox(nullptr, Translate(L"Create background window fail!"), MB_ICONERROR);
        OnCancel();
        return TRUE;
    }
    if (!StartupLogin()) {
        OnCancel();
        return TRUE;
    }
    AddTrayIcon();
    m_taskRows.SetUpColumns();
    SetTimer(IDT_TW_TICK, 1000);
    SetUpHints();
    if (GetAppConfig()->m_bAutoBackup) ToggleAutoDownload();
    return TRUE;
}

void CDodavoziDlg::AddAboutMenuItem() {
    CString aboutText;
    if (!aboutText.LoadString(IDS_ABOUTBOX) || aboutText.IsEmpty()) return;
    aboutText.Format(L"%s %s%s", Translate(L"About").GetString(), Translate(L"Dodavozi").GetString(), L"(&A)...");
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (!systemMenu) return;
    systemMenu->AppendMenu(MF_SEPARATOR);
    systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
}

void CDodavoziDlg::ApplySkin() {
    const SKIN_LAYOUT layout = ReadSkinLayout(*GetAppConfig());
    // A picture that does not load is named to the user (an empty box would tell nothing).
    m_skin.InitSkin(this, layout.strMainBackImage, layout.strMainButtonImage, kMainWindowSize, FALSE,
                    Translate(L"System Prompt"), Translate(L"Load background image [FilePath] failed!"));
    LayoutControls();
}

void CDodavoziDlg::LayoutControls() {
    CRect client;
    GetClientRect(&client);
    const int margin = 10;
    int buttonsBottom = 0;
    for (const SKIN_LABEL& entry : kSkinLabels) {
        CRect buttonRect;
        if (SkinButtonRect(entry.buttonId, &buttonRect))
            buttonsBottom = std::max(buttonsBottom, (int)buttonRect.bottom);
    }
    int headerBottom = 0;
    if (m_header.GetSafeHwnd() && buttonsBottom > 0) {
        // The header strip is stretched under the buttons, across the width
        // the skin gave the window.
        headerBottom = buttonsBottom + margin;
        m_header.MoveWindow(0, 0, client.Width(), headerBottom);
        SetStaticBitmap(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MAIN_HEADER)), &m_headerBitmap,
                        &m_header);
    }
    int labelsBottom = headerBottom;
    for (const SKIN_LABEL& entry : kSkinLabels) {
        CWnd* label = GetDlgItem(entry.labelId);
        CRect buttonRect;
        if (!label) continue;
        if (!SkinButtonRect(entry.buttonId, &buttonRect)) {
            label->ShowWindow(SW_HIDE);
            continue;
        }
        CRect labelRect;
        label->GetWindowRect(&labelRect);
        const int width = std::max(LabelTextWidth(label) + 8, buttonRect.Width());
        const int top = headerBottom + 3;
        label->MoveWindow(buttonRect.CenterPoint().x - width / 2, top, width, labelRect.Height());
        labelsBottom = std::max(labelsBottom, top + labelRect.Height());
    }
    CWnd* hints[] = {GetDlgItem(IDC_MAIN_HINT), GetDlgItem(IDC_MAIN_STOPHINT), GetDlgItem(IDC_MAIN_STATUSLINE)};
    CRect hintRect;
    hints[0]->GetWindowRect(&hintRect);
    const int hintTop = client.bottom - margin / 2 - hintRect.Height();
    const int hintWidth = client.Width() * 2 / 3;
    hints[0]->MoveWindow(margin, hintTop, hintWidth, hintRect.Height());
    hints[1]->MoveWindow(margin, hintTop, hintWidth, hintRect.Height());
    hints[2]->MoveWindow(margin + hintWidth, hintTop, client.Width() - 2 * margin - hintWidth, hintRect.Height());
    const int listTop = labelsBottom + margin / 2;
    m_taskList.MoveWindow(margin, listTop, client.Width() - 2 * margin, hintTop - margin / 2 - listTop);
}

bool CDodavoziDlg::SkinButtonRect(UINT id, CRect* rect) {
    CWnd* button = id == IDC_SKIN_DOWNLOAD ? &m_skin.m_downloadStart : GetDlgItem(id);
    if (!button || !button->GetSafeHwnd()) return false;
    button->GetWindowRect(rect);
    ScreenToClient(rect);
    return !rect->IsRectEmpty();
}

int CDodavoziDlg::LabelTextWidth(CWnd* label) {
    CString text;
    label->GetWindowText(text);
    const CBorrowedDC dc(label->m_hWnd);
    CDcSelection useFont(dc.Get(), reinterpret_cast<HGDIOBJ>(label->SendMessage(WM_GETFONT)));
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(dc.Get(), text, text.GetLength(), &size);
    return size.cx;
}

void CDodavoziDlg::SetUpHints() {
    m_startHint.Attach(this, IDC_MAIN_HINT);
    m_stopHint.Attach(this, IDC_MAIN_STOPHINT);
    m_startHint.SetHint(IDC_SKIN_DOWNLOAD, Translate(L"Start downloading."));
    m_startHint.SetHint(IDC_SKIN_MANAGE, Translate(L"Query/Backup/Play/Delete records."));
    m_startHint.SetHint(IDC_SKIN_SEARCH, Translate(L"Query and export logs."));
    m_startHint.SetHint(IDC_SKIN_SYSCONFIG, Translate(L"Modify password.Manage users and devices."));
    m_startHint.SetHint(IDC_SKIN_EXIT, Translate(L"Exit system."));
    m_stopHint.SetHint(IDC_SKIN_DOWNLOAD, Translate(L"Stop downloading."));
}

int CDodavoziDlg::StartupLogin() {
    CAppConfig* config = GetAppConfig();
    SetAutoStart(L"Dodavozi", GetModuleFilePath(), config->m_bAutoStartup);
    CLoginDlg login(LOGIN_MODE_STARTUP, nullptr);
    if (login.DoModal() != IDOK) return 0;
    WriteUserLogRecord(LOG_USER_LOGIN, L"Login Succeed!");
    TellRefusedValues(this);
    TellHeldBackDevices(this, Engine().Devices());
    if (!EnsureDevices()) return 0;
    QueueAllDevicesForLogin();
    m_autoRunDlg.StartMaintainThread();
    return 1;
}

bool CDodavoziDlg::EnsureDevices() {
    std::vector<DEVICE_RECORD> devices;
    for (Engine().GetAllDevices(devices); devices.empty(); Engine().GetAllDevices(devices)) {
        ShowDodavoziBox(this, Translate(L"Please add some device's informations!"), MB_ICONWARNING);
        CDevManageDlg first(nullptr);
        ConnectDeviceDialog(first);
        if (first.DoModal() != IDOK) return false;
    }
    return true;
}

void CDodavoziDlg::ConnectDeviceDialog(CDevManageDlg& dialog) {
    dialog.SetLoginQueue([this](const DEVICE_RECORD& device) { m_autoRunDlg.QueueDeviceLogin(device); });
    // Windows left open must not offer devices that are gone or miss the
    // ones just added.
    dialog.SetCommitListener([this] { RefreshDeviceLists(); });
}

void CDodavoziDlg::RefreshDeviceLists() {
    CProjectEditDlg& editor = m_backupProjectDlg.GetEditor();
    if (m_backupProjectDlg.GetSafeHwnd() && editor.GetSafeHwnd()) {
        // Hidden while its tree is rebuilt, so no half-filled tree is drawn.
        const bool shown = editor.IsWindowVisible() != FALSE;
        if (shown) editor.ShowWindow(SW_HIDE);
        editor.FillDeviceList();
        if (shown) editor.ShowWindow(SW_SHOW);
    }
    if (m_recordManageDlg.GetSafeHwnd() && m_recordManageDlg.m_localPage.GetSafeHwnd())
        m_recordManageDlg.m_localPage.FillDeviceCombo();
}

void CDodavoziDlg::QueueAllDevicesForLogin() {
    std::vector<DEVICE_RECORD> devices;
    Engine().GetAllDevices(devices);
    for (const DEVICE_RECORD& device : devices) {
        if (device.id != 0) m_autoRunDlg.QueueDeviceLogin(device);
    }
    m_autoRunDlg.StartLoginThread();
}

void CDodavoziDlg::AddTrayIcon() {
    if (::AddTrayIcon(m_hWnd, m_hIcon, WM_TW_TRAY_NOTIFY, Translate(L"ZIRToolTipText"), &m_trayRecord)) {
        m_bTrayIconAdded = true;
        return;
    }
    // The shell refuses to add an icon it already shows (a "TaskbarCreated"
    // without a restart): that icon is still ours to remove at exit.
    m_bTrayIconAdded = IsTrayIconShown();
}

bool CDodavoziDlg::IsTrayIconShown() {
    // A change succeeds only for an icon the shell has; the tooltip is the
    // one thing changed, to its current translation.
    NOTIFYICONDATAW probe = m_trayRecord;
    probe.uFlags = NIF_TIP;
    return m_trayRecord.hWnd != nullptr && ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

// ---- Window messages -------------------------------------------------------------

void CDodavoziDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void CDodavoziDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CDodavoziDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CDodavoziDlg::OnClose() {
    // The program lives on in the notification area, so without its icon
    // there the window would be lost for good (a second start is refused).
    if (!m_bTrayIconAdded || !IsTrayIconShown()) return;
    ShowWindow(SW_HIDE);
    m_nVisible = 0;
}

void CDodavoziDlg::OnTimer(UINT_PTR id) {
    if (id == IDT_TW_TICK) {
        Engine().RunDownloads();
        int automaticOn = 0, manualOn = 0;
        Engine().GetBackupState(&automaticOn, &manualOn);
        if (automaticOn || manualOn) {
            m_taskRows.Refresh();
        } else {
            m_taskList.DeleteAllRows();
            UpdateStartStopButton(TRUE);
        }
    }
    CDialog::OnTimer(id);
}

// Enter ends nothing here: only Exit, once confirmed, ends the program (and
// writes the log-off record).
void CDodavoziDlg::OnOK() {}

void CDodavoziDlg::OnCancel() { CDialog::OnCancel(); }

// ---- Automatic and manual download --------------------------------------------------

void CDodavoziDlg::UpdateStartStopButton(BOOL showStart) {
    ShowDownloadTwin(!showStart);
    const CString text = Translate(showStart ? L"Start" : L"Stop");
    SetDlgItemText(IDC_MAIN_STARTSTOP, text);
    SetDlgItemText(IDC_MAIN_STARTSTOP_LABEL, text);
}

void CDodavoziDlg::ShowDownloadTwin(bool running) {
    if (m_skin.m_downloadStart.GetSafeHwnd()) m_skin.m_downloadStart.ShowWindow(running ? SW_HIDE : SW_SHOW);
    if (m_skin.m_downloadStop.GetSafeHwnd()) m_skin.m_downloadStop.ShowWindow(running ? SW_SHOW : SW_HIDE);
}

void CDodavoziDlg::OnStartStop() {
    if (ShowDownloadMenu() < 0) ToggleAutoDownload();
}

int CDodavoziDlg::ShowDownloadMenu() {
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    if (!manualOn) return -1;
    CMenu menu;
    BuildDownloadMenu(menu, automaticOn, manualOn);
    POINT cursor;
    ::GetCursorPos(&cursor);
    const UINT choice = TrackMenu(menu, cursor.x, cursor.y);
    if (choice == ID_TW_AUTO_DOWNLOAD) {
        // A start the engine refuses is told, and the button follows the
        // engine's state rather than the choice.
        if (automaticOn)
            Engine().StopAutoBackup();
        else
            StartAutoBackupAndReport();
    } else if (choice == ID_TW_MANUAL_DOWNLOAD) {
        Engine().StopManualDownload();
    } else {
        return 0;
    }
    m_taskList.DeleteAllRows();
    Engine().GetBackupState(&automaticOn, &manualOn);
    UpdateStartStopButton(!automaticOn && !manualOn);
    return 0;
}

bool CDodavoziDlg::DownloadSettingsComplete() {
    CAppConfig* config = GetAppConfig();
    return !config->GetSaveDirList().empty() && config->m_nDriveFreeSpaceLimit >= kMinDriveFreeSpaceMB &&
           !config->GetDownloadNameRule().IsEmpty();
}

bool CDodavoziDlg::CompleteDownloadSettings() {
    while (!DownloadSettingsComplete()) {
        ShowDodavoziBox(this,
                        Translate(L"Please set download path or drive space limit size or download file name rule!"),
                        MB_ICONWARNING);
        CAppConfig* config = GetAppConfig();
        CSystemConfigDlg settings(config->m_bAutoLogin, config->m_bAutoStartup, config->m_bAutoBackup,
                                  config->m_nDriveFreeSpaceLimit, config->GetDownloadNameRule(), nullptr);
        if (settings.DoModal() != IDOK) return false;
    }
    return true;
}

void CDodavoziDlg::StartAutoBackupAndReport() {
    if (Engine().StartAutoBackup() < 0) {
        ShowDodavoziBox(this, Translate(L"Start backup schedule fail!"), MB_ICONINFORMATION);
    }
}

void CDodavoziDlg::ToggleAutoDownload() {
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    // Stopping needs neither devices nor settings.
    if (automaticOn) {
        if (Engine().StopAutoBackup() == 0) {
            ShowDownloadTwin(false);
            m_taskList.DeleteAllRows();
        }
        UpdateStartStopLabel();
        return;
    }
    if (!EnsureDevices()) return;
    QueueAllDevicesForLogin();
    if (!CompleteDownloadSettings()) return;
    // Without schedules the operator gets the schedule list to add some;
    // leaving it any other way than OK abandons the start.
    while (Engine().StartAutoBackup() < 0) {
        ShowDodavoziBox(this, Translate(L"Start backup schedule fail!"), MB_ICONINFORMATION);
        CBackupProjectDlg schedules(nullptr);
        if (schedules.DoModal() != IDOK) {
            UpdateStartStopLabel();
            return;
        }
    }
    ShowDownloadTwin(true);
    UpdateStartStopLabel();
}

void CDodavoziDlg::UpdateStartStopLabel() {
    // Only the automatic state decides the words here.
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    const CString text = Translate(automaticOn ? L"Stop" : L"Start");
    SetDlgItemText(IDC_MAIN_STARTSTOP, text);
    SetDlgItemText(IDC_MAIN_STARTSTOP_LABEL, text);
}

// ---- Exit and shutdown -----------------------------------------------------------------

void CDodavoziDlg::OnExit() { ExitApplication(); }

void CDodavoziDlg::ExitApplication() {
    CLoginDlg confirm(LOGIN_MODE_EXIT, nullptr);
    if (confirm.DoModal() != IDOK) return;
    WriteUserLogRecord(LOG_USER_LOGOFF, L"Logoff Succeed!");
    CDialog::OnCancel();
}

BOOL CDodavoziDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_MOUSEMOVE) {
        if (HWND under = HintTargetOf(m_hWnd, *msg)) ShowHoverHint(::GetDlgCtrlID(under));
    }
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && msg->wParam == VK_ESCAPE) {
        // Only a fresh press asks: neither the key's release (after the
        // press that answered the confirmation) nor its auto-repeat does.
        if (msg->message == WM_KEYDOWN && !(msg->lParam & (1 << 30))) ExitApplication();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CDodavoziDlg::ShowHoverHint(int id) {
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    const bool stopHint = id == static_cast<int>(IDC_SKIN_DOWNLOAD) && automaticOn;
    GetDlgItem(IDC_MAIN_STOPHINT)->ShowWindow(stopHint ? SW_SHOW : SW_HIDE);
    GetDlgItem(IDC_MAIN_HINT)->ShowWindow(stopHint ? SW_HIDE : SW_SHOW);
    if (stopHint)
        m_stopHint.ShowHint(id);
    else
        m_startHint.ShowHint(id);
}

BOOL CDodavoziDlg::DestroyWindow() {
    KillTimer(IDT_TW_TICK);
    // The record manager's panes go before the engine that feeds them.
    AttachVideoControl(nullptr);
    if (m_recordManageDlg.GetSafeHwnd()) m_recordManageDlg.DestroyWindow();
    Engine().StopAutoBackup();
    Engine().StopManualDownload();
    LogOutDevicesAtShutdown();
    Engine().Shutdown();
    if (m_bTrayIconAdded) {
        DeleteTrayIcon(m_trayRecord);
        m_bTrayIconAdded = false;
    }
    SetMainWindow(nullptr, nullptr);
    return CDialog::DestroyWindow();
}

void CDodavoziDlg::LogOutDevicesAtShutdown() {
    std::vector<DEVICE_RECORD> devices;
    if (Engine().GetLoggedInDevices(devices) != 0) return;
    for (const DEVICE_RECORD& device : devices) {
        Engine().OnDeviceGone(device.id, 1);
        WriteDeviceLogRecord(device, false);
    }
}

void CDodavoziDlg::WriteDeviceLogRecord(const DEVICE_RECORD& device, bool loggedIn) {
    CString text;
    text.Format(L"%s[%s]:%s", Translate(L"Device").GetString(), FieldText(device.title).GetString(),
                Translate(loggedIn ? L"Login" : L"Logout").GetString());
    LOG_RECORD entry = NewLogEntry(1, loggedIn ? LOG_DEVICE_LOGIN : LOG_DEVICE_LOGOUT, text);
    entry.L_SrcDevID = device.id;
    Engine().AddLogRecord(entry);
}

void CDodavoziDlg::WriteUserLogRecord(int code, const wchar_t* textKey) {
    Engine().AddLogRecord(NewLogEntry(0, code, Translate(textKey)));
}
