// CCtrlColorChange: background colours of chosen dialog controls by their
// state: focused, read-only (edit controls only) or neither. The dialog's
// WM_CTLCOLOR handler asks OnCtlColor and uses the brush it returns, or its
// default brush for NULL. One solid brush per distinct colour, owned here.
#pragma once

#include <afxwin.h>

#include <map>
#include <memory>

class CCtrlColorChange {
public:
    CCtrlColorChange() = default;
    CCtrlColorChange(const CCtrlColorChange&) = delete;
    CCtrlColorChange& operator=(const CCtrlColorChange&) = delete;

    // Stores (or replaces) the control's three colours and makes a brush for
    // each colour that has none yet.
    void SetCtrlColors(CWnd* dialog, int ctrlId, COLORREF focused, COLORREF normal, COLORREF readOnly);
    // The same for a control given by its window; NULL does nothing.
    void SetWndColors(CWnd* ctrl, COLORREF focused, COLORREF normal, COLORREF readOnly);
    // NULL when the dialog or the DC is NULL; else GetCtrlBrush for the control.
    CBrush* OnCtlColor(CWnd* dialog, CDC* dc, CWnd* ctrl);
    // The control's brush for its state, with the DC's background colour set
    // to match; NULL (the dialog's default brush) for no such or a disabled
    // control, a control without colours, or a colour without brush.
    CBrush* GetCtrlBrush(CWnd* dialog, CDC* dc, int ctrlId);

    size_t GetBrushCount() const { return m_brushes.size(); }

private:
    struct COLOR_SET {
        int ctrlId;
        COLORREF focused;
        COLORREF normal;
        COLORREF readOnly;
    };
    void AddBrush(COLORREF color);
    // ES_READONLY (0x0800) means other things for other classes.
    static bool IsReadOnlyEdit(HWND ctrl);

    std::map<int, COLOR_SET> m_colors;
    std::map<COLORREF, std::unique_ptr<CBrush>> m_brushes;
};
