// Message maps: static tables of (message, notification code, control id
// range, handler signature, handler) that a class declares with
// DECLARE_MESSAGE_MAP and fills between BEGIN_MESSAGE_MAP(class, base) and
// END_MESSAGE_MAP. Each table links to its base class's table, so a message
// a class does not handle is looked up in its base's.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CCmdTarget;
class CCmdUI;
class CWnd;
class CDC;
class CMenu;
class CScrollBar;
class CPoint;

// Marks message handlers in class declarations.
#define afx_msg

// The generic member pointer every handler is stored as; the signature code
// beside it says how to call it back.
typedef void (CCmdTarget::*AFX_PMSG)();

// Messages a control sends its parent come back to the control itself,
// offset by this base, when the parent reflects them.
#define WM_REFLECT_BASE 0xBC00
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019  // the one map entry for the WM_CTLCOLORxxx family
#endif
#define CN_COMMAND 0
// OnCmdMsg's code for asking a handler to update a command's user interface.
#define CN_UPDATE_COMMAND_UI (static_cast<int>(-1))

// Handler signatures. Names read: result _ argument kinds.
enum AfxSig : UINT_PTR {
    AfxSig_end = 0,
    AfxSig_v_v,          // void ()
    AfxSig_b_v,          // BOOL ()
    AfxSig_l_wl,         // LRESULT (WPARAM, LPARAM)
    AfxSig_i_pCS,        // int (LPCREATESTRUCT)
    AfxSig_b_D,          // BOOL (CDC*)
    AfxSig_hbr_DWu,      // HBRUSH (CDC*, CWnd*, UINT)
    AfxSig_hbr_Du,       // HBRUSH (CDC*, UINT): reflected colour
    AfxSig_v_iDIS,       // void (int, LPDRAWITEMSTRUCT)
    AfxSig_v_iMIS,       // void (int, LPMEASUREITEMSTRUCT)
    AfxSig_v_uii,        // void (UINT, int, int)
    AfxSig_v_ii,         // void (int, int)
    AfxSig_v_uP,         // void (UINT, CPoint)
    AfxSig_v_W,          // void (CWnd*)
    AfxSig_v_WP,         // void (CWnd*, CPoint)
    AfxSig_v_uuu,        // void (UINT, UINT, UINT)
    AfxSig_v_up,         // void (UINT_PTR)
    AfxSig_v_ul,         // void (UINT, LPARAM)
    AfxSig_h_v,          // HCURSOR ()
    AfxSig_v_NMHDR_pl,   // void (NMHDR*, LRESULT*)
    AfxSig_v_uNMHDR_pl,  // void (UINT id, NMHDR*, LRESULT*)
    AfxSig_b_uNMHDR_pl,  // BOOL (UINT id, NMHDR*, LRESULT*): FALSE routes on
    AfxSig_v_bu,         // void (BOOL, UINT)
    AfxSig_v_b,          // void (BOOL)
    AfxSig_b_Wuu,        // BOOL (CWnd*, UINT, UINT)
    AfxSig_l_P,          // LRESULT (CPoint)
    AfxSig_v_uuW,        // void (UINT, UINT, CScrollBar*)
    AfxSig_v_Mub,        // void (CMenu*, UINT, BOOL)
    AfxSig_l_uuM,        // LRESULT (UINT, UINT, CMenu*)
    AfxSig_v_bNCCALC,    // void (BOOL, NCCALCSIZE_PARAMS*)
    AfxSig_v_pWP,        // void (WINDOWPOS*)
    AfxSig_v_uWb,        // void (UINT, CWnd*, BOOL)
    AfxSig_i_Wuu,        // int (CWnd*, UINT, UINT)
    AfxSig_v_upR,        // void (UINT, LPRECT)
    AfxSig_v_u,          // void (UINT): command id of a range
    AfxSig_v_pCUI,       // void (CCmdUI*)
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;    // control notification or WM_NOTIFY code
    UINT nID;      // first control or command id
    UINT nLastID;  // last id of a range
    UINT_PTR nSig;
    AFX_PMSG pfn;
};

// What OnCmdMsg receives as pExtra for a WM_NOTIFY.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// What a reflected colour request carries (lParam of WM_REFLECT_BASE + WM_CTLCOLOR).
struct AFX_CTLCOLOR {
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        (void)sizeof(ThisClass*);                                                     \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, AfxSig_end, nullptr }                                                           \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

// Checks the handler's signature against the one the entry promises, then
// stores it in the generic form.
#define AFX_MSG_HANDLER(type, member) reinterpret_cast<AFX_PMSG>(static_cast<type>(member))

// Notification codes are kept as their low 16 bits (WM_NOTIFY codes are
// negative numbers); OnCmdMsg receives them as MAKELONG(code, message).
#define AFX_CODE(code) static_cast<UINT>(static_cast<WORD>(code))

