// Cracking window messages into the typed calls of the message map entries.
#include "CWnd.h"

#include "CDC.h"
#include "CMenu.h"
#include "CScrollBar.h"

namespace {

template <class FN>
FN As(AFX_PMSG pfn) {
    return reinterpret_cast<FN>(pfn);
}

CPoint PointOf(LPARAM lParam) { return CPoint(static_cast<DWORD>(lParam)); }

}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        if (result) *result = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header || !OnNotify(wParam, lParam, &r)) return FALSE;
        if (result) *result = r;
        return TRUE;
    }
    UINT lookup = (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ? WM_CTLCOLOR : message;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), lookup, 0, 0);
    if (!e) return FALSE;

    AFX_PMSG pfn = e->pfn;
    switch (e->nSig) {
        case AfxSig_v_v: (this->*As<void (CWnd::*)()>(pfn))(); break;
        case AfxSig_b_v: r = (this->*As<BOOL (CWnd::*)()>(pfn))(); break;
        case AfxSig_l_wl: r = (this->*As<LRESULT (CWnd::*)(WPARAM, LPARAM)>(pfn))(wParam, lParam); break;
        case AfxSig_i_pCS:
            r = (this->*As<int (CWnd::*)(LPCREATESTRUCT)>(pfn))(reinterpret_cast<LPCREATESTRUCT>(lParam));
            break;
        case AfxSig_b_D:
            r = (this->*As<BOOL (CWnd::*)(CDC*)>(pfn))(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
            break;
        case AfxSig_hbr_DWu:
            r = reinterpret_cast<LRESULT>((this->*As<HBRUSH (CWnd::*)(CDC*, CWnd*, UINT)>(pfn))(
                CDC::FromHandle(reinterpret_cast<HDC>(wParam)), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)),
                message - WM_CTLCOLORMSGBOX));
            break;
        case AfxSig_hbr_Du: {
            AFX_CTLCOLOR* ctl = reinterpret_cast<AFX_CTLCOLOR*>(lParam);
            r = reinterpret_cast<LRESULT>(
                (this->*As<HBRUSH (CWnd::*)(CDC*, UINT)>(pfn))(CDC::FromHandle(ctl->hDC), ctl->nCtlType));
            break;
        }
        case AfxSig_v_iDIS:
            (this->*As<void (CWnd::*)(int, LPDRAWITEMSTRUCT)>(pfn))(static_cast<int>(wParam),
                                                                    reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
            r = TRUE;
            break;
        case AfxSig_v_iMIS:
            (this->*As<void (CWnd::*)(int, LPMEASUREITEMSTRUCT)>(pfn))(static_cast<int>(wParam),
                                                                       reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
            r = TRUE;
            break;
        case AfxSig_v_uii:
            (this->*As<void (CWnd::*)(UINT, int, int)>(pfn))(
                static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            break;
        case AfxSig_v_ii:
            (this->*As<void (CWnd::*)(int, int)>(pfn))(static_cast<short>(LOWORD(lParam)),
                                                       static_cast<short>(HIWORD(lParam)));
            break;
        case AfxSig_v_uP:
            (this->*As<void (CWnd::*)(UINT, CPoint)>(pfn))(static_cast<UINT>(wParam), PointOf(lParam));
            break;
        case AfxSig_v_W:
            (this->*As<void (CWnd::*)(CWnd*)>(pfn))(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));
            break;
        case AfxSig_v_WP:
            (this->*As<void (CWnd::*)(CWnd*, CPoint)>(pfn))(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),
                                                            PointOf(lParam));
            break;
        case AfxSig_v_uuu:
            (this->*As<void (CWnd::*)(UINT, UINT, UINT)>(pfn))(static_cast<UINT>(wParam), LOWORD(lParam),
                                                               HIWORD(lParam));
            break;
        case AfxSig_v_up: (this->*As<void (CWnd::*)(UINT_PTR)>(pfn))(static_cast<UINT_PTR>(wParam)); break;
        case AfxSig_v_ul: (this->*As<void (CWnd::*)(UINT, LPARAM)>(pfn))(static_cast<UINT>(wParam), lParam); break;
        case AfxSig_h_v: r = reinterpret_cast<LRESULT>((this->*As<HCURSOR (CWnd::*)()>(pfn))()); break;
        case AfxSig_v_bu:
            (this->*As<void (CWnd::*)(BOOL, UINT)>(pfn))(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
            break;
        case AfxSig_v_b: (this->*As<void (CWnd::*)(BOOL)>(pfn))(static_cast<BOOL>(wParam)); break;
        case AfxSig_b_Wuu:
            r = (this->*As<BOOL (CWnd::*)(CWnd*, UINT, UINT)>(pfn))(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),
                                                                    LOWORD(lParam), HIWORD(lParam));
            break;
        case AfxSig_l_P: r = (this->*As<LRESULT (CWnd::*)(CPoint)>(pfn))(PointOf(lParam)); break;
        case AfxSig_v_uuW:
            (this->*As<void (CWnd::*)(UINT, UINT, CScrollBar*)>(pfn))(
                LOWORD(wParam), HIWORD(wParam),
                static_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))));
            break;
        case AfxSig_v_Mub:
            (this->*As<void (CWnd::*)(CMenu*, UINT, BOOL)>(pfn))(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)),
                                                                 LOWORD(lParam), HIWORD(lParam));
            break;
        case AfxSig_l_uuM:
            r = (this->*As<LRESULT (CWnd::*)(UINT, UINT, CMenu*)>(pfn))(
                LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle(reinterpret_cast<HMENU>(lParam)));
            break;
        case AfxSig_v_bNCCALC:
            (this->*As<void (CWnd::*)(BOOL, NCCALCSIZE_PARAMS*)>(pfn))(static_cast<BOOL>(wParam),
                                                                       reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam));
            break;
        case AfxSig_v_pWP: (this->*As<void (CWnd::*)(WINDOWPOS*)>(pfn))(reinterpret_cast<WINDOWPOS*>(lParam)); break;
        case AfxSig_v_uWb:
            (this->*As<void (CWnd::*)(UINT, CWnd*, BOOL)>(pfn))(
                LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam));
            break;
        case AfxSig_i_Wuu:
            r = (this->*As<int (CWnd::*)(CWnd*, UINT, UINT)>(pfn))(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),
                                                                   LOWORD(lParam), HIWORD(lParam));
            break;
        case AfxSig_v_upR:
            (this->*As<void (CWnd::*)(UINT, LPRECT)>(pfn))(static_cast<UINT>(wParam), reinterpret_cast<LPRECT>(lParam));
            r = TRUE;
            break;
        default: return FALSE;
    }
    if (result) *result = r;
    return TRUE;
}
