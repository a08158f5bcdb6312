// The event sink the container advises on a hosted control's default source
// interface: every event goes to the container, which finds the handler in
// its window's event sink map. Disconnected at teardown, so an event a
// control still sends then reaches nobody.
#pragma once

#include <ole2.h>

class COleControlContainer;

class COleControlEventSink : public IDispatch {
public:
    COleControlEventSink(COleControlContainer* container, UINT id, REFIID events);
    void Disconnect() { m_container = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    virtual ~COleControlEventSink() = default;
    LONG m_refs = 1;
    COleControlContainer* m_container;
    UINT m_id;
    IID m_events;
};
