// CRecordManageDlg: the record manager window (dialog 132): the Local Record
// and To Avi pages in a tab control on the left, the four-pane video window
// control on the right (pane n shows engine playback slot n) and the play
// bar below it. Modeless and created once: closing stops the four panes and
// only hides the window. UI thread.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>
#include <AfxOleControls.h>

#include "CLocalRecManageDlg.h"
#include "CPlayControlDlg.h"
#include "CRecordToAVIDlg.h"
#include "CRerezedctrl1.h"
#include "app/ui/toolkit/CWndResizeInfo.h"

class CAppConfig;
class CRecordManageHost;

class CRecordManageDlg : public CDialog, public CWndResizeInfo {
    DECLARE_DYNAMIC(CRecordManageDlg)
public:
    enum { IDD = 132 };
    static const UINT_PTR kPaneTimer = 4660;
    static const int kPaneCount = 4;
    static const int kMinTrackWidth = 682;
    static const int kMinTrackHeight = 512;

    // The play bar's skin reads skinConfig, or GetAppConfig() when NULL.
    explicit CRecordManageDlg(const CAppConfig* skinConfig = nullptr);
    ~CRecordManageDlg() override;

    // The window that plays files and copies for the pages and the play bar:
    // the one set here, else the application's main window when it is one.
    void SetHost(CRecordManageHost* host) { m_host = host; }
    CRecordManageHost* GetHost() const;

    // Shows the page the tab control selects (0 Local Record, 1 To Avi),
    // focuses it and hides the other.
    void OnSelchangeTab();
    // After a file opened in the selected pane: selects the next pane, unless
    // the view is maximised, none is selected or it was the last one.
    void SelectNextWindow();
    HWND GetPaneWindow(int pane);
    int GetSelectedPane();
    int InitDialogCount() const { return m_initDialogCount; }

    CTabCtrl m_tab;
    CLocalRecManageDlg m_localPage;
    CRecordToAVIDlg m_aviPage;
    CWndResizeInfo m_pageLayout;
    CPlayControlDlg m_playBar;
    CRerezedctrl1 m_video;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnTabSelChange(NMHDR* header, LRESULT* result);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnClose();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSizing(UINT side, LPRECT rect);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    void OnPaneButton(long pane, long button, short state);
    void OnDblClickVideo();
    void OnSelectionChanged(long pane, long old, long reserved);
    void OnZoomRect(long pane, long left, long top, long right, long bottom, short reserved);
    void OnClickVideo();
    DECLARE_EVENTSINK_MAP()

private:
    void CreatePages();
    void PlacePlayBar();
    void RegisterLayout();
    void InitVideoControl();
    void FitVideoToFourThree();
    void RefreshPane(int pane);
    // Sound of the selected pane's slot follows its sound state; with reset,
    // a zoomed pane also gets its whole picture back.
    void FollowSelectedPane(bool resetZoom);
    void ResetDisplayRegion(int pane);
    void SetPaneSound(int pane, short state);
    void SetPaneZoom(int pane, short state);
    void ClosePane(int pane);
    bool IsZoomMode(int pane) { return m_video.GetWindowState(pane, 5) == 1; }

    CRecordManageHost* m_host = nullptr;
    int m_initDialogCount = 0;
};
