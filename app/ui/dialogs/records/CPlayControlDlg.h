// CPlayControlDlg: the skinned play bar below the record manager's video
// window (dialog 141). Its buttons and position slider come from play.ini;
// every command applies to the video control's selected pane, the engine
// slot of the same index. It keeps no playback state: each tick and command
// reads the slot and the selection anew. UI thread.
#pragma once

#include <afxwin.h>

#include "app/core/TwMessages.h"
#include "app/engine/RECORD_TASK.h"
#include "app/ui/toolkit/CPlayControlDlgSkin.h"

class CAppConfig;
class CRecordManageDlg;

class CPlayControlDlg : public CDialog {
    DECLARE_DYNAMIC(CPlayControlDlg)
public:
    enum { IDD = 141 };
    static const UINT_PTR kRefreshTimer = 1;
    static const UINT kFirstPlaylistCommand = 1024;

    // The skin reads config, or GetAppConfig() when NULL.
    explicit CPlayControlDlg(const CAppConfig* config = nullptr);

    void SetManager(CRecordManageDlg* manager) { m_manager = manager; }
    // The slider's percent for a slot: 0 without a source or a length; the
    // position in 64 bits, and 100 once the position passes the length.
    static int PlayPercent(const RECORD_TASK& slot);
    // One refresh tick: slider position and the Pause/Start pair.
    void RefreshPosition();

    CPlayControlDlgSkin m_skin;

protected:
    void DoDataExchange(CDataExchange* dx) override {}
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnSliderPos(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPause();
    afx_msg void OnStart();
    afx_msg void OnStop();
    afx_msg void OnFast();
    afx_msg void OnSlow();
    afx_msg void OnOpenFile();
    afx_msg void OnPlayList();
    DECLARE_MESSAGE_MAP()

private:
    // -1 when no pane is selected or there is no video control.
    int SelectedPane();
    void SendSlotCommand(int command);
    void ShowPausedView(bool paused);

    const CAppConfig* m_config;
    CRecordManageDlg* m_manager = nullptr;
};
