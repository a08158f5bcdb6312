// Public face of the network device SDK qvnetsdk.dll: the records it fills,
// the callbacks it calls on its own threads, and one function-pointer type per
// export. Callers bind the exports by ordinal (QVNET_ORD_*); the DLL also
// exports every function under its name.
//
// Conventions: handles are 32-bit, 0 means failure; a failing call leaves a
// code for QVNET_LastErrorCode on the calling thread. Texts are narrow
// (ANSI code page). Every export and every callback is __stdcall.
//
// Threads: callbacks arrive on the SDK's threads. No SDK call waits for one of
// those threads while it may be inside a caller's callback, so a caller may
// hold its own locks across SDK calls that its callbacks also take. After a
// stop call returns, no new callback for that handle begins; one that was
// already being delivered may still be finishing.
//
// The LAN search probes UDP port 37810 of 255.255.255.255.
//
// This is the contract as the program uses it; the stand-in DLL adds hooks
// for tests on top of it (standins/qvnetsdk/QvNetTestExports.h).
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef QVNET_CALL
#define QVNET_CALL __stdcall
#endif

typedef uintptr_t QVNET_USER;  // caller's value, handed back unchanged

// ---- Error codes (QVNET_LastErrorCode) -----------------------------------
#define QVNET_ERR_NONE 0x00000000u
#define QVNET_ERR_NOT_INIT 0x80000001u  // QVNET_Init not called, or after QVNET_Cleanup
#define QVNET_ERR_NETWORK 0x80000002u   // connection failed or lost
#define QVNET_ERR_INVALID_HANDLE 0x80000003u
#define QVNET_ERR_INVALID_PARAM 0x80000004u
#define QVNET_ERR_TIMEOUT 0x80000005u      // the device did not answer in time: retry later
#define QVNET_ERR_NO_FILE 0x80000006u      // the device has no such record file or range
#define QVNET_ERR_LOCAL_FILE 0x80000007u   // the local output file could not be created
#define QVNET_ERR_UNSUPPORTED 0x80000008u  // the device does not offer that query or command
#define QVNET_ERR_BUFFER_SMALL 0x80000009u
#define QVNET_ERR_LOGIN 0x8000000Au        // login refused; the reason is the login error code
#define QVNET_ERR_NO_AUDIO 0x8000000Bu     // no local audio device
#define QVNET_ERR_DEVICE_BUSY 0x80000055u  // the device is busy: retry later

// Login error codes (error out-value of QVNET_LoginDevice).
#define QVNET_LOGIN_WRONG_PASSWORD 1
#define QVNET_LOGIN_WRONG_USER 2
#define QVNET_LOGIN_TIMEOUT 3  // no connection or no answer in time
#define QVNET_LOGIN_ALREADY_IN 4
#define QVNET_LOGIN_LOCKED 5
#define QVNET_LOGIN_BLACKLISTED 6
#define QVNET_LOGIN_BUSY 7

// Event types of the event callback.
#define QVNET_EVENT_REPLAY_END 3    // a playback delivered its last byte
#define QVNET_EVENT_FETCH_FAILED 4  // a download broke off (its session may be dropped too)

// ---- Records ----------------------------------------------------------------
#pragma pack(push, 4)

// A local time: year, month, day, hour, minute, second.
typedef struct QVNET_TIME {
    uint32_t year, month, day, hour, minute, second;
} QVNET_TIME;

// One record file on a device (or, with recordType 0xFF, a time range).
typedef struct RECORD_FILE_DESC {
    uint32_t channel;  // 0-based
    char fileName[128];
    uint32_t sizeKB;
    QVNET_TIME start;
    QVNET_TIME end;
    uint32_t location1;  // identify the file on the device together
    uint32_t location2;
    uint8_t recordType;  // 0 normal, 1/2 alarm, other values other; 0xFF time range
    uint8_t reserved[2];
    uint8_t recordKind;
} RECORD_FILE_DESC;

#define QVNET_RECORD_TIME_RANGE 0xFF

// What a login reports about the device.
typedef struct QVNET_DEVICE_INFO {
    char serial[48];
    uint8_t alarmInCount;
    uint8_t alarmOutCount;
    uint8_t diskCount;
    uint8_t deviceType;
    uint8_t channelCount;
    uint8_t protocolVersion;
    uint8_t reserved[10];
} QVNET_DEVICE_INFO;

// One device found by the LAN search.
typedef struct DEVICE_SEARCH_RESULT {
    uint32_t structSize;  // sizeof(DEVICE_SEARCH_RESULT)
    char ip[64];
    int32_t port;
    char mask[64];
    char gateway[64];
    char mac[40];
    char serial[48];
    char name[64];
    int32_t channelCount;
    int32_t deviceType;
    uint8_t reserved[692];
} DEVICE_SEARCH_RESULT;

