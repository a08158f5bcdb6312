#include "COleControlEventSink.h"

#include "COleControlContainer.h"

COleControlEventSink::COleControlEventSink(COleControlContainer* container, UINT id, REFIID events)
    : m_container(container), m_id(id), m_events(events) {}

STDMETHODIMP COleControlEventSink::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != m_events) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlEventSink::AddRef() { return ::InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) COleControlEventSink::Release() {
    ULONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP COleControlEventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP COleControlEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                          EXCEPINFO*, UINT*) {
    if (result) ::VariantInit(result);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (m_container) m_container->OnEvent(m_id, id, params ? params : &none);
    return S_OK;
}
