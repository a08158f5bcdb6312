#include "CPlayControlDlg.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "CRecordEngine.h"
#include "CRecordManageDlg.h"
#include "CRecordManageHost.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/SkinLayout.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

IMPLEMENT_DYNAMIC(CPlayControlDlg, CDialog)

namespace {

const int kNoSelectedPane = -101;
const LPARAM kClosedByPlayBar = 0x0101;

CString Tr(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

int Percent(uint64_t position, uint64_t length) {
    return static_cast<int>(std::min<uint64_t>(100, position * 100 / length));
}

CString PlaylistEntryText(const RECORD_SOURCE& item) {
    if (item.itemType == SOURCE_ITEM_LOCAL) return CString(item.path);
    if (item.itemType != SOURCE_ITEM_DEVICE) return CString();
    const QVNET_TIME& s = item.desc.start;
    const QVNET_TIME& e = item.desc.end;
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d -- %04d-%02d-%02d %02d:%02d:%02d", s.year, s.month, s.day, s.hour,
                s.minute, s.second, e.year, e.month, e.day, e.hour, e.minute, e.second);
    return text;
}

}  // namespace

CPlayControlDlg::CPlayControlDlg(const CAppConfig* config)
    : CDialog(IDD_PLAY_CONTROL), m_skin(config), m_config(config) {}

BEGIN_MESSAGE_MAP(CPlayControlDlg, CDialog)
ON_WM_PAINT()
ON_WM_TIMER()
ON_MESSAGE(WM_TW_SLIDER_POS, OnSliderPos)
ON_BN_CLICKED(IDC_SKIN_PAUSE, OnPause)
ON_BN_CLICKED(IDC_SKIN_START, OnStart)
ON_BN_CLICKED(IDC_SKIN_STOP, OnStop)
ON_BN_CLICKED(IDC_SKIN_FAST, OnFast)
ON_BN_CLICKED(IDC_SKIN_SLOW, OnSlow)
ON_BN_CLICKED(IDC_SKIN_OPENFILE, OnOpenFile)
ON_BN_CLICKED(IDC_SKIN_PLAYLIST, OnPlayList)
END_MESSAGE_MAP()

BOOL CPlayControlDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const CString failText = Tr(L"Load background image [FilePath] failed!");
    const CString caption = Tr(L"System Prompt");
    const CAppConfig& config = m_config ? *m_config : *GetAppConfig();
    const SKIN_LAYOUT layout = ReadSkinLayout(config);
    m_skin.InitSkin(this, layout.strPlayBackImage, layout.strPlayButtonImage, layout.strPlayWindowSize, FALSE, caption,
                    failText);
    // On success the window owns the region.
    m_skin.ApplyMaskRegion();
    if (m_skin.m_start.GetSafeHwnd()) m_skin.m_start.ShowWindow(SW_HIDE);
    // A play.ini without [Sliders] makes no slider.
    if (m_skin.HasSlider()) {
        m_skin.m_slider.StartRefreshTimer();
        m_skin.m_slider.SetRange(0, 100, FALSE);
    }
    SetTimer(kRefreshTimer, 1000);
    GetInitLanguage()->TranslateDialog(this);
    return TRUE;
}

void CPlayControlDlg::OnPaint() {
    CPaintDC dc(this);
    m_skin.PaintBackground(&dc);
}

int CPlayControlDlg::SelectedPane() {
    if (!m_manager || !m_manager->m_video.GetSafeHwnd()) return -1;
    return m_manager->GetSelectedPane();
}

int CPlayControlDlg::PlayPercent(const RECORD_TASK& slot) {
    if (!SlotHasSource(slot)) return 0;
    const RECORD_SOURCE& source = slot.source;
    if (source.desc.recordType == QVNET_RECORD_TIME_RANGE) {
        if (source.total == 0) return 0;
        const uint64_t position = source.done == kSourceDone ? source.total : source.done;
        return Percent(position, source.total);
    }
    if (source.desc.sizeKB == 0) return 0;
    return Percent(static_cast<uint32_t>(source.received) / 1024, source.desc.sizeKB);
}

void CPlayControlDlg::RefreshPosition() {
    const int pane = SelectedPane();
    if (pane < 0) {
        if (m_skin.HasSlider()) m_skin.m_slider.SetPos(0);
        return;
    }
    RECORD_TASK slot;
    GetRecordEngine().GetSlot(pane, &slot);
    ShowPausedView(!SlotHasSource(slot) || slot.source.playState == 1);
    if (m_skin.HasSlider()) m_skin.m_slider.SetPos(PlayPercent(slot));
}

