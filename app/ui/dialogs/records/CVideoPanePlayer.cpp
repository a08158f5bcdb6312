#include "CVideoPanePlayer.h"

#include "CRecordEngine.h"
#include "CRerezedctrl1.h"

CRerezedctrl1* CVideoPanePlayer::LiveControl() const {
    return m_control && ::IsWindow(m_control->GetSafeHwnd()) ? m_control : nullptr;
}

int CVideoPanePlayer::ResolvePane(int pane) const {
    CRerezedctrl1* video = LiveControl();
    if (pane == -1) pane = video ? static_cast<int>(video->GetSelectedWindow()) : -1;
    return pane >= 0 && pane < kPaneCount ? pane : -1;
}

int CVideoPanePlayer::PlayControl(int pane, int command, int value) {
    pane = ResolvePane(pane);
    if (pane < 0) return -1;
    GetRecordEngine().ControlSlot(pane, command, value);
    return 0;
}

int CVideoPanePlayer::PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& paths) {
    pane = ResolvePane(pane);
    CRerezedctrl1* video = LiveControl();
    if (pane < 0 || !video) return kNoPaneSelected;
    const HWND window = video->PaneWindow(pane);
    GetRecordEngine().ClearSlotPlaylist(pane);
    return GetRecordEngine().PlayFilesInSlot(pane, first, second, window, paths);
}