// Commands and control notifications.
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND,                  \
     CN_COMMAND,                  \
     static_cast<UINT>(id),       \
     static_cast<UINT>(id),       \
     AfxSig_v_v,                  \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(), memberFxn)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    {WM_COMMAND,                            \
     AFX_CODE(CN_UPDATE_COMMAND_UI),        \
     static_cast<UINT>(id),                 \
     static_cast<UINT>(id),                 \
     AfxSig_v_pCUI,                         \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(CCmdUI*), memberFxn)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND,                                \
     CN_COMMAND,                                \
     static_cast<UINT>(id),                     \
     static_cast<UINT>(idLast),                 \
     AfxSig_v_u,                                \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(UINT), memberFxn)},
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND,                        \
     AFX_CODE(code),                    \
     static_cast<UINT>(id),             \
     static_cast<UINT>(id),             \
     AfxSig_v_v,                        \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(), memberFxn)},
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) \
    {WM_COMMAND,                                      \
     AFX_CODE(code),                                  \
     static_cast<UINT>(id),                           \
     static_cast<UINT>(idLast),                       \
     AfxSig_v_u,                                      \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(UINT), memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

#define ON_NOTIFY(code, id, memberFxn) \
    {WM_NOTIFY,                        \
     AFX_CODE(code),                   \
     static_cast<UINT>(id),            \
     static_cast<UINT>(id),            \
     AfxSig_v_NMHDR_pl,                \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(NMHDR*, LRESULT*), memberFxn)},
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn) \
    {WM_NOTIFY,                                      \
     AFX_CODE(code),                                 \
     static_cast<UINT>(id),                          \
     static_cast<UINT>(idLast),                      \
     AfxSig_v_uNMHDR_pl,                             \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(UINT, NMHDR*, LRESULT*), memberFxn)},
#define ON_NOTIFY_EX(code, id, memberFxn) \
    {WM_NOTIFY,                           \
     AFX_CODE(code),                      \
     static_cast<UINT>(id),               \
     static_cast<UINT>(id),               \
     AfxSig_b_uNMHDR_pl,                  \
     AFX_MSG_HANDLER(BOOL(CCmdTarget::*)(UINT, NMHDR*, LRESULT*), memberFxn)},

// Notifications the parent reflected back to the control that sent them.
#define ON_CONTROL_REFLECT(code, memberFxn) \
    {WM_COMMAND + WM_REFLECT_BASE, AFX_CODE(code), 0, 0, AfxSig_v_v, AFX_MSG_HANDLER(void(CCmdTarget::*)(), memberFxn)},
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    {WM_NOTIFY + WM_REFLECT_BASE,          \
     AFX_CODE(code),                       \
     0,                                    \
     0,                                    \
     AfxSig_v_NMHDR_pl,                    \
     AFX_MSG_HANDLER(void(CCmdTarget::*)(NMHDR*, LRESULT*), memberFxn)},
#define ON_WM_CTLCOLOR_REFLECT()    \
    {WM_CTLCOLOR + WM_REFLECT_BASE, \
     0,                             \
     0,                             \
     0,                             \
     AfxSig_hbr_Du,                 \
     AFX_MSG_HANDLER(HBRUSH(CWnd::*)(CDC*, UINT), &ThisClass::CtlColor)},

#define ON_MESSAGE(message, memberFxn) \
    {static_cast<UINT>(message), 0, 0, 0, AfxSig_l_wl, AFX_MSG_HANDLER(LRESULT(CWnd::*)(WPARAM, LPARAM), memberFxn)},

// Window messages with their usual handler names.
#define AFX_ON_WM(message, sig, type, name) {message, 0, 0, 0, sig, AFX_MSG_HANDLER(type, &ThisClass::name)},
#define ON_WM_CREATE() AFX_ON_WM(WM_CREATE, AfxSig_i_pCS, int (CWnd::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_DESTROY() AFX_ON_WM(WM_DESTROY, AfxSig_v_v, void (CWnd::*)(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_ON_WM(WM_NCDESTROY, AfxSig_v_v, void (CWnd::*)(), OnNcDestroy)
#define ON_WM_CLOSE() AFX_ON_WM(WM_CLOSE, AfxSig_v_v, void (CWnd::*)(), OnClose)
#define ON_WM_PAINT() AFX_ON_WM(WM_PAINT, AfxSig_v_v, void (CWnd::*)(), OnPaint)
#define ON_WM_NCPAINT() AFX_ON_WM(WM_NCPAINT, AfxSig_v_v, void (CWnd::*)(), OnNcPaint)
#define ON_WM_ERASEBKGND() AFX_ON_WM(WM_ERASEBKGND, AfxSig_b_D, BOOL (CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_CTLCOLOR() AFX_ON_WM(WM_CTLCOLOR, AfxSig_hbr_DWu, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_DRAWITEM() AFX_ON_WM(WM_DRAWITEM, AfxSig_v_iDIS, void (CWnd::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_MEASUREITEM() \
    AFX_ON_WM(WM_MEASUREITEM, AfxSig_v_iMIS, void (CWnd::*)(int, LPMEASUREITEMSTRUCT), OnMeasureItem)
