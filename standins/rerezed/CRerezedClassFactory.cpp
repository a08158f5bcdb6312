#include "CRerezedClassFactory.h"

#include <new>

#include "CRerezedControl.h"

namespace {
LONG g_locks = 0;
}

LONG CRerezedClassFactory::Locks() { return g_locks; }

STDMETHODIMP CRerezedClassFactory::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
}

STDMETHODIMP CRerezedClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* control = new (std::nothrow) CRerezedControl(m_module);
    if (!control) return E_OUTOFMEMORY;
    HRESULT hr = control->QueryInterface(riid, out);
    control->Release();
    return hr;
}

STDMETHODIMP CRerezedClassFactory::LockServer(BOOL lock) {
    if (lock)
        ::InterlockedIncrement(&g_locks);
    else
        ::InterlockedDecrement(&g_locks);
    return S_OK;
}
