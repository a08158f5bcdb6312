// Portmoor's exported functions and their records: a registration proxy that
// lets SDK clients reach devices through a local listener per device.
#pragma once

#include <cstdint>

#include <windows.h>

// Error codes kept per calling thread (PROXY_GetLastError).
#define PROXY_ERR_NOMEMORY ((int)0x80000001)  // allocation failed, or the device type is not 0, 1 or 2
#define PROXY_ERR_PARAM ((int)0x80000002)     // a required pointer is NULL or a count is out of range
#define PROXY_ERR_HANDLE ((int)0x80000003)    // the device handle is not listed
#define PROXY_ERR_PLUGIN ((int)0x80000004)    // the plug-in refused to open the device
#define PROXY_ERR_LISTEN ((int)0x80000005)    // the local listener for SDK clients did not start

#define PROXY_SDK_VERSION 0x01000000

// Device types of the add functions.
#define PROXY_DEVICE_PRIVATE 0   // private-protocol devices
#define PROXY_DEVICE_AUTOREG 1   // devices that register themselves
#define PROXY_DEVICE_STANDARD 2  // standard-protocol devices

// Most records PROXY_AddDeviceEx takes for one registering device.
#define PROXY_MAX_RECORDS 4
#define PROXY_MAX_CLIENTS 1024

// One device connection (328 bytes). Texts are zero-terminated ANSI text.
struct PROXY_DEVICE_INFO {
    char regAddress[32];  // where the plug-in listens for registrations, or the device's address
    int32_t regPort;
    char userName[32];  // login of the plug-in at the device
    char password[32];
    char registrationId[64];
    char localAddress[32];  // the local listener for SDK clients (first record only)
    int32_t localPort;
    char localUserName[32];  // not read
    char localPassword[32];  // not read
    int32_t reserved1;
    int32_t channelCount;  // channels served by this record's connection
    int32_t deviceInfo;    // reported back through the plug-in's device information
    int32_t streamMode;    // handed on unchanged
    int32_t reserved2;
    int32_t reserved3;
    uint8_t reserved[40];
};

struct PROXY_CLIENT_ENTRY {
    char address[32];
    int32_t port;
    uint8_t reserved[12];
};

// Status of one device (49168 bytes).
struct PROXY_DEVICE_STATUS {
    PROXY_CLIENT_ENTRY clients[PROXY_MAX_CLIENTS];  // one per SDK login session
    int32_t clientCount;
    int32_t online;      // 1 while the plug-in reports the device on line
    int32_t listening;   // 1 while the local listener runs
    int32_t deviceInfo;  // 0 when the plug-in has none
};

static_assert(sizeof(PROXY_DEVICE_INFO) == 328, "record layout is fixed");
static_assert(sizeof(PROXY_CLIENT_ENTRY) == 48, "record layout is fixed");
static_assert(sizeof(PROXY_DEVICE_STATUS) == 49168, "record layout is fixed");

#ifdef __cplusplus
extern "C" {
#endif

BOOL __stdcall PROXY_Init();
BOOL __stdcall PROXY_Cleanup();
int __stdcall PROXY_GetLastError();
int __stdcall PROXY_GetSDKVersion();
HANDLE __stdcall PROXY_AddDevice(int type, PROXY_DEVICE_INFO* info);
HANDLE __stdcall PROXY_AddDeviceEx(int type, PROXY_DEVICE_INFO* info, int count);
BOOL __stdcall PROXY_DeleteDevice(HANDLE device);
BOOL __stdcall PROXY_QueryDeviceStatus(HANDLE device, PROXY_DEVICE_STATUS* status);

#ifdef __cplusplus
}
#endif
