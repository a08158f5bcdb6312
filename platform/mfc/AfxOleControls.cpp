#include "AfxOleControls.h"

#include <vector>

#include "CStringT.h"

namespace {
bool g_containerEnabled = false;

// One InvokeHelper argument taken off the variable list as its VTS byte says.
bool PushArgument(VARIANT& v, BYTE kind, va_list& args) {
    ::VariantInit(&v);
    switch (kind) {
        case VT_I2:
            v.vt = VT_I2;
            v.iVal = static_cast<short>(va_arg(args, int));
            return true;
        case VT_I4:
            v.vt = VT_I4;
            v.lVal = va_arg(args, long);
            return true;
        case VT_R4:
            v.vt = VT_R4;
            v.fltVal = static_cast<float>(va_arg(args, double));
            return true;
        case VT_R8:
            v.vt = VT_R8;
            v.dblVal = va_arg(args, double);
            return true;
        case VT_BOOL:
            v.vt = VT_BOOL;
            v.boolVal = va_arg(args, BOOL) ? VARIANT_TRUE : VARIANT_FALSE;
            return true;
        case VT_BSTR: {
            const wchar_t* text = va_arg(args, const wchar_t*);
            v.vt = VT_BSTR;
            v.bstrVal = ::SysAllocString(text ? text : L"");
            return v.bstrVal != nullptr;
        }
        case VT_I2 | VT_MFCBYREF:
            v.vt = VT_I2 | VT_BYREF;
            v.piVal = va_arg(args, short*);
            return true;
        case VT_I4 | VT_MFCBYREF:
            v.vt = VT_I4 | VT_BYREF;
            v.plVal = va_arg(args, long*);
            return true;
    }
    return false;
}

void ClearResult(VARTYPE type, void* result) {
    if (!result) return;
    switch (type) {
        case VT_I2: *static_cast<short*>(result) = 0; break;
        case VT_I4: *static_cast<long*>(result) = 0; break;
        case VT_BOOL: *static_cast<BOOL*>(result) = FALSE; break;
        case VT_BSTR: static_cast<CString*>(result)->Empty(); break;
    }
}

HRESULT StoreResult(VARIANT& value, VARTYPE type, void* result) {
    if (type == VT_EMPTY || !result) return S_OK;
    VARIANT converted;
    ::VariantInit(&converted);
    HRESULT hr = ::VariantChangeType(&converted, &value, 0, type);
    if (FAILED(hr)) return hr;
    switch (type) {
        case VT_I2: *static_cast<short*>(result) = converted.iVal; break;
        case VT_I4: *static_cast<long*>(result) = converted.lVal; break;
        case VT_BOOL: *static_cast<BOOL*>(result) = converted.boolVal != VARIANT_FALSE; break;
        case VT_BSTR: *static_cast<CString*>(result) = converted.bstrVal ? converted.bstrVal : L""; break;
        default: hr = DISP_E_TYPEMISMATCH;
    }
    ::VariantClear(&converted);
    return hr;
}
}  // namespace

BOOL AfxOleInit() { return SUCCEEDED(::OleInitialize(nullptr)); }

void AfxEnableControlContainer() { g_containerEnabled = true; }

BOOL AfxOleControlContainerEnabled() { return g_containerEnabled; }

HRESULT AfxInvokeDispatchV(IDispatch* dispatch, DISPID id, WORD flags, VARTYPE resultType, void* result,
                           const BYTE* info, va_list args) {
    ClearResult(resultType, result);
    if (!dispatch) return E_POINTER;
    size_t count = info ? std::strlen(reinterpret_cast<const char*>(info)) : 0;
    std::vector<VARIANT> values(count);
    HRESULT hr = S_OK;
    size_t pushed = 0;
    // DISPPARAMS holds the arguments last first.
    for (; pushed < count; ++pushed) {
        if (!PushArgument(values[count - 1 - pushed], info[pushed], args)) {
            hr = DISP_E_TYPEMISMATCH;
            break;
        }
    }
    if (SUCCEEDED(hr)) {
        DISPID named = DISPID_PROPERTYPUT;
        bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        DISPPARAMS params = {count ? values.data() : nullptr, put ? &named : nullptr, static_cast<UINT>(count),
                             put ? 1u : 0u};
        VARIANT value;
        ::VariantInit(&value);
        UINT argError = 0;
        hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                              resultType == VT_EMPTY ? nullptr : &value, nullptr, &argError);
        if (SUCCEEDED(hr)) hr = StoreResult(value, resultType, result);
        ::VariantClear(&value);
    }
    for (size_t i = 0; i < pushed; ++i) ::VariantClear(&values[count - 1 - i]);
    return hr;
}

bool AfxEventArgument::Convert(VARIANT& source, BYTE vts) {
    ::VariantClear(&m_value);
    m_ref = nullptr;
    if (vts & VT_MFCBYREF) {
        VARTYPE wanted = static_cast<VARTYPE>((vts & ~VT_MFCBYREF) | VT_BYREF);
        VARIANT* v = &source;
        if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
        if (v->vt != wanted) return false;
        m_ref = v->byref;
        return true;
    }
    return SUCCEEDED(::VariantChangeType(&m_value, &source, 0, vts));
}

long AfxEventArgument::AsLong() const {
    switch (m_value.vt) {
        case VT_BOOL: return m_value.boolVal != VARIANT_FALSE ? TRUE : FALSE;
        case VT_I2: return m_value.iVal;
        case VT_I4: return m_value.lVal;
        case VT_R4: return static_cast<long>(m_value.fltVal);
        case VT_R8: return static_cast<long>(m_value.dblVal);
    }
    return 0;
}

double AfxEventArgument::AsDouble() const {
    switch (m_value.vt) {
        case VT_R4: return m_value.fltVal;
        case VT_R8: return m_value.dblVal;
    }
    return AsLong();
}
