// A client of an automation object's IDispatch. Unlike the exception-based
// original, every call reports an automation failure as its HRESULT (or a
// BOOL for CreateDispatch) and nothing throws: callers in message handlers
// check results instead of catching.
//
// Argument lists are VTS strings: one VARTYPE byte per argument, with the
// arguments following as variadic values (VT_I2/VT_I4/VT_BOOL as int,
// VT_R8 as double, VT_BSTR as LPCWSTR, VT_DISPATCH as LPDISPATCH,
// VT_VARIANT as const VARIANT*; VT_BYREF marks a pointer to that type). An
// optional argument is left out by passing AfxOptionalArgument() as a VARIANT.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include "COleVariant.h"

#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R8 "\x05"
#define VTS_BSTR "\x08"
#define VTS_DISPATCH "\x09"
#define VTS_SCODE "\x0A"
#define VTS_BOOL "\x0B"
#define VTS_VARIANT "\x0C"
#define VTS_UNKNOWN "\x0D"
#define VTS_UI1 "\x11"
// The VTS byte of a by-reference argument: its VARTYPE with this bit.
#define VTS_BYREF_FLAG 0x40

class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    // Takes the pointer; released on destruction when autoRelease.
    explicit COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    ~COleDispatchDriver() { ReleaseDispatch(); }
    COleDispatchDriver(const COleDispatchDriver&) = delete;
    COleDispatchDriver& operator=(const COleDispatchDriver&) = delete;

    // Creates the object (in-process or local server) and holds its
    // IDispatch, releasing what was held before. FALSE on failure with the
    // HRESULT in *error when given. A thread that has not started COM gets
    // it started here, for the rest of its life.
    BOOL CreateDispatch(LPCWSTR progID, HRESULT* error = nullptr);
    BOOL CreateDispatch(REFCLSID clsid, HRESULT* error = nullptr);
    // Holds dispatch from now on; the pointer held before is released first.
    void AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    // Hands the held pointer (with its reference) to the caller; holds nothing after.
    LPDISPATCH DetachDispatch();
    // Releases the held pointer when owned; holds nothing after.
    void ReleaseDispatch();

    // The member's DISPID by name; DISPID_UNKNOWN with the HRESULT in *error
    // (DISP_E_UNKNOWNNAME for a name the object does not have).
    DISPID GetIDOfName(LPCWSTR name, HRESULT* error = nullptr) const;

    // Invokes dispid with the arguments described by paramInfo (in the
    // order given; passed to IDispatch in reverse as it expects). Puts name
    // their value argument DISPID_PROPERTYPUT. The result is converted to
    // vtRet into *result (CString* for VT_BSTR, LPDISPATCH* with a
    // reference for VT_DISPATCH, VARIANT* for VT_VARIANT); VT_EMPTY takes
    // none. S_OK, or the failure: E_POINTER when no dispatch is held, the
    // object's or a conversion's HRESULT otherwise, with the object's
    // exception text in GetLastErrorText().
    HRESULT InvokeHelper(DISPID dispid, WORD flags, VARTYPE vtRet, void* result, const BYTE* paramInfo, ...);
    HRESULT InvokeHelperV(DISPID dispid, WORD flags, VARTYPE vtRet, void* result, const BYTE* paramInfo, va_list args);
    HRESULT GetProperty(DISPID dispid, VARTYPE vtProp, void* value);
    // One value of type vtProp follows.
    HRESULT SetProperty(DISPID dispid, VARTYPE vtProp, ...);

    // The description of the object's last EXCEPINFO, empty when it gave none.
    const CString& GetLastErrorText() const { return m_lastErrorText; }

    LPDISPATCH m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;

private:
    CString m_lastErrorText;
};

#define AFX_VTS(list) reinterpret_cast<const BYTE*>(list)
