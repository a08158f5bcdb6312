#include "WindowUtil.h"

#include <commdlg.h>
#include <olectl.h>
#include <shlobj.h>

#include <cmath>

#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "common/UniqueGdi.h"

namespace {

int AppendLayoutItem(CWnd* control, const CRect& rect, int fixV, int fixH, int anchorRight, int anchorBottom, int propV,
                     int propH, LayoutItems& items) {
    LAYOUT_ITEM item = {};
    item.pWnd = control;
    item.rcOrig = rect;
    item.bFixV = fixV;
    item.bFixH = fixH;
    item.bAnchorRight = anchorRight;
    item.bAnchorBottom = anchorBottom;
    item.bPropV = propV;
    item.bPropH = propH;
    items.push_back(item);
    return 0;
}

CRect ClientRectOf(CWnd* dialog, HWND child) {
    CRect rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, dialog->GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND ItemOf(CWnd* dialog, int id) { return dialog ? ::GetDlgItem(dialog->GetSafeHwnd(), id) : nullptr; }

// trunc(v / old * new) - v; 0 when there is no old size to scale from.
int ProportionalOffset(int v, int oldSize, int newSize) {
    if (oldSize == 0) return 0;
    return static_cast<int>(std::trunc(static_cast<double>(v) / oldSize * newSize)) - v;
}

// The offset of the leading edge along one axis, and that of the trailing edge.
void AxisOffsets(int lead, int fixed, int anchored, int proportional, int oldSize, int newSize, int& leadOffset,
                 int& trailOffset) {
    int delta = newSize - oldSize;
    int follow = proportional == 1 ? ProportionalOffset(lead, oldSize, newSize) : delta / 2;
    leadOffset = 0;
    trailOffset = 0;
    if (!fixed) leadOffset = anchored == 1 ? delta : follow;
    if (anchored == 1)
        trailOffset = delta;
    else if (!fixed)
        trailOffset = follow;
}

int MonitorRect(CWnd* window, RECT* rect, bool workArea) {
    MONITORINFO info = {sizeof info};
    HMONITOR monitor = ::MonitorFromWindow(window ? window->GetSafeHwnd() : nullptr, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
        const POINT origin = {0, 0};
        monitor = ::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
        if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
            ::SetRectEmpty(rect);
            return -1;
        }
    }
    *rect = workArea ? info.rcWork : info.rcMonitor;
    return 0;
}

// The widest of the texts as the parent's device context measures them.
int WidestText(CWnd* measureOn, const std::vector<CString>& texts) {
    const CBorrowedDC dc(measureOn->GetSafeHwnd());
    int widest = 0;
    for (const CString& text : texts) {
        SIZE size = {};
        ::GetTextExtentPoint32W(dc.Get(), text, text.GetLength(), &size);
        if (size.cx > widest) widest = size.cx;
    }
    return widest;
}

}  // namespace

int AddLayoutCtrl(CWnd* dialog, int id, int fixV, int fixH, int anchorRight, int anchorBottom, int propV, int propH,
                  LayoutItems& items) {
    HWND child = ItemOf(dialog, id);
    if (!child) return -1;
    return AppendLayoutItem(CWnd::FromHandle(child), ClientRectOf(dialog, child), fixV, fixH, anchorRight, anchorBottom,
                            propV, propH, items);
}

int AddLayoutCtrlVH(CWnd* dialog, int id, int fixV, int anchorBottom, int fixH, int anchorRight, int propV, int propH,
                    LayoutItems& items) {
    return AddLayoutCtrl(dialog, id, fixV, fixH, anchorRight, anchorBottom, propV, propH, items);
}

int AddLayoutWnd(CWnd* dialog, CWnd* control, int fixV, int fixH, int anchorRight, int anchorBottom, int propV,
                 int propH, LayoutItems& items) {
    if (!dialog || !control || !::IsWindow(control->GetSafeHwnd())) return -1;
    return AppendLayoutItem(control, ClientRectOf(dialog, control->GetSafeHwnd()), fixV, fixH, anchorRight,
                            anchorBottom, propV, propH, items);
}

int AddLayoutWndVH(CWnd* dialog, CWnd* control, int fixV, int anchorBottom, int fixH, int anchorRight, int propV,
                   int propH, LayoutItems& items) {
    return AddLayoutWnd(dialog, control, fixV, fixH, anchorRight, anchorBottom, propV, propH, items);
}

