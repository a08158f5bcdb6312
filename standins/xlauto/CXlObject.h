// The IDispatch every stand-in object exposes: members bound by name
// (case-insensitive) from a table of the class, anything else
// DISP_E_UNKNOWNNAME. Objects belong to their application, which deletes
// them all together; their reference count only says whether a client
// still holds them, and the application learns of every change.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <string>

class CXlApplication;

struct XlMember {
    const wchar_t* name;
    DISPID id;
};

class CXlObject : public IDispatch {
public:
    explicit CXlObject(CXlApplication* app) : m_app(app) {}
    virtual ~CXlObject() = default;
    CXlObject(const CXlObject&) = delete;
    CXlObject& operator=(const CXlObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;

    ULONG References() const { return m_refs; }

    // Fills exception (when given) and gives DISP_E_EXCEPTION, or scode without one.
    static HRESULT Fail(EXCEPINFO* exception, HRESULT scode, const wchar_t* description);
    // Positional argument index (0 = first) converted to vt into out.
    static HRESULT Argument(const DISPPARAMS* params, UINT index, VARTYPE vt, VARIANT& out);
    // A put's value: the single argument named DISPID_PROPERTYPUT.
    static HRESULT PutValue(const DISPPARAMS* params, VARTYPE vt, VARIANT& out);
    static UINT PositionalCount(const DISPPARAMS* params) { return params->cArgs - params->cNamedArgs; }
    // Hands object to the caller as a VT_DISPATCH result with a reference.
    static HRESULT ReturnObject(CXlObject* object, VARIANT* result);

protected:
    // Runs member id (already known to be in Members()); flags as given to Invoke.
    virtual HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) = 0;
    virtual const XlMember* Members(size_t& count) const = 0;

    CXlApplication* m_app;

private:
    ULONG m_refs = 0;
};
