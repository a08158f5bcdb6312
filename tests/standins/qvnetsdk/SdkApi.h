// qvnetsdk.dll bound by ordinal, as the program binds it.
#pragma once

#include <windows.h>

#include "sdk/qvnetsdk/qvnetsdk.h"
#include "standins/qvnetsdk/QvNetTestExports.h"

struct SdkApi {
#define QVNET_API_MEMBER(ret, name, args) PFN_QVNET_##name name = nullptr;
    QVNET_FUNCTIONS(QVNET_API_MEMBER)
    QVNET_TEST_FUNCTIONS(QVNET_API_MEMBER)
#undef QVNET_API_MEMBER
    HMODULE module = nullptr;

    // True when the DLL loaded and every ordinal resolved.
    bool Load();
};

SdkApi& Sdk();
