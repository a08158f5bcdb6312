// Records that cross the boundary between the proxy and this plug-in. Their
// layouts are fixed by the proxy's loader, so every field keeps its width and
// place; the size checks hold for the 32-bit Windows build that the proxy loads.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define KESTRIN_CALL __stdcall
#else
#define KESTRIN_CALL
#endif

// One registration record handed to the open function (304 bytes).
struct PLUGIN_DEVICE_RECORD {
    char regAddress[32];
    int32_t regPort;
    char userName[64];
    char password[64];
    char registrationId[128];
    int32_t streamMode;
    int32_t channelCount;
    int32_t deviceInfo;
};

// One framed SDK packet as the proxy hands it to the command parser.
struct SDK_COMMAND {
    const uint8_t* data;
    int32_t length;
    int32_t clientId;
    int32_t reserved;
};

enum ParseAction {
    kParseLogin = 0,          // answered locally as a login
    kParseSubConnection = 1,  // answered locally as a sub-connection
    kParseOther = 2,          // not answered locally
};

// What the proxy does with one SDK packet (540 bytes).
struct PARSE_RESULT {
    uint8_t reply[512];
    int32_t replyLength;
    int32_t action;
    int32_t forward;
    int32_t connect;
    int32_t registerClient;
    int32_t mainSessionId;
    int32_t sessionIndex;
};

// Addresses one SDK connection: the login's session id and the connection
// within it (0 = main connection).
struct PLUGIN_DATA_TARGET {
    int32_t sessionId;
    int32_t subIndex;
};

typedef int(KESTRIN_CALL* PluginMessageCallback)(int kind, int state, void* user);
typedef int(KESTRIN_CALL* PluginDataCallback)(PLUGIN_DATA_TARGET* targets, int count,
                                               uint8_t* data, int length, void* user);

static_assert(sizeof(PLUGIN_DEVICE_RECORD) == 304, "record layout is fixed by the proxy");
static_assert(sizeof(PARSE_RESULT) == 540, "parse result layout is fixed by the proxy");
static_assert(sizeof(PLUGIN_DATA_TARGET) == 8, "target layout is fixed by the proxy");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SDK_COMMAND) == 16, "command layout is fixed by the proxy");
#endif
