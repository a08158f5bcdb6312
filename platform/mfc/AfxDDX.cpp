#include "AfxDDX.h"

#include <commctrl.h>
#include <wchar.h>

#include <cerrno>
#include <climits>

#include "COleControlContainer.h"
#include "COleControlSite.h"
#include "CResourceException.h"
#include "CWinApp.h"
#include "CWnd.h"

namespace {

CString WindowText(HWND control) {
    CString text;
    int n = ::GetWindowTextLengthW(control);
    int got = ::GetWindowTextW(control, text.GetBuffer(n), n + 1);
    text.ReleaseBuffer(got);
    return text;
}

[[noreturn]] void FailWith(CDataExchange* dx, LPCWSTR message) {
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    dx->Fail();
}

// Parses all of text (surrounding blanks allowed) with parse; false when
// anything but the number is there.
template <class T, class PARSE>
bool ParseWhole(const CString& text, T& out, PARSE parse) {
    CString trimmed(text);
    trimmed.Trim();
    if (trimmed.IsEmpty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    out = parse(trimmed.GetString(), &end);
    return errno == 0 && end && *end == 0;
}

template <class T, class PARSE>
void ExchangeNumber(CDataExchange* dx, int id, T& value, LPCWSTR format, LPCWSTR failText, PARSE parse) {
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        T parsed;
        if (!ParseWhole(WindowText(control), parsed, parse)) FailWith(dx, failText);
        value = parsed;
    } else {
        CString text;
        text.Format(format, value);
        ::SetWindowTextW(control, text);
    }
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND item = dx->PrepareCtrl(id);
    // A hosted ActiveX control is bound through its site, not subclassed.
    COleControlContainer* container = dx->m_pDlgWnd->m_pCtrlCont;
    if (COleControlSite* site = container ? container->FindSite(id) : nullptr) {
        if (!site->BindWrapper(&control)) AfxThrowResourceException();
        return;
    }
    if (!control.SubclassWindow(item)) AfxThrowResourceException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = WindowText(control);
    else
        ::SetWindowTextW(control, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    ExchangeNumber(dx, id, value, L"%d", L"Please enter an integer.", [](const wchar_t* s, wchar_t** end) {
        long v = wcstol(s, end, 10);
        if (v < INT_MIN || v > INT_MAX) errno = ERANGE;
        return static_cast<int>(v);
    });
}

void DDX_Text(CDataExchange* dx, int id, long& value) {
    ExchangeNumber(dx, id, value, L"%ld", L"Please enter an integer.",
                   [](const wchar_t* s, wchar_t** end) { return wcstol(s, end, 10); });
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    ExchangeNumber(dx, id, value, L"%u", L"Please enter a positive integer.", [](const wchar_t* s, wchar_t** end) {
        if (*s == L'-') errno = ERANGE;
        return static_cast<UINT>(wcstoul(s, end, 10));
    });
}

void DDX_Text(CDataExchange* dx, int id, DWORD& value) {
    ExchangeNumber(dx, id, value, L"%lu", L"Please enter a positive integer.", [](const wchar_t* s, wchar_t** end) {
        if (*s == L'-') errno = ERANGE;
        return static_cast<DWORD>(wcstoul(s, end, 10));
    });
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
    ExchangeNumber(dx, id, value, L"%.15g", L"Please enter a number.",
                   [](const wchar_t* s, wchar_t** end) { return wcstod(s, end); });
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) value = -1;
    // The group runs from the first button up to the next WS_GROUP control.
    int index = 0;
    for (HWND button = control; button; button = ::GetWindow(button, GW_HWNDNEXT), ++index) {
        if (button != control && (::GetWindowLongPtrW(button, GWL_STYLE) & WS_GROUP)) break;
        if (::SendMessageW(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (dx->m_bSaveAndValidate) {
                if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
            } else {
                ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        value = WindowText(control);
        return;
    }
    // Select the item starting with the text; a drop-down keeps any text.
    LRESULT found =
        ::SendMessageW(control, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString()));
    if (found == CB_ERR) ::SetWindowTextW(control, value);
}

void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value) {
    HWND control = dx->PrepareCtrl(id);
    SYSTEMTIME st = {};
    if (dx->m_bSaveAndValidate) {
        if (DateTime_GetSystemtime(control, &st) == GDT_VALID) value = CTime(st);
    } else if (value.GetAsSystemTime(st)) {
        DateTime_SetSystemtime(control, GDT_VALID, &st);
    }
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (dx->m_bSaveAndValidate) {
        if (value.GetLength() > maxChars) {
            CString message;
            message.Format(L"Enter no more than %d characters.", maxChars);
            FailWith(dx, message);
        }
    } else if (dx->m_hWndLastControl && dx->m_bEditLastControl) {
        // The edit prepared last is the one whose text was just exchanged.
        ::SendMessageW(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue) {
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
    CString message;
    message.Format(L"Please enter an integer between %d and %d.", minValue, maxValue);
    FailWith(dx, message);
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue) {
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
    CString message;
    message.Format(L"Please enter an integer between %u and %u.", minValue, maxValue);
    FailWith(dx, message);
}
