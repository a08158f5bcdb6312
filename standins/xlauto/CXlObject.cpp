#include "CXlObject.h"

#include "CXlApplication.h"

HRESULT CXlObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CXlObject::AddRef() {
    if (++m_refs == 1) m_app->OnObjectHeld(+1);
    return m_refs;
}

ULONG CXlObject::Release() {
    if (m_refs == 0) return 0;
    ULONG left = --m_refs;
    // May delete this object with its application: nothing of it is touched after.
    if (left == 0) m_app->OnObjectHeld(-1);
    return left;
}

HRESULT CXlObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CXlObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT CXlObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    size_t memberCount = 0;
    const XlMember* members = Members(memberCount);
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    for (size_t i = 0; i < memberCount; ++i)
        if (names[0] && lstrcmpiW(names[0], members[i].name) == 0) ids[0] = members[i].id;
    if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    // Named arguments are not offered: every member takes its arguments by position.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT CXlObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argError) {
    if (!params) return E_INVALIDARG;
    size_t memberCount = 0;
    const XlMember* members = Members(memberCount);
    bool known = false;
    for (size_t i = 0; i < memberCount; ++i) known = known || members[i].id == id;
    if (!known) return DISP_E_MEMBERNOTFOUND;
    if (m_app->HasQuit()) return Fail(exception, RPC_E_DISCONNECTED, L"The application has quit.");
    // A client keeps this object alive during the call even when it is released inside.
    AddRef();
    HRESULT hr = InvokeMember(id, flags, params, result, exception);
    Release();
    return hr;
}

HRESULT CXlObject::Fail(EXCEPINFO* exception, HRESULT scode, const wchar_t* description) {
    if (!exception) return scode;
    ZeroMemory(exception, sizeof(*exception));
    exception->bstrSource = SysAllocString(L"Spreadsheet stand-in");
    exception->bstrDescription = SysAllocString(description);
    exception->scode = scode;
    return DISP_E_EXCEPTION;
}

HRESULT CXlObject::Argument(const DISPPARAMS* params, UINT index, VARTYPE vt, VARIANT& out) {
    UINT positional = PositionalCount(params);
    if (index >= positional) return DISP_E_PARAMNOTFOUND;
    // Positional arguments come last to first, after the named ones.
    VARIANT* source = &params->rgvarg[params->cArgs - 1 - index];
    VariantInit(&out);
    HRESULT hr = VariantChangeType(&out, source, 0, vt);
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT CXlObject::PutValue(const DISPPARAMS* params, VARTYPE vt, VARIANT& out) {
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
        params->cArgs < 1)
        return DISP_E_PARAMNOTFOUND;
    VariantInit(&out);
    HRESULT hr = VariantChangeType(&out, &params->rgvarg[0], 0, vt);
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT CXlObject::ReturnObject(CXlObject* object, VARIANT* result) {
    if (!result) return S_OK;
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    object->AddRef();
    return S_OK;
}