CRect LayoutRect(const LAYOUT_ITEM& item, int oldWidth, int oldHeight, int newWidth, int newHeight) {
    int leftOffset, rightOffset, topOffset, bottomOffset;
    AxisOffsets(item.rcOrig.left, item.bFixH, item.bAnchorRight, item.bPropH, oldWidth, newWidth, leftOffset,
                rightOffset);
    AxisOffsets(item.rcOrig.top, item.bFixV, item.bAnchorBottom, item.bPropV, oldHeight, newHeight, topOffset,
                bottomOffset);
    return CRect(item.rcOrig.left + leftOffset, item.rcOrig.top + topOffset, item.rcOrig.right + rightOffset,
                 item.rcOrig.bottom + bottomOffset);
}

int ApplyLayout(CWnd*, int oldWidth, int oldHeight, int newWidth, int newHeight, const LayoutItems& items) {
    for (const LAYOUT_ITEM& item : items) {
        if (!item.pWnd || !item.pWnd->GetSafeHwnd()) continue;
        CRect r = LayoutRect(item, oldWidth, oldHeight, newWidth, newHeight);
        ::MoveWindow(item.pWnd->GetSafeHwnd(), r.left, r.top, r.Width(), r.Height(), TRUE);
    }
    return 0;
}

CRect GetCtrlRect(CWnd* dialog, int id) {
    HWND child = ItemOf(dialog, id);
    return child ? ClientRectOf(dialog, child) : CRect(0, 0, 0, 0);
}

int MoveCtrlOffset(CWnd* dialog, int id, int left, int top, int right, int bottom, int dx, int dy) {
    HWND child = ItemOf(dialog, id);
    if (!child) return -1;
    ::MoveWindow(child, left + dx, top + dy, right - left, bottom - top, TRUE);
    return 0;
}