void CPlayControlDlg::ShowPausedView(bool paused) {
    if (m_skin.m_pause.GetSafeHwnd()) m_skin.m_pause.ShowWindow(paused ? SW_HIDE : SW_SHOW);
    if (m_skin.m_start.GetSafeHwnd()) m_skin.m_start.ShowWindow(paused ? SW_SHOW : SW_HIDE);
}

void CPlayControlDlg::OnTimer(UINT_PTR id) {
    if (id == kRefreshTimer) RefreshPosition();
    CDialog::OnTimer(id);
}

LRESULT CPlayControlDlg::OnSliderPos(WPARAM, LPARAM lParam) {
    // The leave notice carries 1 in the high word and so falls outside 0..100.
    const int position = static_cast<int>(lParam);
    if (position < 0 || position > 100) return 0;
    const int pane = SelectedPane();
    if (pane < 0) return 0;
    RECORD_TASK slot;
    GetRecordEngine().GetSlot(pane, &slot);
    CRecordManageHost* host = m_manager->GetHost();
    if (!SlotHasSource(slot) || !host) return 0;
    const int command = slot.source.desc.recordType == QVNET_RECORD_TIME_RANGE ? 7 : 2;
    host->PlayControl(pane, command, position);
    return 0;
}

void CPlayControlDlg::SendSlotCommand(int command) {
    const int pane = SelectedPane();
    if (pane >= 0) GetRecordEngine().ControlSlot(pane, command, 0);
}

void CPlayControlDlg::OnPause() { SendSlotCommand(3); }
void CPlayControlDlg::OnStart() { SendSlotCommand(4); }
void CPlayControlDlg::OnFast() { SendSlotCommand(5); }
void CPlayControlDlg::OnSlow() { SendSlotCommand(6); }

void CPlayControlDlg::OnStop() {
    const int pane = SelectedPane();
    if (pane < 0) return;
    GetRecordEngine().StopSlot(pane);
    GetRecordEngine().ClearSlotPlaylist(pane);
    PostMainWndMessage(WM_TW_SLOT_CLOSED, static_cast<WPARAM>(pane), kClosedByPlayBar);
}

void CPlayControlDlg::OnOpenFile() {
    CRecordManageHost* host = m_manager ? m_manager->GetHost() : nullptr;
    if (!host) return;
    CString filter;
    filter.Format(L"%s(*.duz)|*.duz|%s(*.*)|*.*|", Tr(L"Record Files").GetString(), Tr(L"All Files").GetString());
    const std::vector<CString> files =
        host->ChooseFiles(this, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ALLOWMULTISELECT, filter);
    if (files.empty()) return;
    const int result = host->PlayFilesInPane(-1, 1, 0, files);
    if (result == kNoSelectedPane)
        ShowMessageBox(this, Tr(L"Not Select Window"), MB_ICONINFORMATION, Tr(L"Dodavozi"));
    else if (result == -1)
        ShowMessageBox(this, Tr(L"Open File Fail"), MB_ICONINFORMATION, Tr(L"Dodavozi"));
    else
        host->AdvanceVideoPane(1);
}

void CPlayControlDlg::OnPlayList() {
    CPoint cursor;
    ::GetCursorPos(&cursor);
    const int pane = SelectedPane();
    if (pane < 0) return;
    int current = -1;
    std::vector<RECORD_SOURCE> items;
    GetRecordEngine().GetSlotPlaylist(pane, &current, &items);
    if (items.empty()) return;
    CMenu menu;
    menu.CreatePopupMenu();
    for (size_t i = 0; i < items.size(); ++i) {
        const UINT id = kFirstPlaylistCommand + static_cast<UINT>(i);
        menu.AppendMenu(MF_STRING | (static_cast<int>(i) == current ? MF_CHECKED : 0), id, PlaylistEntryText(items[i]));
    }
    const int chosen = static_cast<int>(menu.TrackPopupMenu(TPM_RETURNCMD, cursor.x, cursor.y, this));
    menu.DestroyMenu();
    if (chosen == 0) return;
    const int index = chosen - static_cast<int>(kFirstPlaylistCommand);
    if (index != current) GetRecordEngine().PlaySlotItem(pane, m_manager->GetPaneWindow(pane), index);
}
