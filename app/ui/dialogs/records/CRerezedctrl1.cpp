#include "CRerezedctrl1.h"

#include <AfxOleControls.h>

IMPLEMENT_DYNCREATE(CRerezedctrl1, CWnd)

const CLSID& CRerezedctrl1::GetClsid() {
    // Rerezed.ocx's class; dialog 132's template names the same one.
    static const CLSID clsid = {0x6a3c1f52, 0x8e41, 0x4d7b, {0x9b, 0x20, 0x5c, 0x7e, 0x2d, 0x8f, 0x4a, 0x61}};
    return clsid;
}

BOOL CRerezedctrl1::Create(LPCWSTR, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*) {
    return CreateControl(GetClsid(), windowName, style, rect, parent, id);
}

BOOL CRerezedctrl1::SetWindowCount(long count) {
    BOOL result;
    static const BYTE params[] = VTS_I4;
    InvokeHelper(6, DISPATCH_METHOD, VT_BOOL, &result, params, count);
    return result;
}

void CRerezedctrl1::SetWindowInfoText(long pane, LPCWSTR text) {
    static const BYTE params[] = VTS_I4 VTS_BSTR;
    InvokeHelper(11, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pane, text);
}

BOOL CRerezedctrl1::SetWindowOption(long pane, long option, BOOL on) {
    BOOL result;
    static const BYTE params[] = VTS_I4 VTS_I4 VTS_BOOL;
    InvokeHelper(13, DISPATCH_METHOD, VT_BOOL, &result, params, pane, option, on);
    return result;
}

void CRerezedctrl1::SetWindowState(long pane, long state, short on) {
    static const BYTE params[] = VTS_I4 VTS_I4 VTS_I2;
    InvokeHelper(14, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pane, state, on);
}

short CRerezedctrl1::GetWindowState(long pane, long state) {
    short result;
    static const BYTE params[] = VTS_I4 VTS_I4;
    InvokeHelper(16, DISPATCH_METHOD, VT_I2, &result, params, pane, state);
    return result;
}

void CRerezedctrl1::SetMaxMode(BOOL on) {
    static const BYTE params[] = VTS_BOOL;
    InvokeHelper(17, DISPATCH_METHOD, VT_EMPTY, nullptr, params, on);
}

void CRerezedctrl1::GetMaxMode(short* mode, short* other) {
    static const BYTE params[] = VTS_PI2 VTS_PI2;
    InvokeHelper(18, DISPATCH_METHOD, VT_EMPTY, nullptr, params, mode, other);
}

long CRerezedctrl1::GetSelectedWindow() {
    long result;
    InvokeHelper(19, DISPATCH_METHOD, VT_I4, &result, nullptr);
    return result;
}

BOOL CRerezedctrl1::SetSelectedWindow(long pane) {
    BOOL result;
    static const BYTE params[] = VTS_I4;
    InvokeHelper(20, DISPATCH_METHOD, VT_BOOL, &result, params, pane);
    return result;
}

long CRerezedctrl1::GetWindowHandle(long pane) {
    long result;
    static const BYTE params[] = VTS_I4;
    InvokeHelper(21, DISPATCH_METHOD, VT_I4, &result, params, pane);
    return result;
}

long CRerezedctrl1::LoadLanguageFile(LPCWSTR path) {
    long result;
    static const BYTE params[] = VTS_BSTR;
    InvokeHelper(28, DISPATCH_METHOD, VT_I4, &result, params, path);
    return result;
}

void CRerezedctrl1::EnableZoomRect(long pane, short on) {
    static const BYTE params[] = VTS_I4 VTS_I2;
    InvokeHelper(30, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pane, on);
}

void CRerezedctrl1::ClearWindow(long pane) {
    static const BYTE params[] = VTS_I4;
    InvokeHelper(32, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pane);
}

void CRerezedctrl1::SetSplitMode(short count) {
    static const BYTE params[] = VTS_I2;
    InvokeHelper(37, DISPATCH_METHOD, VT_EMPTY, nullptr, params, count);
}

void CRerezedctrl1::SetWindowTitle(long pane, LPCWSTR text) {
    static const BYTE params[] = VTS_I4 VTS_BSTR;
    InvokeHelper(38, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pane, text);
}

long CRerezedctrl1::SetWindowMode(long pane, long mode) {
    long result;
    static const BYTE params[] = VTS_I4 VTS_I4;
    InvokeHelper(39, DISPATCH_METHOD, VT_I4, &result, params, pane, mode);
    return result;
}

long CRerezedctrl1::SetBackImage(LPCWSTR image, long a, long b) {
    long result;
    static const BYTE params[] = VTS_BSTR VTS_I4 VTS_I4;
    InvokeHelper(41, DISPATCH_METHOD, VT_I4, &result, params, image, a, b);
    return result;
}
