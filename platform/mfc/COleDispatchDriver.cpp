#include "COleDispatchDriver.h"

#include <objbase.h>
#include <vector>

COleDispatchDriver::COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease)
    : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease) {}

BOOL COleDispatchDriver::CreateDispatch(LPCWSTR progID, HRESULT* error) {
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(progID, &clsid);
    if (hr == CO_E_NOTINITIALIZED && SUCCEEDED(::OleInitialize(nullptr))) hr = ::CLSIDFromProgID(progID, &clsid);
    if (FAILED(hr)) {
        if (error) *error = hr;
        return FALSE;
    }
    return CreateDispatch(clsid, error);
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid, HRESULT* error) {
    LPDISPATCH dispatch = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (hr == CO_E_NOTINITIALIZED && SUCCEEDED(::OleInitialize(nullptr)))
        hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (error) *error = hr;
    if (FAILED(hr)) return FALSE;
    AttachDispatch(dispatch, TRUE);
    return TRUE;
}

void COleDispatchDriver::AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease) {
    // Re-attaching the same owned pointer would release the only reference.
    if (dispatch == m_lpDispatch && dispatch) {
        if (m_bAutoRelease && autoRelease)
            dispatch->Release();
        else
            m_bAutoRelease = m_bAutoRelease || autoRelease;
        return;
    }
    ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

LPDISPATCH COleDispatchDriver::DetachDispatch() {
    LPDISPATCH dispatch = m_lpDispatch;
    m_lpDispatch = nullptr;
    return dispatch;
}

void COleDispatchDriver::ReleaseDispatch() {
    if (m_lpDispatch && m_bAutoRelease) m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

DISPID COleDispatchDriver::GetIDOfName(LPCWSTR name, HRESULT* error) const {
    DISPID dispid = DISPID_UNKNOWN;
    HRESULT hr = E_POINTER;
    if (m_lpDispatch) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        hr = m_lpDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
        if (FAILED(hr)) dispid = DISPID_UNKNOWN;
    }
    if (error) *error = hr;
    return dispid;
}

namespace {

// Reads one argument of type vt from args into arg (which owns a copied BSTR).
HRESULT ReadArgument(BYTE vtsByte, va_list& args, VARIANT& arg) {
    VARTYPE vt = vtsByte & ~VTS_BYREF_FLAG;
    if (vtsByte & VTS_BYREF_FLAG) {
        arg.vt = static_cast<VARTYPE>(vt | VT_BYREF);
        arg.byref = va_arg(args, void*);
        return S_OK;
    }
    arg.vt = vt;
    switch (vt) {
        case VT_I2: arg.iVal = static_cast<SHORT>(va_arg(args, int)); return S_OK;
        case VT_I4: arg.lVal = va_arg(args, long); return S_OK;
        case VT_UI1: arg.bVal = static_cast<BYTE>(va_arg(args, int)); return S_OK;
        case VT_R8: arg.dblVal = va_arg(args, double); return S_OK;
        case VT_BOOL: arg.boolVal = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
        case VT_ERROR: arg.scode = va_arg(args, SCODE); return S_OK;
        case VT_BSTR: {
            LPCWSTR text = va_arg(args, LPCWSTR);
            arg.bstrVal = ::SysAllocString(text ? text : L"");
            return arg.bstrVal ? S_OK : E_OUTOFMEMORY;
        }
        case VT_DISPATCH:
            arg.pdispVal = va_arg(args, LPDISPATCH);
            if (arg.pdispVal) arg.pdispVal->AddRef();
            return S_OK;
        case VT_UNKNOWN:
            arg.punkVal = va_arg(args, LPUNKNOWN);
            if (arg.punkVal) arg.punkVal->AddRef();
            return S_OK;
        case VT_VARIANT: {
            const VARIANT* source = va_arg(args, const VARIANT*);
            arg.vt = VT_EMPTY;
            return source ? ::VariantCopy(&arg, const_cast<VARIANT*>(source)) : E_INVALIDARG;
        }
        default: arg.vt = VT_EMPTY; return E_INVALIDARG;
    }
}

// Moves the invocation's result into the caller's storage as vtRet.
HRESULT StoreResult(VARIANT& value, VARTYPE vtRet, void* result) {
    if (vtRet == VT_EMPTY || !result) return S_OK;
    if (vtRet == VT_VARIANT) {
        VARIANT* out = static_cast<VARIANT*>(result);
        ::VariantClear(out);
        *out = value;
        ::VariantInit(&value);
        return S_OK;
    }
    HRESULT hr = ::VariantChangeType(&value, &value, 0, vtRet);
    if (FAILED(hr)) return hr;
    switch (vtRet) {
        case VT_I2: *static_cast<short*>(result) = value.iVal; break;
        case VT_I4: *static_cast<long*>(result) = value.lVal; break;
        case VT_UI1: *static_cast<BYTE*>(result) = value.bVal; break;
        case VT_R8: *static_cast<double*>(result) = value.dblVal; break;
        case VT_BOOL: *static_cast<BOOL*>(result) = value.boolVal != VARIANT_FALSE; break;
        case VT_ERROR: *static_cast<SCODE*>(result) = value.scode; break;
        case VT_BSTR: *static_cast<CString*>(result) = value.bstrVal ? value.bstrVal : L""; break;
        case VT_DISPATCH:
            *static_cast<LPDISPATCH*>(result) = value.pdispVal;
            value.vt = VT_EMPTY;
            break;
        case VT_UNKNOWN:
            *static_cast<LPUNKNOWN*>(result) = value.punkVal;
            value.vt = VT_EMPTY;
            break;
        default: return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace

HRESULT COleDispatchDriver::InvokeHelper(DISPID dispid, WORD flags, VARTYPE vtRet, void* result, const BYTE* paramInfo,
                                         ...) {
    va_list args;
    va_start(args, paramInfo);
    HRESULT hr = InvokeHelperV(dispid, flags, vtRet, result, paramInfo, args);
    va_end(args);
    return hr;
}

HRESULT COleDispatchDriver::InvokeHelperV(DISPID dispid, WORD flags, VARTYPE vtRet, void* result, const BYTE* paramInfo,
                                          va_list args) {
    m_lastErrorText.Empty();
    if (!m_lpDispatch) return E_POINTER;
    size_t count = paramInfo ? strlen(reinterpret_cast<const char*>(paramInfo)) : 0;
    std::vector<VARIANT> arguments(count);
    for (VARIANT& arg : arguments) ::VariantInit(&arg);
    HRESULT hr = S_OK;
    // The object reads its arguments last to first.
    va_list cursor;
    va_copy(cursor, args);
    for (size_t i = 0; i < count && SUCCEEDED(hr); ++i)
        hr = ReadArgument(paramInfo[i], cursor, arguments[count - 1 - i]);
    va_end(cursor);

    VARIANT value;
    ::VariantInit(&value);
    if (SUCCEEDED(hr)) {
        DISPPARAMS params = {};
        DISPID namedPut = DISPID_PROPERTYPUT;
        params.cArgs = static_cast<UINT>(count);
        params.rgvarg = count ? arguments.data() : nullptr;
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.cNamedArgs = 1;
            params.rgdispidNamedArgs = &namedPut;
        }
        EXCEPINFO exception = {};
        UINT argError = 0;
        hr = m_lpDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  vtRet == VT_EMPTY ? nullptr : &value, &exception, &argError);
        if (hr == DISP_E_EXCEPTION) {
            if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
            if (exception.bstrDescription) m_lastErrorText = exception.bstrDescription;
            if (exception.scode) hr = exception.scode;
        }
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
    }
    if (SUCCEEDED(hr)) hr = StoreResult(value, vtRet, result);
    ::VariantClear(&value);
    for (VARIANT& arg : arguments) ::VariantClear(&arg);
    return hr;
}

HRESULT COleDispatchDriver::GetProperty(DISPID dispid, VARTYPE vtProp, void* value) {
    return InvokeHelper(dispid, DISPATCH_PROPERTYGET, vtProp, value, nullptr);
}

HRESULT COleDispatchDriver::SetProperty(DISPID dispid, VARTYPE vtProp, ...) {
    BYTE paramInfo[2] = {static_cast<BYTE>(vtProp), 0};
    va_list args;
    va_start(args, vtProp);
    WORD flags = (vtProp == VT_DISPATCH || vtProp == VT_UNKNOWN) ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    HRESULT hr = InvokeHelperV(dispid, flags, VT_EMPTY, nullptr, paramInfo, args);
    va_end(args);
    return hr;
}
