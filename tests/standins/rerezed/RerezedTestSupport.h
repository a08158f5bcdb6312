// Shared by the control and hosting tests: the control's server loaded and
// registered in this Wine prefix, a dialog hosting it that records every
// event it receives, and real mouse input.
#pragma once

#include <afxwin.h>
#include <AfxOleControls.h>

#include <vector>

#include "WaitFor.h"
#include "app/ui/dialogs/records/CRerezedctrl1.h"

struct RerezedServer {
    // Loads Rerezed.ocx and registers it (both once per process).
    static HMODULE Module();
    static HRESULT Register();
    static HRESULT Unregister();
    // S_OK when no control object is alive and no lock is held.
    static HRESULT CanUnloadNow();
};

struct RecordedEvent {
    DISPID id;
    std::vector<long> args;
    bool operator==(const RecordedEvent& o) const { return id == o.id && args == o.args; }
};
void PrintTo(const RecordedEvent& e, std::ostream* os);

class CVideoHostDlg : public CDialog {
public:
    explicit CVideoHostDlg(UINT templateId = 132) : CDialog(templateId) {}
    CRerezedctrl1 m_video;
    std::vector<RecordedEvent> events;
    int initDialogCalls = 0;
    HWND videoAtInit = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnSelectionChanged(long pane, long old, long third) { events.push_back({1, {pane, old, third}}); }
    void OnPaneButton(long pane, long button, short state) { events.push_back({3, {pane, button, state}}); }
    void OnZoomRect(long pane, long l, long t, long r, long b, short z) {
        events.push_back({7, {pane, l, t, r, b, z}});
    }
    void OnClickVideo() { events.push_back({-600, {}}); }
    void OnDblClickVideo() { events.push_back({-601, {}}); }
    DECLARE_EVENTSINK_MAP()
};

// Clicks (or double-clicks) at a point of window's client area through
// SendInput, then lets the messages arrive.
void ClickAt(HWND window, POINT client, bool twice = false);
// A left-button drag between two client points of window.
void DragIn(HWND window, POINT from, POINT to);
