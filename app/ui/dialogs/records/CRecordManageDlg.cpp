#include "CRecordManageDlg.h"

#include <AfxDDX.h>

#include "CRecordEngine.h"
#include "CRecordManageHost.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/ui/toolkit/CLoadBmp.h"
#include "app/ui/dialogs/resource.h"

IMPLEMENT_DYNAMIC(CRecordManageDlg, CDialog)

namespace {

const int kWindowStateSound = 1;
const int kWindowStateZoom = 5;
const int kZoomButton = 5;

const wchar_t* const kSpeedTexts[] = {L"X 1/8", L"X 1/4", L"X 1/2", L"X 1", L"X 2", L"X 4", L"X 8"};

// The slot's source has been played to its end: a device record when its
// position reads -1, a local file when all of its kilobytes have been read.
bool IsPlayedOut(const RECORD_TASK& slot) {
    const RECORD_SOURCE& source = slot.source;
    if (source.itemType == SOURCE_ITEM_DEVICE) return source.done == kSourceDone;
    return static_cast<uint32_t>(source.received) / 1024 >= source.desc.sizeKB;
}

}  // namespace

CRecordManageDlg::CRecordManageDlg(const CAppConfig* skinConfig) : CDialog(IDD_RECORD_MANAGE), m_playBar(skinConfig) {}

CRecordManageDlg::~CRecordManageDlg() {
    // The control goes before the dialog, so no event reaches a window on its way out.
    if (m_video.GetSafeHwnd()) m_video.DestroyWindow();
    if (GetSafeHwnd()) DestroyWindow();
}

BEGIN_MESSAGE_MAP(CRecordManageDlg, CDialog)
ON_NOTIFY(TCN_SELCHANGE, IDC_RECMAN_TAB, OnTabSelChange)
ON_WM_ACTIVATE()
ON_WM_CLOSE()
ON_WM_SIZE()
ON_WM_SIZING()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CRecordManageDlg, CDialog)
ON_EVENT(CRecordManageDlg, IDC_RECMAN_VIDEO, 3, OnPaneButton, VTS_I4 VTS_I4 VTS_I2)
ON_EVENT(CRecordManageDlg, IDC_RECMAN_VIDEO, -601, OnDblClickVideo, VTS_NONE)
ON_EVENT(CRecordManageDlg, IDC_RECMAN_VIDEO, 1, OnSelectionChanged, VTS_I4 VTS_I4 VTS_I4)
ON_EVENT(CRecordManageDlg, IDC_RECMAN_VIDEO, 7, OnZoomRect, VTS_I4 VTS_I4 VTS_I4 VTS_I4 VTS_I4 VTS_I2)
ON_EVENT(CRecordManageDlg, IDC_RECMAN_VIDEO, -600, OnClickVideo, VTS_NONE)
END_EVENTSINK_MAP()

CRecordManageHost* CRecordManageDlg::GetHost() const {
    return m_host ? m_host : dynamic_cast<CRecordManageHost*>(AfxGetMainWnd());
}

void CRecordManageDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_RECMAN_TAB, m_tab);
    DDX_Control(dx, IDC_RECMAN_VIDEO, m_video);
}

BOOL CRecordManageDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ++m_initDialogCount;
    GetInitLanguage()->TranslateDialog(this);
    CenterWindow();
    CInitLanguage* language = GetInitLanguage();
    m_tab.InsertItem(0, language->GetString(L"Local Record"));
    m_tab.InsertItem(1, language->GetString(L"To Avi"));
    CreatePages();
    m_playBar.SetManager(this);
    m_playBar.Create(IDD_PLAY_CONTROL, this);
    CRect client;
    GetClientRect(&client);
    m_nLayoutWidth = client.Width();
    m_nLayoutHeight = client.Height();
    PlacePlayBar();
    RegisterLayout();
    InitVideoControl();
    SetTimer(kPaneTimer, 1000);
    if (CWnd* parent = GetParent()) {
        CRect parentRect;
        parent->GetWindowRect(&parentRect);
        MoveWindow(&parentRect, FALSE);
    }
    FitVideoToFourThree();
    m_localPage.SetFocus();
    return TRUE;
}

void CRecordManageDlg::CreatePages() {
    m_localPage.SetManager(this);
    m_aviPage.SetManager(this);
    m_localPage.Create(IDD_LOCAL_RECORD, &m_tab);
    m_aviPage.Create(IDD_RECORD_TO_AVI, &m_tab);
    CRect area;
    m_tab.GetClientRect(&area);
    m_localPage.MoveWindow(5, 25, area.Width() - 10, area.Height() - 30);
    m_aviPage.MoveWindow(5, 25, area.Width() - 10, area.Height() - 30);
    m_localPage.ShowWindow(SW_SHOW);
    m_aviPage.ShowWindow(SW_HIDE);
}

void CRecordManageDlg::PlacePlayBar() {
    CRect video = GetCtrlRect(this, IDC_RECMAN_VIDEO);
    const int top = (m_nLayoutHeight + video.bottom) / 2 - 28;
    m_playBar.MoveWindow(406, top, 382, 56);
    m_playBar.ShowWindow(SW_SHOW);
}