// Network parameters (QVNET_SetNetworkParams): twelve ints, 0 = keep default.
typedef struct QVNET_NET_PARAMS {
    int32_t connectWaitMs;   // TCP connect of a login (default 5000)
    int32_t replyWaitMs;     // answer to a command that has no wait argument (default 5000)
    int32_t connectTries;    // connect attempts of a login (default 1)
    int32_t retryPauseMs;    // pause between connect attempts (default 100)
    int32_t loginWaitMs;     // answer to a login (default 5000)
    int32_t keepAliveMs;     // keep-alive period (default 10000); a peer silent for 4.5 periods is lost
    int32_t transferWaitMs;  // answer to one block of a download or playback (default 10000)
    int32_t reserved[5];
} QVNET_NET_PARAMS;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(QVNET_TIME) == 24, "QVNET_TIME is six 32-bit values");
static_assert(sizeof(RECORD_FILE_DESC) == 196, "RECORD_FILE_DESC is 196 bytes");
static_assert(offsetof(RECORD_FILE_DESC, sizeKB) == 132, "size at 132");
static_assert(offsetof(RECORD_FILE_DESC, start) == 136, "start at 136");
static_assert(offsetof(RECORD_FILE_DESC, end) == 160, "end at 160");
static_assert(offsetof(RECORD_FILE_DESC, location1) == 184, "location values at 184");
static_assert(offsetof(RECORD_FILE_DESC, recordType) == 192, "marker at 192");
static_assert(offsetof(RECORD_FILE_DESC, recordKind) == 195, "kind at 195");
static_assert(sizeof(QVNET_DEVICE_INFO) == 64, "device info is 64 bytes");
static_assert(offsetof(QVNET_DEVICE_INFO, alarmInCount) == 48, "alarm inputs at 48");
static_assert(offsetof(QVNET_DEVICE_INFO, alarmOutCount) == 49, "alarm outputs at 49");
static_assert(offsetof(QVNET_DEVICE_INFO, deviceType) == 51, "type code at 51");
static_assert(offsetof(QVNET_DEVICE_INFO, channelCount) == 52, "channels at 52");
static_assert(sizeof(DEVICE_SEARCH_RESULT) == 1052, "search result is 1052 bytes");
static_assert(offsetof(DEVICE_SEARCH_RESULT, ip) == 4, "ip at 4");
static_assert(offsetof(DEVICE_SEARCH_RESULT, port) == 68, "port at 68");
static_assert(offsetof(DEVICE_SEARCH_RESULT, mask) == 72, "mask at 72");
static_assert(offsetof(DEVICE_SEARCH_RESULT, gateway) == 136, "gateway at 136");
static_assert(offsetof(DEVICE_SEARCH_RESULT, mac) == 200, "mac at 200");
static_assert(sizeof(QVNET_NET_PARAMS) == 48, "twelve ints");
#endif

// ---- Callbacks --------------------------------------------------------------
// A login session was lost without QVNET_LogoutDevice (once per loss).
typedef void(QVNET_CALL* QVNET_DisconnectCallback)(int32_t loginHandle, const char* ip, int32_t port, QVNET_USER user);
// Device messages; return 1.
typedef int32_t(QVNET_CALL* QVNET_MessageCallback)(int32_t command, int32_t loginHandle, const char* buffer,
                                                   int32_t length, const char* ip, int32_t port, QVNET_USER user);
typedef void(QVNET_CALL* QVNET_EventCallback)(int32_t eventType, int32_t value, int32_t handle, int32_t value2,
                                              QVNET_USER user);
// Progress of a download by file or of a playback, in KB; done reaches total at the end.
typedef void(QVNET_CALL* QVNET_FilePosCallback)(int32_t handle, uint32_t totalKB, uint32_t doneKB, QVNET_USER user);
// Progress of a download by time, in KB; done is 0xFFFFFFFF (-1) once the file is complete.
typedef void(QVNET_CALL* QVNET_TimePosCallback)(int32_t handle, uint32_t totalKB, uint32_t doneKB, int32_t index,
                                                const RECORD_FILE_DESC* range, QVNET_USER user);
// Stream data of a playback; return 1 when taken, 0 to have the block offered again.
typedef int32_t(QVNET_CALL* QVNET_DataCallback)(int32_t handle, uint32_t dataType, const uint8_t* data, uint32_t length,
                                                QVNET_USER user);
// One found device; data is valid during the call only.
typedef void(QVNET_CALL* QVNET_SearchCallback)(const DEVICE_SEARCH_RESULT* data, QVNET_USER user);
// Talk audio: kind 0 captured locally (to send), kind 1 received from the device (to play).
typedef void(QVNET_CALL* QVNET_TalkCallback)(int32_t talkHandle, const char* buffer, int32_t length, uint8_t kind,
                                             QVNET_USER user);

