// A COM server library whose registration succeeds and whose unregistration
// fails, for the registration helpers' tests.
#include <windows.h>

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return S_OK; }
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return E_FAIL; }