#define ON_WM_SIZE() AFX_ON_WM(WM_SIZE, AfxSig_v_uii, void (CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_SIZING() AFX_ON_WM(WM_SIZING, AfxSig_v_upR, void (CWnd::*)(UINT, LPRECT), OnSizing)
#define ON_WM_MOVE() AFX_ON_WM(WM_MOVE, AfxSig_v_ii, void (CWnd::*)(int, int), OnMove)
#define ON_WM_TIMER() AFX_ON_WM(WM_TIMER, AfxSig_v_up, void (CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_SYSCOMMAND() AFX_ON_WM(WM_SYSCOMMAND, AfxSig_v_ul, void (CWnd::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_QUERYDRAGICON() AFX_ON_WM(WM_QUERYDRAGICON, AfxSig_h_v, HCURSOR (CWnd::*)(), OnQueryDragIcon)
#define ON_WM_MOUSEMOVE() AFX_ON_WM(WM_MOUSEMOVE, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_ON_WM(WM_LBUTTONDOWN, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ON_WM(WM_LBUTTONUP, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ON_WM(WM_LBUTTONDBLCLK, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ON_WM(WM_RBUTTONDOWN, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ON_WM(WM_RBUTTONUP, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_NCLBUTTONDOWN() AFX_ON_WM(WM_NCLBUTTONDOWN, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnNcLButtonDown)
#define ON_WM_NCLBUTTONUP() AFX_ON_WM(WM_NCLBUTTONUP, AfxSig_v_uP, void (CWnd::*)(UINT, CPoint), OnNcLButtonUp)
#define ON_WM_MOUSELEAVE() AFX_ON_WM(WM_MOUSELEAVE, AfxSig_v_v, void (CWnd::*)(), OnMouseLeave)
#define ON_WM_CONTEXTMENU() AFX_ON_WM(WM_CONTEXTMENU, AfxSig_v_WP, void (CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_SETFOCUS() AFX_ON_WM(WM_SETFOCUS, AfxSig_v_W, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_ON_WM(WM_KILLFOCUS, AfxSig_v_W, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_CHAR() AFX_ON_WM(WM_CHAR, AfxSig_v_uuu, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_KEYDOWN() AFX_ON_WM(WM_KEYDOWN, AfxSig_v_uuu, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_ON_WM(WM_KEYUP, AfxSig_v_uuu, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_SHOWWINDOW() AFX_ON_WM(WM_SHOWWINDOW, AfxSig_v_bu, void (CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_ENABLE() AFX_ON_WM(WM_ENABLE, AfxSig_v_b, void (CWnd::*)(BOOL), OnEnable)
#define ON_WM_SETCURSOR() AFX_ON_WM(WM_SETCURSOR, AfxSig_b_Wuu, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_NCHITTEST() AFX_ON_WM(WM_NCHITTEST, AfxSig_l_P, LRESULT (CWnd::*)(CPoint), OnNcHitTest)
#define ON_WM_HSCROLL() AFX_ON_WM(WM_HSCROLL, AfxSig_v_uuW, void (CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() AFX_ON_WM(WM_VSCROLL, AfxSig_v_uuW, void (CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_INITMENUPOPUP() \
    AFX_ON_WM(WM_INITMENUPOPUP, AfxSig_v_Mub, void (CWnd::*)(CMenu*, UINT, BOOL), OnInitMenuPopup)
#define ON_WM_MENUCHAR() AFX_ON_WM(WM_MENUCHAR, AfxSig_l_uuM, LRESULT (CWnd::*)(UINT, UINT, CMenu*), OnMenuChar)
#define ON_WM_ENTERMENULOOP() AFX_ON_WM(WM_ENTERMENULOOP, AfxSig_v_b, void (CWnd::*)(BOOL), OnEnterMenuLoop)
#define ON_WM_EXITMENULOOP() AFX_ON_WM(WM_EXITMENULOOP, AfxSig_v_b, void (CWnd::*)(BOOL), OnExitMenuLoop)
#define ON_WM_NCCALCSIZE() \
    AFX_ON_WM(WM_NCCALCSIZE, AfxSig_v_bNCCALC, void (CWnd::*)(BOOL, NCCALCSIZE_PARAMS*), OnNcCalcSize)
#define ON_WM_WINDOWPOSCHANGED() \
    AFX_ON_WM(WM_WINDOWPOSCHANGED, AfxSig_v_pWP, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanged)
#define ON_WM_WINDOWPOSCHANGING() \
    AFX_ON_WM(WM_WINDOWPOSCHANGING, AfxSig_v_pWP, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanging)
#define ON_WM_ACTIVATE() AFX_ON_WM(WM_ACTIVATE, AfxSig_v_uWb, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_MOUSEACTIVATE() \
    AFX_ON_WM(WM_MOUSEACTIVATE, AfxSig_i_Wuu, int (CWnd::*)(CWnd*, UINT, UINT), OnMouseActivate)
#define ON_WM_SYSCOLORCHANGE() AFX_ON_WM(WM_SYSCOLORCHANGE, AfxSig_v_v, void (CWnd::*)(), OnSysColorChange)
