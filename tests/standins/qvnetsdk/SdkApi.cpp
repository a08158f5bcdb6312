#include "SdkApi.h"

bool SdkApi::Load() {
    if (module) return true;
    module = LoadLibraryW(L"qvnetsdk.dll");
    if (!module) return false;
    bool complete = true;
#define QVNET_API_BIND(ret, name, args)                                                                    \
    name = reinterpret_cast<PFN_QVNET_##name>(GetProcAddress(module, MAKEINTRESOURCEA(QVNET_ORD_##name))); \
    complete = complete && name != nullptr;
    QVNET_FUNCTIONS(QVNET_API_BIND)
    QVNET_TEST_FUNCTIONS(QVNET_API_BIND)
#undef QVNET_API_BIND
    return complete;
}

SdkApi& Sdk() {
    static SdkApi api;
    return api;
}
