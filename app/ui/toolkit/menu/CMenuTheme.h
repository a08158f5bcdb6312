// One draw style of the menu library: its measure, item and title routines,
// whether it removes a popup's system border to paint its own (with
// transparency and a shadow), and how it paints that border and background.
#pragma once

#include <afxwin.h>

class CStyleMenu;

typedef void (CStyleMenu::*MenuMeasureRoutine)(LPMEASUREITEMSTRUCT, BOOL menuBar);
typedef void (CStyleMenu::*MenuDrawRoutine)(LPDRAWITEMSTRUCT, BOOL menuBar);

// Bits of CMenuTheme::flags.
enum : int { kThemeOwnBorder = 0x1 };

class CMenuTheme {
public:
    // No routines: such a theme must never become current.
    CMenuTheme();
    CMenuTheme(int styleId, MenuMeasureRoutine measure, MenuDrawRoutine draw, MenuDrawRoutine title, int flags);
    virtual ~CMenuTheme() {}

    // Decorates a popup window of a subclassed menu; TRUE when the theme took over its frame.
    virtual BOOL PopupShown(HWND window);
    virtual BOOL PopupHidden(HWND window);
    virtual BOOL DrawsOwnBorder() const { return (flags & kThemeOwnBorder) != 0; }
    virtual void UpdateSysColors();
    virtual void UpdateMetrics();
    virtual BOOL PaintBorder(HWND window, HDC dc, BOOL after);
    virtual BOOL EraseBackground(HWND window, HDC dc);
    virtual BOOL CalcNonClientSize(HWND window, RECT* rect);
    virtual BOOL WindowPosChanging(HWND window, WINDOWPOS* pos);
    virtual BOOL GetFrameRect(HWND window, RECT* rect);
    virtual void DrawGripper(CDC* dc, RECT* rect, DWORD barStyle, int left, int right, int top, int bottom);
    virtual void DrawBarCorners(CDC* dc, RECT* rect, DWORD barStyle);
    virtual void GetBarColors(COLORREF* light, COLORREF* mid, COLORREF* dark, COLORREF* edge);

    BOOL HasRoutines() const { return measure != nullptr && draw != nullptr && title != nullptr; }

    int styleId;
    int flags;
    MenuMeasureRoutine measure;
    MenuDrawRoutine draw;
    MenuDrawRoutine title;
    SIZE borderSize;
    SIZE shadowSize;
    COLORREF faceColor = 0, shadowColor = 0, highlightColor = 0, textColor = 0, frameColor = 0;

protected:
    // The fill beside a popup's edge where it meets its menu-bar item.
    void PaintMenuBarJoin(HWND window, HDC dc);
    // Paints the border rings in frame colour, with the given outer edge colour.
    BOOL PaintBorderWith(HWND window, HDC dc, BOOL after, BOOL xpEdge);
};

// Colour rules shared by the styles.
COLORREF GetDefaultMenuColor();
COLORREF GetMenuBackColor(HMENU menu);
COLORREF GetMenuBarColor(HMENU menu);
COLORREF GetThemeBarColors(COLORREF* light, BOOL strong);
COLORREF GetThemeBarColor();
COLORREF GetSelectionColor();
// DarkenColor (10, COLOR_WINDOW): the 2003 styles' popup tint.
COLORREF GetWindowTint();
// The 2003 styles' hot, checked and pressed item colours for the current
// style: fixed ones, but on styles 8 and 9 without a visual theme taken from
// the selection colour.
struct Menu2003Colors {
    COLORREF hot;
    COLORREF checked;
    COLORREF pressed;
};
Menu2003Colors Get2003Colors();

// Changes the library's settings for a scope and puts them back in Restore.
class CStyleMenuStyleScope {
public:
    static CStyleMenuStyleScope FromStyle(int styleId);
    static CStyleMenuStyleScope FromOptions(DWORD options);
    void Restore();

    DWORD savedOptions = 0;
    int savedStyle = -1;
};
