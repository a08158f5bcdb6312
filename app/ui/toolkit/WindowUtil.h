// Window, control and image helpers for the dialogs: layout on resize,
// combo and list filling, message boxes and choosers, monitors, pictures
// and owner-drawn menu items. They keep no state of their own.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include <vector>

class CStyleMenu;
struct IPicture;

// One control registered for re-layout when its dialog is resized.
struct LAYOUT_ITEM {
    CWnd* pWnd;
    RECT rcOrig;  // in the dialog's client coordinates at registration
    int bFixV;
    int bFixH;
    int bAnchorRight;
    int bAnchorBottom;
    int bPropV;
    int bPropH;
};
typedef std::vector<LAYOUT_ITEM> LayoutItems;

// Each returns 0, or -1 when the dialog has no such item / the control is no window.
int AddLayoutCtrl(CWnd* dialog, int id, int fixV, int fixH, int anchorRight, int anchorBottom, int propV, int propH,
                  LayoutItems& items);
int AddLayoutCtrlVH(CWnd* dialog, int id, int fixV, int anchorBottom, int fixH, int anchorRight, int propV, int propH,
                    LayoutItems& items);
int AddLayoutWnd(CWnd* dialog, CWnd* control, int fixV, int fixH, int anchorRight, int anchorBottom, int propV,
                 int propH, LayoutItems& items);
int AddLayoutWndVH(CWnd* dialog, CWnd* control, int fixV, int anchorBottom, int fixH, int anchorRight, int propV,
                   int propH, LayoutItems& items);
// Moves every item from its registered rectangle by the size change. An old
// size of 0 (registered while minimised) gives proportional offsets of 0;
// callers skip layout on SIZE_MINIMIZED. Returns 0.
int ApplyLayout(CWnd* ignored, int oldWidth, int oldHeight, int newWidth, int newHeight, const LayoutItems& items);
// The new rectangle ApplyLayout gives one item.
CRect LayoutRect(const LAYOUT_ITEM& item, int oldWidth, int oldHeight, int newWidth, int newHeight);

// The item's rectangle in the dialog's client coordinates; empty when there is none.
CRect GetCtrlRect(CWnd* dialog, int id);
// Each returns 0, or -1 when the dialog has no such item.
int MoveCtrlOffset(CWnd* dialog, int id, int left, int top, int right, int bottom, int dx, int dy);
int MoveCtrlTo(CWnd* dialog, int id, const RECT& rect);
int OffsetCtrl(CWnd* dialog, int id, int dx, int dy);
void OffsetChildWnd(CWnd* parent, CWnd* child, int dx, int dy);
// Posts the message with the point in screen coordinates (x low, y high
// word of lParam) when the point lies outside the window shrunk by the margins.
void PostMsgIfOutsideMargins(CWnd* window, POINT point, int top, int left, int bottom, int right, UINT message,
                             WPARAM wParam);
// 0 with the work area of the window's nearest monitor (the primary monitor's
// when that query fails); -1 with a zeroed rectangle when both fail.
int GetMonitorWorkRect(CWnd* window, RECT* rect);
int GetMonitorRect(CWnd* window, RECT* rect);
void CenterOnMonitorWorkArea(CWnd* parent, CWnd* window);

int AdjustComboDropWidth(CComboBox* combo);
// The same for a box just filled with texts, measured without reading them
// back one message each.
int AdjustComboDropWidth(CComboBox* combo, const std::vector<CString>& texts);
int AdjustListBoxExtent(CListBox* list);
// Selects the first item whose text equals the text exactly; no change when none does.
void SelectComboItemByText(CComboBox* combo, const CString& text);
CString GetComboSelText(CComboBox* combo);
void SwapListItemText(CListCtrl* list, int column, int rowA, int rowB);
// 1 when a row's text in the column equals text (and, when other is not
// empty, also differs from other); else 0.
int FindListItem(CListCtrl* list, int column, const CString& text, const CString& other);
void DeleteListCtrlItems(CListCtrl* list, int selectedOnly, int item);

int ShowMessageBox(CWnd* owner, const CString& text, UINT type, const CString& caption);
// A control's own tooltip: created on first use (shown at once), its text
// replaced after that. Nothing happens before the control has a window.
void SetControlToolTip(CToolTipCtrl& tip, CWnd* control, const CString& text);
// Hands the mouse message being handled to the control's tooltip, at the
// point given (a control may report another point than the message's).
// Nothing before the tooltip exists.
void RelayToToolTip(CToolTipCtrl& tip, CWnd* control, CPoint point);
// The chosen path, or "" when the user cancels.
CString PromptOpenFile(CWnd* parent, DWORD flags, const CString& filter, const CString& defaultExt);
// The same with the system's save dialog: pass OFN_OVERWRITEPROMPT to have an
// existing file confirmed before it is replaced.
CString PromptSaveFile(CWnd* parent, DWORD flags, const CString& filter, const CString& defaultExt);
// The chosen folder, or "" when the user cancels or the choice has no file-system path.
CString BrowseForFolder(CWnd* owner, const CString& title, const CString& errorText);

// A bitmap for the file: ".BMP" files load directly, other pictures through
// the picture object. NULL when it cannot be loaded.
HBITMAP LoadImageFile(const CString& path);
HBITMAP PictureToBitmap(IPicture* picture);
// 1 when a bitmap of the size was made from the source and attached to the target.
int ScaleBitmapTo(HBITMAP source, CBitmap* target, SIZE size);
// Shows the bitmap scaled to the control (the handle is consumed); 0, or -1
// for a NULL handle, which clears the control's picture.
int SetStaticBitmap(HBITMAP bitmap, CBitmap* holder, CStatic* control);

void AppendMenuSeparator(CStyleMenu* menu);
void AppendMenuBitmapItem(CStyleMenu* menu, HBITMAP bitmap, UINT id, UINT enableFlags);
void AppendMenuTextItem(CStyleMenu* menu, const CString& text, UINT id, UINT enableFlags);