void CRecordManageDlg::RegisterLayout() {
    AddLayoutCtrlVH(this, IDC_RECMAN_TAB, 1, 1, 1, 0, 0, 0, m_layoutItems);
    AddLayoutCtrlVH(this, IDC_RECMAN_VIDEO, 1, 1, 1, 1, 0, 0, m_layoutItems);
    AddLayoutWndVH(this, &m_playBar, 0, 1, 0, 0, 0, 0, m_layoutItems);
    CRect area;
    m_tab.GetClientRect(&area);
    m_pageLayout.m_nLayoutWidth = area.Width();
    m_pageLayout.m_nLayoutHeight = area.Height();
    AddLayoutWndVH(&m_tab, &m_localPage, 1, 1, 1, 1, 0, 0, m_pageLayout.m_layoutItems);
    AddLayoutWndVH(&m_tab, &m_aviPage, 1, 1, 1, 1, 0, 0, m_pageLayout.m_layoutItems);
}

void CRecordManageDlg::InitVideoControl() {
    CAppConfig* config = GetAppConfig();
    m_video.LoadLanguageFile(GetInitLanguage()->GetLanguageFile());
    if (!config->m_strWndPic.IsEmpty()) {
        const CRect size = CLoadBmp::ParseRect(config->m_strWndPicSize);
        m_video.SetBackImage(config->m_strWndPic, size.left, size.top);
    }
    m_video.SetSplitMode(kPaneCount);
    m_video.SetWindowCount(kPaneCount);
    for (int pane = 0; pane < kPaneCount; ++pane) {
        m_video.SetWindowOption(pane, 14, FALSE);
        m_video.SetWindowMode(pane, 0);
    }
}

void CRecordManageDlg::FitVideoToFourThree() {
    CRect video = GetCtrlRect(this, IDC_RECMAN_VIDEO);
    int width = video.Width();
    int height = video.Height() - 32;
    if (3 * width >= 4 * height)
        width = height * 4 / 3;
    else
        height = width * 3 / 4;
    m_video.MoveWindow(video.left, video.top, width, height, TRUE);
}

void CRecordManageDlg::OnTabSelChange(NMHDR*, LRESULT* result) {
    OnSelchangeTab();
    *result = 0;
}

void CRecordManageDlg::OnSelchangeTab() {
    const bool avi = m_tab.GetCurSel() == 1;
    CDialog& shown = avi ? static_cast<CDialog&>(m_aviPage) : m_localPage;
    CDialog& hidden = avi ? static_cast<CDialog&>(m_localPage) : m_aviPage;
    shown.ShowWindow(SW_SHOW);
    shown.SetFocus();
    hidden.ShowWindow(SW_HIDE);
}

void CRecordManageDlg::SelectNextWindow() {
    short mode = 0, other = 0;
    m_video.GetMaxMode(&mode, &other);
    if (mode == 1) return;
    const long selected = m_video.GetSelectedWindow();
    if (selected < 0) return;
    if (selected + 1 < kPaneCount) m_video.SetSelectedWindow(selected + 1);
}

HWND CRecordManageDlg::GetPaneWindow(int pane) { return m_video.PaneWindow(pane); }

int CRecordManageDlg::GetSelectedPane() { return m_video.GetSelectedWindow(); }

void CRecordManageDlg::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CDialog::OnActivate(state, other, minimized);
    // Only on activation: taking the focus while losing it would pull the
    // activation straight back.
    if (state != WA_INACTIVE && m_localPage.GetSafeHwnd()) m_localPage.SetFocus();
}

void CRecordManageDlg::OnClose() {
    CRecordEngine& engine = GetRecordEngine();
    for (int pane = 0; pane < kPaneCount; ++pane) {
        engine.StopSlot(pane);
        engine.ClearSlotPlaylist(pane);
    }
    EndDialog(IDCANCEL);
}

void CRecordManageDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (!GetSafeHwnd() || type == SIZE_MINIMIZED || m_nLayoutWidth == 0) return;
    ApplyLayout(this, m_nLayoutWidth, m_nLayoutHeight, cx, cy, m_layoutItems);
    if (m_tab.GetSafeHwnd()) {
        CRect area;
        m_tab.GetClientRect(&area);
        ApplyLayout(&m_tab, m_pageLayout.m_nLayoutWidth, m_pageLayout.m_nLayoutHeight, area.Width(), area.Height(),
                    m_pageLayout.m_layoutItems);
    }
}

void CRecordManageDlg::OnSizing(UINT side, LPRECT rect) {
    if (rect->right - rect->left < kMinTrackWidth) rect->right = rect->left + kMinTrackWidth;
    if (rect->bottom - rect->top < kMinTrackHeight) rect->bottom = rect->top + kMinTrackHeight;
    CDialog::OnSizing(side, rect);
}