// ---- Ordinals ---------------------------------------------------------------
enum QVNET_ORDINAL {
    QVNET_ORD_Init = 1,
    QVNET_ORD_Cleanup = 2,
    QVNET_ORD_LogoutDevice = 6,
    QVNET_ORD_SetMessageCallback = 7,
    QVNET_ORD_PostLoginSetup = 8,
    QVNET_ORD_FindRecordFiles = 22,
    QVNET_ORD_SeekReplay = 25,
    QVNET_ORD_StopReplay = 26,
    QVNET_ORD_FetchRecordFile = 32,
    QVNET_ORD_StopFetch = 33,
    QVNET_ORD_ReadChannelNames = 39,
    QVNET_ORD_QueryChannelFileJob = 49,
    QVNET_ORD_StopChannelFileJob = 50,
    QVNET_ORD_ReadRecordStates = 51,
    QVNET_ORD_ReadDeviceClock = 53,
    QVNET_ORD_WriteDeviceClock = 54,
    QVNET_ORD_ReadDeviceStatus = 56,
    QVNET_ORD_ResolveViaDdns = 61,
    QVNET_ORD_ReadChannelConfig = 72,
    QVNET_ORD_LoginDevice = 74,
    QVNET_ORD_FetchTimeRange = 75,
    QVNET_ORD_DeviceControlA = 79,
    QVNET_ORD_DeviceControlB = 82,
    QVNET_ORD_ReadDeviceConfig = 83,
    QVNET_ORD_PostLoginSetupV5 = 85,
    QVNET_ORD_WriteChannelNames = 87,
    QVNET_ORD_LastErrorCode = 90,
    QVNET_ORD_ReplayRecordFile = 91,
    QVNET_ORD_ReplayTimeRange = 92,
    QVNET_ORD_OpenTalk = 93,
    QVNET_ORD_SendTalkAudio = 95,
    QVNET_ORD_StartLocalAudio = 96,
    QVNET_ORD_StopLocalAudio = 97,
    QVNET_ORD_PlayDeviceAudio = 98,
    QVNET_ORD_CloseTalk = 99,
    QVNET_ORD_SetTalkEncoding = 120,
    QVNET_ORD_StartChannelFileJob = 121,
    QVNET_ORD_SetNetworkParams = 133,
    QVNET_ORD_SetEventCallback = 157,
    QVNET_ORD_StartDeviceSearch = 213,
    QVNET_ORD_StopDeviceSearch = 214,
};

