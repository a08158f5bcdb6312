// The proxy's 328-byte device record, from the proxy's own header when the
// proxy is part of the build, else the same layout declared here.
#pragma once

#if __has_include("proxy/Portmoor.h")
#include "proxy/Portmoor.h"
#else
#include <stdint.h>

struct PROXY_DEVICE_INFO {
    char regAddress[32];
    int32_t regPort;
    char userName[32];
    char password[32];
    char registrationId[64];
    char localAddress[32];
    int32_t localPort;
    char localUserName[32];
    char localPassword[32];
    int32_t reserved1;
    int32_t channelCount;
    int32_t deviceInfo;
    int32_t streamMode;
    int32_t reserved2;
    int32_t reserved3;
    uint8_t reserved[40];
};
static_assert(sizeof(PROXY_DEVICE_INFO) == 328, "record layout is fixed");
#endif

#define PROXY_DEVICE_AUTOREGISTER 1
