// One pane of the video window control: a title strip (title, info text,
// the small buttons sound, snapshot, zoom and close) over a video child
// window into which the play port draws. The pane never paints over a
// picture: the video child is painted only while the pane is blank (at
// creation and after Clear), until a title or info text says it plays.
#pragma once

#include <string>

#include "CRerezedEventSink.h"

class CRerezedPane {
public:
    CRerezedPane(CRerezedEventSink& sink, int index);
    ~CRerezedPane();
    CRerezedPane(const CRerezedPane&) = delete;
    CRerezedPane& operator=(const CRerezedPane&) = delete;

    // Registers the two window classes of module once; FALSE on failure.
    static bool RegisterClasses(HINSTANCE module);
    static void UnregisterClasses(HINSTANCE module);

    bool Create(HWND parent);
    void Destroy();
    HWND Window() const { return m_pane; }
    HWND VideoWindow() const { return m_video; }
    void MoveTo(const RECT& r, bool visible);

    void SetTitle(const std::wstring& text);
    void SetInfoText(const std::wstring& text);
    const std::wstring& Title() const { return m_title; }
    const std::wstring& InfoText() const { return m_info; }
    // States 1 (sound), 3 and 5 (zoom rectangle mode); others are refused.
    bool SetState(int state, bool on);
    // -1 for a state this control does not keep.
    int GetState(int state) const;
    void SetSelected(bool selected);
    void EnableZoomRect(bool on);
    bool ZoomRectEnabled() const { return m_zoomEnabled; }
    void Clear();
    // Centre of a strip button in the pane's client area; (-1, -1) for none.
    POINT ButtonCentre(int button) const;
    void SetBackImage(HBITMAP image, int width, int height);

    int m_mode = 0;
    DWORD m_options = 0;

private:
    static LRESULT CALLBACK PaneProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK VideoProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaneMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnVideoMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void PaintStrip(HDC dc);
    void PaintBlank(HDC dc);
    RECT ButtonRect(int slot) const;
    int ButtonAt(POINT p) const;
    void PressButton(int button);
    void Layout();
    void DrawRubberBand();

    CRerezedEventSink& m_sink;
    int m_index;
    HWND m_pane = nullptr;
    HWND m_video = nullptr;
    std::wstring m_title;
    std::wstring m_info;
    bool m_sound = false;
    bool m_stateThree = false;
    bool m_zoomState = false;
    bool m_zoomEnabled = false;
    bool m_selected = false;
    bool m_blank = true;
    HBITMAP m_backImage = nullptr;  // owned by the view
    SIZE m_backSize = {0, 0};
    // Zoom drag in video-child client coordinates.
    bool m_dragging = false;
    POINT m_dragStart = {0, 0};
    POINT m_dragNow = {0, 0};
};