// ---- Functions ----------------------------------------------------------------
// Each returns 0 (FALSE or no handle) on failure, with the reason for
// QVNET_LastErrorCode; BOOL results are 1 on success.
#define QVNET_FUNCTIONS(X)                                                                                           \
    X(int32_t, Init, (QVNET_DisconnectCallback onDisconnect, QVNET_USER user))                                       \
    X(int32_t, Cleanup, (void))                                                                                      \
    X(int32_t, LogoutDevice, (int32_t loginHandle))                                                                  \
    X(void, SetMessageCallback, (QVNET_MessageCallback callback, QVNET_USER user))                                   \
    X(int32_t, PostLoginSetup, (int32_t loginHandle))                                                                \
    X(int32_t, FindRecordFiles,                                                                                      \
      (int32_t loginHandle, int32_t channel, int32_t fileType, const QVNET_TIME* start, const QVNET_TIME* end,       \
       const char* cardNumber, RECORD_FILE_DESC* buffer, int32_t bufferSize, int32_t* count, int32_t waitMs,         \
       int32_t reserved))                                                                                            \
    X(int32_t, SeekReplay, (int32_t replayHandle, uint32_t rangeOffsetKB, uint32_t fileOffsetKB))                    \
    X(int32_t, StopReplay, (int32_t replayHandle))                                                                   \
    X(int32_t, FetchRecordFile,                                                                                      \
      (int32_t loginHandle, const RECORD_FILE_DESC* file, const char* savePath, QVNET_FilePosCallback onPos,         \
       QVNET_USER user))                                                                                             \
    X(int32_t, StopFetch, (int32_t fetchHandle))                                                                     \
    X(int32_t, ReadChannelNames, (int32_t loginHandle, char* buffer, int32_t size, int32_t* count, int32_t waitMs))  \
    X(int32_t, QueryChannelFileJob, (int32_t jobHandle))                                                             \
    X(int32_t, StopChannelFileJob, (int32_t jobHandle))                                                              \
    X(int32_t, ReadRecordStates, (int32_t loginHandle, char* buffer, int32_t size, int32_t* length, int32_t waitMs)) \
    X(int32_t, ReadDeviceClock, (int32_t loginHandle, QVNET_TIME * time, int32_t waitMs))                            \
    X(int32_t, WriteDeviceClock, (int32_t loginHandle, const QVNET_TIME* time))                                      \
    X(int32_t, ReadDeviceStatus,                                                                                     \
      (int32_t loginHandle, int32_t statusType, char* buffer, int32_t size, int32_t* length, int32_t waitMs))        \
    X(int32_t, ResolveViaDdns,                                                                                       \
      (const char* serverIp, int32_t serverPort, const char* deviceName, int32_t nameLength, const char* reserved1,  \
       int32_t reserved2, char* deviceIp))                                                                           \
    X(int32_t, ReadChannelConfig,                                                                                    \
      (int32_t loginHandle, int32_t configType, int32_t channel, void* buffer, int32_t size, int32_t* length,        \
       int32_t waitMs))                                                                                              \
    X(int32_t, LoginDevice,                                                                                          \
      (const char* ip, int32_t port, const char* user, const char* password, int32_t loginType, int32_t reserved,    \
       QVNET_DEVICE_INFO* info, int32_t* error))                                                                     \
    X(int32_t, FetchTimeRange,                                                                                       \
      (int32_t loginHandle, int32_t channel, int32_t fileType, const QVNET_TIME* start, const QVNET_TIME* end,       \
       const char* savePath, QVNET_TimePosCallback onPos, QVNET_USER user))                                          \
    X(int32_t, DeviceControlA, (int32_t loginHandle))                                                                \
    X(int32_t, DeviceControlB, (int32_t loginHandle))                                                                \
    X(int32_t, ReadDeviceConfig,                                                                                     \
      (int32_t loginHandle, int32_t configType, void* buffer, int32_t size, int32_t* length, int32_t waitMs))        \
    X(int32_t, PostLoginSetupV5, (int32_t loginHandle))                                                              \
    X(int32_t, WriteChannelNames, (int32_t loginHandle, const char* buffer, int32_t size))                           \
    X(uint32_t, LastErrorCode, (void))                                                                               \
    X(int32_t, ReplayRecordFile,                                                                                     \
      (int32_t loginHandle, const RECORD_FILE_DESC* file, void* window, QVNET_FilePosCallback onPos,                 \
       QVNET_USER posUser, QVNET_DataCallback onData, QVNET_USER dataUser))                                          \
    X(int32_t, ReplayTimeRange,                                                                                      \
      (int32_t loginHandle, int32_t channel, const QVNET_TIME* start, const QVNET_TIME* end, void* window,           \
       QVNET_FilePosCallback onPos, QVNET_USER posUser, QVNET_DataCallback onData, QVNET_USER dataUser))             \
    X(int32_t, OpenTalk, (int32_t loginHandle, QVNET_TalkCallback onAudio, QVNET_USER user))                         \
    X(int32_t, SendTalkAudio, (int32_t talkHandle, const char* buffer, int32_t length))                              \
    X(int32_t, StartLocalAudio, (void))                                                                              \
    X(int32_t, StopLocalAudio, (void))                                                                               \
    X(void, PlayDeviceAudio, (const char* buffer, int32_t length))                                                   \
    X(int32_t, CloseTalk, (int32_t talkHandle))                                                                      \
    X(int32_t, SetTalkEncoding, (int32_t loginHandle, int32_t kind, const void* format))                             \
    X(int32_t, StartChannelFileJob,                                                                                  \
      (int32_t loginHandle, int32_t channel, const char* fileName, int32_t valueA, int32_t valueB))                  \
    X(int32_t, SetNetworkParams, (const QVNET_NET_PARAMS* params))                                                   \
    X(void, SetEventCallback, (QVNET_EventCallback callback, QVNET_USER user))                                       \
    X(int32_t, StartDeviceSearch, (QVNET_SearchCallback onFound, QVNET_USER user, int32_t reserved))                 \
    X(int32_t, StopDeviceSearch, (int32_t searchHandle))

#define QVNET_DECLARE_FUNCTION(ret, name, args) ret QVNET_CALL QVNET_##name args;
#define QVNET_DECLARE_POINTER(ret, name, args) typedef ret(QVNET_CALL* PFN_QVNET_##name) args;
QVNET_FUNCTIONS(QVNET_DECLARE_POINTER)
#ifdef QVNET_DECLARE_EXPORTS
QVNET_FUNCTIONS(QVNET_DECLARE_FUNCTION)
#endif
#undef QVNET_DECLARE_FUNCTION
#undef QVNET_DECLARE_POINTER

#ifdef __cplusplus
}
#endif
