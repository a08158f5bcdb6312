// The control's window: four panes laid out 2x2, or the selected pane (pane
// 0 when none) filling the window in maximised view. The panes keep their
// windows in both views, so the handles the play ports draw into stay valid.
#pragma once

#include <memory>

#include "CRerezedPane.h"
#include "RerezedGuids.h"

class CRerezedView {
public:
    explicit CRerezedView(CRerezedEventSink& sink);
    ~CRerezedView();
    CRerezedView(const CRerezedView&) = delete;
    CRerezedView& operator=(const CRerezedView&) = delete;

    static bool RegisterClasses(HINSTANCE module);
    static void UnregisterClasses(HINSTANCE module);

    // The window, a child of parent at rect; FALSE when it cannot be made.
    bool Create(HWND parent, const RECT& rect, HINSTANCE module);
    void Destroy();
    HWND Window() const { return m_hWnd; }
    void MoveTo(const RECT& rect);

    // NULL for a pane index outside 0..3.
    CRerezedPane* Pane(long index);
    long Selected() const { return m_selected; }
    // FALSE for an index outside -1..3; fires nothing.
    bool Select(long index);
    // The user picked pane: selects it and fires the change when it is one.
    void SelectByUser(int pane);
    void SetMaxMode(bool on);
    bool MaxMode() const { return m_maxMode; }
    bool SetBackImage(const wchar_t* path, int width, int height);

private:
    static LRESULT CALLBACK ViewProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();

    CRerezedEventSink& m_sink;
    HWND m_hWnd = nullptr;
    std::unique_ptr<CRerezedPane> m_panes[kRerezedPaneCount];
    long m_selected = 0;
    bool m_maxMode = false;
    HBITMAP m_backImage = nullptr;
};
