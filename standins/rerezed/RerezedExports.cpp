// The control's in-process server entry points. Registration writes the
// class under HKEY_CLASSES_ROOT\CLSID with this file's own path.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "CRerezedClassFactory.h"
#include "CRerezedControl.h"
#include "CRerezedView.h"

namespace {
HINSTANCE g_module = nullptr;
const wchar_t kClassKey[] = L"CLSID\\" REREZED_CLSID_TEXT;
const wchar_t kProgId[] = L"Rerezed.RerezedCtrl.1";

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

HRESULT Unregister() {
    LONG a = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    LONG b = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    bool ok = (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
    return ok ? S_OK : SELFREG_E_CLASS;
}
}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    static CRerezedClassFactory factory(g_module);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_Rerezed) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CRerezedControl::LiveObjects() == 0 && CRerezedClassFactory::Locks() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        wchar_t path[MAX_PATH];
        DWORD length = ::GetModuleFileNameW(g_module, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
        std::wstring key = kClassKey;
        bool ok = SetValue(key, nullptr, L"Rerezed Video Window Control") &&
                  SetValue(key + L"\\InprocServer32", nullptr, path) &&
                  SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                  SetValue(key + L"\\ProgID", nullptr, kProgId) && SetValue(key + L"\\Control", nullptr, L"") &&
                  SetValue(kProgId, nullptr, L"Rerezed Video Window Control") &&
                  SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, REREZED_CLSID_TEXT);
        if (ok) return S_OK;
        Unregister();
        return SELFREG_E_CLASS;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return Unregister(); }
