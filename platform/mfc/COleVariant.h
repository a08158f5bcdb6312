// A VARIANT that owns its contents: cleared on destruction and before every
// assignment, copied with VariantCopy.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include "CStringT.h"

class COleVariant : public tagVARIANT {
public:
    COleVariant() { ::VariantInit(this); }
    COleVariant(const VARIANT& source);
    COleVariant(const COleVariant& source);
    COleVariant(LPCWSTR text);
    COleVariant(const CString& text);
    // vtSrc picks among VT_I4, VT_ERROR and VT_BOOL for the same long.
    COleVariant(long value, VARTYPE vtSrc = VT_I4);
    COleVariant(short value, VARTYPE vtSrc = VT_I2);
    COleVariant(double value);
    ~COleVariant() { ::VariantClear(this); }

    COleVariant& operator=(const VARIANT& source);
    COleVariant& operator=(const COleVariant& source);
    COleVariant& operator=(LPCWSTR text);
    COleVariant& operator=(long value);

    void Clear() { ::VariantClear(this); }
    // The contents handed over to the caller, who clears them; this is left empty.
    VARIANT Detach();
    // Converts in place; the HRESULT of VariantChangeType.
    HRESULT ChangeType(VARTYPE vartype);

    operator LPVARIANT() { return this; }
    operator const VARIANT*() const { return this; }
};

// The value a caller passes for an optional automation argument it leaves out.
COleVariant AfxOptionalArgument();