void CRecordManageDlg::OnTimer(UINT_PTR id) {
    if (id == kPaneTimer)
        for (int pane = 0; pane < kPaneCount; ++pane) RefreshPane(pane);
    CDialog::OnTimer(id);
}

void CRecordManageDlg::RefreshPane(int pane) {
    CRecordEngine& engine = GetRecordEngine();
    RECORD_TASK slot;
    engine.GetSlot(pane, &slot);
    const bool hasSource = SlotHasSource(slot);
    const int speed = slot.source.speedIndex;
    CString text;
    if (hasSource && speed >= 0 && speed <= 6) text = kSpeedTexts[speed];
    m_video.SetWindowInfoText(pane, text);
    if (!IsZoomMode(pane)) engine.RefreshSlotDisplay(pane);
    if (!hasSource || slot.source.desc.sizeKB == 0 || !IsPlayedOut(slot) || !engine.IsSlotDrained(pane)) return;
    if (engine.PlayNextInSlot(pane, GetPaneWindow(pane)) != 0) return;
    // The next file starts at normal speed: step it back to the pane's speed.
    for (int step = speed; step > 3; --step) engine.ControlSlot(pane, 5, 0);
    for (int step = speed; step < 3; ++step) engine.ControlSlot(pane, 6, 0);
}

void CRecordManageDlg::OnDestroy() {
    KillTimer(kPaneTimer);
    if (m_video.GetSafeHwnd()) m_video.DestroyWindow();
    CDialog::OnDestroy();
}

void CRecordManageDlg::OnPaneButton(long pane, long button, short state) {
    if (pane < 0 || pane >= kPaneCount) return;
    switch (button) {
        case 1: SetPaneSound(pane, state); break;
        case 2: GetRecordEngine().SnapshotSlot(pane); break;
        case kZoomButton: SetPaneZoom(pane, state); break;
        case 7: ClosePane(pane); break;
        default: break;
    }
}

void CRecordManageDlg::SetPaneSound(int pane, short state) {
    if (state != 0) {
        // A slot without sound keeps its button off.
        if (GetRecordEngine().SetSlotSound(pane, 1) != 0) return;
        m_video.SetWindowState(pane, kWindowStateSound, 1);
    } else {
        GetRecordEngine().SetSlotSound(pane, 0);
        m_video.SetWindowState(pane, kWindowStateSound, 0);
    }
}

void CRecordManageDlg::SetPaneZoom(int pane, short state) {
    RECORD_TASK slot;
    GetRecordEngine().GetSlot(pane, &slot);
    if (!SlotIsOpen(slot)) return;
    if (state == 1) {
        m_video.SetWindowState(pane, kWindowStateZoom, 1);
        m_video.EnableZoomRect(pane, 1);
    } else {
        m_video.SetWindowState(pane, kWindowStateZoom, 0);
        m_video.EnableZoomRect(pane, 0);
        ResetDisplayRegion(pane);
    }
}

void CRecordManageDlg::ClosePane(int pane) {
    CRecordEngine& engine = GetRecordEngine();
    engine.StopSlot(pane);
    engine.ClearSlotPlaylist(pane);
    m_video.ClearWindow(pane);
    m_video.SetWindowInfoText(pane, L"");
    m_video.SetWindowTitle(pane, L"");
    m_video.SetWindowState(pane, kWindowStateZoom, 0);
    m_video.SetWindowState(pane, kWindowStateSound, 0);
    m_video.EnableZoomRect(pane, 0);
}

void CRecordManageDlg::ResetDisplayRegion(int pane) {
    const RECT whole = {1, 1, 1, 1};
    GetRecordEngine().SetSlotDisplayRegion(pane, 0, whole, whole, nullptr, 0);
}

void CRecordManageDlg::OnDblClickVideo() {
    short mode = 0, other = 0;
    m_video.GetMaxMode(&mode, &other);
    m_video.SetMaxMode(!mode);
}

void CRecordManageDlg::FollowSelectedPane(bool resetZoom) {
    const long pane = m_video.GetSelectedWindow();
    if (pane < 0 || pane >= kPaneCount) return;
    GetRecordEngine().SetSlotSound(pane, m_video.GetWindowState(pane, kWindowStateSound) == 1);
    if (resetZoom && IsZoomMode(pane)) {
        ResetDisplayRegion(pane);
        m_video.SetWindowState(pane, kWindowStateZoom, 0);
    }
}

void CRecordManageDlg::OnSelectionChanged(long, long, long) { FollowSelectedPane(true); }

void CRecordManageDlg::OnClickVideo() { FollowSelectedPane(false); }

void CRecordManageDlg::OnZoomRect(long pane, long left, long top, long right, long bottom, short) {
    if (pane < 0 || pane >= kPaneCount) return;
    HWND window = GetPaneWindow(pane);
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(window, &client);
    if (!IsZoomMode(pane)) return;
    RECT region = {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    if (region.right == region.left || region.bottom == region.top) return;
    GetRecordEngine().SetSlotDisplayRegion(pane, 0, region, client, window, 1);
    m_video.EnableZoomRect(pane, 0);
}