int MoveCtrlTo(CWnd* dialog, int id, const RECT& rect) {
    HWND child = ItemOf(dialog, id);
    if (!child) return -1;
    ::MoveWindow(child, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    return 0;
}

int OffsetCtrl(CWnd* dialog, int id, int dx, int dy) {
    HWND child = ItemOf(dialog, id);
    if (!child) return -1;
    CRect r = ClientRectOf(dialog, child);
    return MoveCtrlOffset(dialog, id, r.left, r.top, r.right, r.bottom, dx, dy);
}

void OffsetChildWnd(CWnd* parent, CWnd* child, int dx, int dy) {
    if (!parent || !child || !child->GetSafeHwnd()) return;
    CRect r = ClientRectOf(parent, child->GetSafeHwnd());
    ::MoveWindow(child->GetSafeHwnd(), r.left + dx, r.top + dy, r.Width(), r.Height(), TRUE);
}

void PostMsgIfOutsideMargins(CWnd* window, POINT point, int top, int left, int bottom, int right, UINT message,
                             WPARAM wParam) {
    if (!window || !window->GetSafeHwnd()) return;
    CRect bounds;
    ::GetWindowRect(window->GetSafeHwnd(), &bounds);
    bool inside =
        point.x >= left && point.x <= bounds.Width() - right && point.y >= top && point.y <= bounds.Height() - bottom;
    if (inside) return;
    POINT screen = point;
    ::ClientToScreen(window->GetSafeHwnd(), &screen);
    ::PostMessageW(window->GetSafeHwnd(), message, wParam, MAKELPARAM(screen.x, screen.y));
}

int GetMonitorWorkRect(CWnd* window, RECT* rect) { return MonitorRect(window, rect, true); }

int GetMonitorRect(CWnd* window, RECT* rect) { return MonitorRect(window, rect, false); }

void CenterOnMonitorWorkArea(CWnd* parent, CWnd* window) {
    if (!window || !window->GetSafeHwnd()) return;
    CRect work, own;
    if (GetMonitorWorkRect(parent, &work) < 0) return;
    ::GetWindowRect(window->GetSafeHwnd(), &own);
    int x = work.left + (work.Width() - own.Width()) / 2;
    int y = work.top + (work.Height() - own.Height()) / 2;
    ::SetWindowPos(window->GetSafeHwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int AdjustComboDropWidth(CComboBox* combo) {
    CWnd* parent = combo ? combo->GetParent() : nullptr;
    if (!parent) return 0;
    std::vector<CString> texts;
    for (int i = 0; i < combo->GetCount(); ++i) {
        CString text;
        combo->GetLBText(i, text);
        texts.push_back(text);
    }
    return AdjustComboDropWidth(combo, texts);
}

int AdjustComboDropWidth(CComboBox* combo, const std::vector<CString>& texts) {
    CWnd* parent = combo ? combo->GetParent() : nullptr;
    if (!parent) return 0;
    combo->SetDroppedWidth(WidestText(parent, texts));
    return 0;
}

int AdjustListBoxExtent(CListBox* list) {
    CWnd* parent = list ? list->GetParent() : nullptr;
    if (!parent) return 0;
    std::vector<CString> texts;
    for (int i = 0; i < list->GetCount(); ++i) {
        CString text;
        list->GetText(i, text);
        texts.push_back(text);
    }
    list->SendMessage(LB_SETHORIZONTALEXTENT, WidestText(parent, texts), 0);
    return 0;
}

void SelectComboItemByText(CComboBox* combo, const CString& text) {
    for (int i = 0; i < combo->GetCount(); ++i) {
        CString item;
        combo->GetLBText(i, item);
        if (item == text) {
            combo->SetCurSel(i);
            return;
        }
    }
}

CString GetComboSelText(CComboBox* combo) {
    CString text;
    int selected = combo->GetCurSel();
    if (selected >= 0) combo->GetLBText(selected, text);
    return text;
}

void SwapListItemText(CListCtrl* list, int column, int rowA, int rowB) {
    CString a = list->GetItemText(rowA, column);
    CString b = list->GetItemText(rowB, column);
    list->SetItemText(rowA, column, b);
    list->SetItemText(rowB, column, a);
}

int FindListItem(CListCtrl* list, int column, const CString& text, const CString& other) {
    for (int row = 0; row < list->GetItemCount(); ++row) {
        CString cell = list->GetItemText(row, column);
        if (cell != text) continue;
        if (!other.IsEmpty() && text == other) continue;
        return 1;
    }
    return 0;
}

void DeleteListCtrlItems(CListCtrl* list, int selectedOnly, int item) {
    if (selectedOnly == 1) {
        for (UINT n = list->GetSelectedCount(); n > 0; --n) {
            int row = list->GetNextItem(-1, LVNI_SELECTED);
            if (row < 0) break;
            list->DeleteItem(row);
        }
    } else if (item == -1) {
        list->DeleteAllItems();
    }
}

int ShowMessageBox(CWnd* owner, const CString& text, UINT type, const CString& caption) {
    return ::MessageBoxW(owner ? owner->GetSafeHwnd() : nullptr, text, caption, type);
}

void RelayToToolTip(CToolTipCtrl& tip, CWnd* control, CPoint point) {
    if (!tip.GetSafeHwnd()) return;
    const MSG& current = *AfxGetCurrentMessage();
    MSG msg = {control->GetSafeHwnd(), current.message, current.wParam, current.lParam, 0, {point.x, point.y}};
    tip.RelayEvent(&msg);
}

namespace {

// The system's file dialog, open or save; the chosen path or "".
CString PromptFile(BOOL save, CWnd* parent, DWORD flags, const CString& filter, const CString& defaultExt) {
    // The filter comes as "Name|*.ext|...|": the dialog wants NUL separators.
    CString filterList = filter;
    filterList.Replace(L'|', L'\0');
    std::wstring filterText(filterList.GetString(), filterList.GetLength());
    filterText.push_back(L'\0');
    std::wstring path(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
    ofn.lpstrFilter = filter.IsEmpty() ? nullptr : filterText.c_str();
    ofn.lpstrFile = &path[0];
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrDefExt = defaultExt.IsEmpty() ? nullptr : defaultExt.GetString();
    ofn.Flags = flags;
    BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!chosen) return CString();
    return CString(path.c_str());
}

}  // namespace

CString PromptOpenFile(CWnd* parent, DWORD flags, const CString& filter, const CString& defaultExt) {
    return PromptFile(FALSE, parent, flags, filter, defaultExt);
}

CString PromptSaveFile(CWnd* parent, DWORD flags, const CString& filter, const CString& defaultExt) {
    return PromptFile(TRUE, parent, flags, filter, defaultExt);
}

CString BrowseForFolder(CWnd* owner, const CString& title, const CString& errorText) {
    BROWSEINFOW info = {};
    info.hwndOwner = owner ? owner->GetSafeHwnd() : nullptr;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return CString();
    wchar_t path[MAX_PATH] = {0};
    BOOL hasPath = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!hasPath) {
        ::MessageBoxW(info.hwndOwner, errorText, nullptr, MB_ICONERROR);
        return CString();
    }
    return CString(path);
}

HBITMAP LoadImageFile(const CString& path) {
    CString upper = path;
    upper.MakeUpper();
    if (upper.Find(L".BMP") > 0)
        return static_cast<HBITMAP>(::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    IPicture* picture = nullptr;
    if (FAILED(::OleLoadPicturePath(const_cast<LPOLESTR>(path.GetString()), nullptr, 0, 0, IID_IPicture,
                                    reinterpret_cast<void**>(&picture))) ||
        !picture)
        return nullptr;
    HBITMAP bitmap = PictureToBitmap(picture);
    picture->Release();
    return bitmap;
}

HBITMAP PictureToBitmap(IPicture* picture) {
    if (!picture) return nullptr;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    const CBorrowedDC screen(nullptr);
    int pixelsX = ::MulDiv(width, ::GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    int pixelsY = ::MulDiv(height, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen.Get(), pixelsX, pixelsY);
    if (!bitmap) {
        ::OutputDebugStringW(L"CreateCompatibleBitmap Fail\n");
        return nullptr;
    }
    const CUniqueMemoryDC memory(::CreateCompatibleDC(screen.Get()));
    CDcSelection useBitmap(memory.Get(), bitmap);
    // Picture objects draw with the source rectangle flipped vertically.
    picture->Render(memory.Get(), 0, 0, pixelsX, pixelsY, 0, height, width, -height, nullptr);
    return bitmap;
}

int ScaleBitmapTo(HBITMAP source, CBitmap* target, SIZE size) {
    BITMAP info = {};
    if (!source || !target || !::GetObjectW(source, sizeof info, &info)) return 0;
    CUniqueBitmap scaled;
    {
        const CBorrowedDC screen(nullptr);
        scaled.Reset(::CreateCompatibleBitmap(screen.Get(), size.cx, size.cy));
        if (!scaled) return 0;
        const CUniqueMemoryDC from(::CreateCompatibleDC(screen.Get()));
        const CUniqueMemoryDC to(::CreateCompatibleDC(screen.Get()));
        CDcSelection useSource(from.Get(), source);
        CDcSelection useScaled(to.Get(), scaled.Get());
        if (info.bmWidth == size.cx && info.bmHeight == size.cy) {
            ::BitBlt(to.Get(), 0, 0, size.cx, size.cy, from.Get(), 0, 0, SRCCOPY);
        } else {
            ::SetStretchBltMode(to.Get(), HALFTONE);
            ::StretchBlt(to.Get(), 0, 0, size.cx, size.cy, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        }
    }
    target->DeleteObject();
    target->Attach(scaled.Release());
    return 1;
}

int SetStaticBitmap(HBITMAP bitmap, CBitmap* holder, CStatic* control) {
    if (!bitmap) {
        if (control) control->SetBitmap(nullptr);
        return -1;
    }
    const CUniqueBitmap given(bitmap);  // the caller hands its bitmap over; the control shows a scaled copy
    CRect client;
    control->GetClientRect(&client);
    SIZE size = {client.Width(), client.Height()};
    ScaleBitmapTo(bitmap, holder, size);
    control->SetBitmap(static_cast<HBITMAP>(holder->GetSafeHandle()));
    return 0;
}

void AppendMenuSeparator(CStyleMenu* menu) { menu->AppendItem(MF_SEPARATOR, 0, nullptr, -1); }

void AppendMenuBitmapItem(CStyleMenu* menu, HBITMAP bitmap, UINT id, UINT enableFlags) {
    menu->AppendItem(MF_BITMAP, id, reinterpret_cast<LPCWSTR>(bitmap), -1);
    menu->EnableMenuItem(id, MF_BYCOMMAND | enableFlags);
}

void AppendMenuTextItem(CStyleMenu* menu, const CString& text, UINT id, UINT enableFlags) {
    menu->AppendItem(MF_STRING, id, text, -1);
    menu->EnableMenuItem(id, MF_BYCOMMAND | enableFlags);
}

void SetControlToolTip(CToolTipCtrl& tip, CWnd* control, const CString& text) {
    if (!control->GetSafeHwnd()) return;
    if (tip.GetSafeHwnd()) {
        tip.UpdateTipText(text, control);
        return;
    }
    if (!tip.Create(control)) return;
    tip.AddTool(control, text);
    tip.Activate(TRUE);
    tip.SetDelayTime(TTDT_INITIAL, 0);
}
