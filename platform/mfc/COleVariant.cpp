#include "COleVariant.h"

COleVariant::COleVariant(const VARIANT& source) {
    ::VariantInit(this);
    ::VariantCopy(this, const_cast<VARIANT*>(&source));
}

COleVariant::COleVariant(const COleVariant& source) : COleVariant(static_cast<const VARIANT&>(source)) {}

COleVariant::COleVariant(LPCWSTR text) {
    ::VariantInit(this);
    *this = text;
}

COleVariant::COleVariant(const CString& text) : COleVariant(static_cast<LPCWSTR>(text)) {}

COleVariant::COleVariant(long value, VARTYPE vtSrc) {
    ::VariantInit(this);
    vt = vtSrc;
    switch (vtSrc) {
        case VT_ERROR: scode = value; break;
        case VT_BOOL: boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; break;
        default:
            vt = VT_I4;
            lVal = value;
            break;
    }
}

COleVariant::COleVariant(short value, VARTYPE vtSrc) {
    ::VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = VT_I2;
        iVal = value;
    }
}

COleVariant::COleVariant(double value) {
    ::VariantInit(this);
    vt = VT_R8;
    dblVal = value;
}

COleVariant& COleVariant::operator=(const VARIANT& source) {
    if (&source != this) {
        ::VariantClear(this);
        ::VariantCopy(this, const_cast<VARIANT*>(&source));
    }
    return *this;
}

COleVariant& COleVariant::operator=(const COleVariant& source) { return *this = static_cast<const VARIANT&>(source); }

COleVariant& COleVariant::operator=(LPCWSTR text) {
    ::VariantClear(this);
    vt = VT_BSTR;
    bstrVal = ::SysAllocString(text ? text : L"");
    return *this;
}

COleVariant& COleVariant::operator=(long value) {
    ::VariantClear(this);
    vt = VT_I4;
    lVal = value;
    return *this;
}

VARIANT COleVariant::Detach() {
    VARIANT out = *this;
    ::VariantInit(this);
    return out;
}

HRESULT COleVariant::ChangeType(VARTYPE vartype) { return ::VariantChangeType(this, this, 0, vartype); }

COleVariant AfxOptionalArgument() { return COleVariant(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR); }
