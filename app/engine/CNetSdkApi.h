// CNetSdkApi: the network device SDK bound by ordinal into a table of function
// pointers. The playback and download service calls the SDK only through such
// a table, so a test can put a counting or failing function in one entry.
#pragma once

#include <windows.h>

#include "platform/qvnetsdk/qvnetsdk.h"

class CNetSdkApi {
public:
    CNetSdkApi() = default;
    ~CNetSdkApi();
    CNetSdkApi(const CNetSdkApi&) = delete;
    CNetSdkApi& operator=(const CNetSdkApi&) = delete;

    // Loads the library (by name through the DLL search path, or a full path)
    // and binds every export by ordinal. Returns 0 (also when already loaded),
    // -1 when the library does not load, -2 when an ordinal is missing (the
    // library is freed again and every entry stays null).
    int Load(const wchar_t* path = L"qvnetsdk.dll");
    bool IsLoaded() const { return m_module != nullptr; }

#define QVNET_API_ENTRY(ret, name, args) PFN_QVNET_##name name = nullptr;
    QVNET_FUNCTIONS(QVNET_API_ENTRY)
#undef QVNET_API_ENTRY

private:
    void ClearEntries();

    HMODULE m_module = nullptr;
};
