// Makes Rerezed control objects; counts server locks for DllCanUnloadNow.
#pragma once

#include <unknwn.h>

class CRerezedClassFactory : public IClassFactory {
public:
    explicit CRerezedClassFactory(HINSTANCE module) : m_module(module) {}
    static LONG Locks();

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    // The factory lives as long as the module: no count of its own.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    HINSTANCE m_module;
};
