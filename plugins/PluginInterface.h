// The contract between the proxy and its device plug-ins: the records that
// cross the boundary, the two callbacks a plug-in reports through and the
// function types the proxy binds by name. Every layout is fixed; the size
// checks hold for the 32-bit Windows build that loads the plug-ins.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define PLUGIN_CALL __stdcall
#else
#define PLUGIN_CALL
#endif

// Opaque device handle of a plug-in; NULL means failure.
typedef void* PLUGIN_HANDLE;

// One device record handed to the open function (304 bytes). The plug-in
// copies what it keeps: the record is freed when the open call returns.
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

// One framed SDK packet (32-byte header included) as the proxy hands it to
// the command parser; clientId names the connection that sent it.
struct SDK_COMMAND {
    const uint8_t* data;
    int32_t length;
    int32_t clientId;
    int32_t reserved;
};

enum ParseAction {
    kParseLogin = 0,          // answered locally as a login
    kParseSubConnection = 1,  // answered locally as a sub-connection
    kParseOther = 2,          // not answered locally (any other value too)
};

// Largest reply the proxy sends back from a parse.
const int32_t kParseReplyMax = 512;

// What the proxy does with one SDK packet (540 bytes), filled by the parser.
struct PARSE_RESULT {
    uint8_t reply[512];
    int32_t replyLength;
    int32_t action;          // ParseAction
    int32_t forward;         // kParseOther: 1 = hand the packet to the send function, reply nothing
    int32_t connect;         // kParseSubConnection: 1 = run the connect step first
    int32_t registerClient;  // kParseLogin, kParseSubConnection: 1 = enter the client in its session
    int32_t mainSessionId;   // kParseSubConnection: the session the connection joins
    int32_t sessionIndex;    // the connection's index in its session (0 = main connection)
};

// Addresses one SDK connection: the login's session id and the connection
// within it (0 = main connection). The proxy passes both with every packet
// to the send function; the plug-in names them again to deliver data.
struct PLUGIN_DATA_TARGET {
    int32_t sessionId;
    int32_t subIndex;
};

// kind 0, state 1 = device on line, 0 = off line. Returns 0, -1 without user.
typedef int(PLUGIN_CALL* PluginMessageCallback)(int kind, int state, void* user);
// Device data for the SDK connections named by targets. Returns the result
// of the last delivery (0 sent, -1 no such connection), -1 for bad arguments.
typedef int(PLUGIN_CALL* PluginDataCallback)(PLUGIN_DATA_TARGET* targets, int count, uint8_t* data, int length,
                                             void* user);

// The functions a plug-in exports (names per plug-in in the proxy's loader).
typedef int(PLUGIN_CALL* PluginInitFn)();
typedef int(PLUGIN_CALL* PluginCleanupFn)();
typedef PLUGIN_HANDLE(PLUGIN_CALL* PluginOpenExFn)(PLUGIN_DEVICE_RECORD* records, int count);
typedef PLUGIN_HANDLE(PLUGIN_CALL* PluginOpenFn)(PLUGIN_DEVICE_RECORD* record, int regPort, char* userName,
                                                 char* password, char* registrationId);
typedef int(PLUGIN_CALL* PluginCloseFn)(PLUGIN_HANDLE device);
typedef int(PLUGIN_CALL* PluginSetCallBackFn)(PLUGIN_HANDLE device, PluginMessageCallback onMessage,
                                              PluginDataCallback onData, void* user);
typedef int(PLUGIN_CALL* PluginSendDataFn)(PLUGIN_HANDLE device, uint8_t* data, int length, int sessionId,
                                           int subIndex);
typedef int(PLUGIN_CALL* PluginHeartbeatFn)(PLUGIN_HANDLE device);
typedef int(PLUGIN_CALL* PluginConnectFn)(PLUGIN_HANDLE device);
typedef int(PLUGIN_CALL* PluginParseCommandFn)(PLUGIN_HANDLE device, SDK_COMMAND* command, PARSE_RESULT* result);
typedef int(PLUGIN_CALL* PluginCloseCommandFn)(PLUGIN_HANDLE device, int sessionId);
typedef int(PLUGIN_CALL* PluginGetDeviceInfoFn)(PLUGIN_HANDLE device, int* info);

static_assert(sizeof(PLUGIN_DEVICE_RECORD) == 304, "record layout is fixed");
static_assert(sizeof(PARSE_RESULT) == 540, "parse result layout is fixed");
static_assert(sizeof(PLUGIN_DATA_TARGET) == 8, "target layout is fixed");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SDK_COMMAND) == 16, "command layout is fixed");
#endif
