#include "app/engine/CNetSdkApi.h"

CNetSdkApi::~CNetSdkApi() {
    if (m_module) FreeLibrary(m_module);
}

void CNetSdkApi::ClearEntries() {
#define QVNET_API_CLEAR(ret, name, args) name = nullptr;
    QVNET_FUNCTIONS(QVNET_API_CLEAR)
#undef QVNET_API_CLEAR
}

int CNetSdkApi::Load(const wchar_t* path) {
    if (m_module) return 0;
    HMODULE module = LoadLibraryW(path);
    if (!module) return -1;
    bool complete = true;
#define QVNET_API_BIND(ret, name, args)                                                                     \
    name = reinterpret_cast<PFN_QVNET_##name>(                                                              \
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(QVNET_ORD_##name))));               \
    complete = complete && name != nullptr;
    QVNET_FUNCTIONS(QVNET_API_BIND)
#undef QVNET_API_BIND
    if (!complete) {
        ClearEntries();
        FreeLibrary(module);
        return -2;
    }
    m_module = module;
    return 0;
}
