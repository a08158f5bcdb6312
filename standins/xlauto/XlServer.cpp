// The library's COM entry points: the class object for the application and
// self-registration under the ProgID "Excel.Application".
#include <windows.h>
#include <objbase.h>
#include <olectl.h>
#include <string>

#include "CXlApplication.h"

HINSTANCE g_xlautoModule = nullptr;

namespace {

// {E8B9B1EA-A594-425E-8088-CA194A15556B}
const CLSID kApplicationClsid = {0xe8b9b1ea, 0xa594, 0x425e, {0x80, 0x88, 0xca, 0x19, 0x4a, 0x15, 0x55, 0x6b}};
const wchar_t kClsidText[] = L"{E8B9B1EA-A594-425E-8088-CA194A15556B}";
const wchar_t kProgId[] = L"Excel.Application";
long g_serverLocks = 0;

class CApplicationFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Static object: lives as long as the library.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            CXlApplication* app = new CXlApplication();
            app->AddRef();
            HRESULT hr = app->QueryInterface(iid, object);
            // Ends the application again when the interface was refused.
            app->Release();
            return hr;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        g_serverLocks += lock ? 1 : -1;
        return S_OK;
    }
};

CApplicationFactory g_factory;

bool SetKeyValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_xlautoModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != kApplicationClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

// Stays loaded while an application lives: its windows' procedure is in here.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CXlApplication::Running() == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t module[MAX_PATH];
    DWORD length = GetModuleFileNameW(g_xlautoModule, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    bool ok = SetKeyValue(kProgId, nullptr, L"Spreadsheet automation stand-in") &&
              SetKeyValue(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText) &&
              SetKeyValue(clsidKey, nullptr, L"Spreadsheet automation stand-in") &&
              SetKeyValue(clsidKey + L"\\ProgID", nullptr, kProgId) &&
              SetKeyValue(clsidKey + L"\\InprocServer32", nullptr, module) &&
              SetKeyValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    return S_OK;
}
