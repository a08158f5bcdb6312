// Varirur: finds devices on the local network by UDP broadcast on port 5050,
// logs in to a found device and changes its IP settings.
#pragma once

#include <windows.h>

#include "search/LanDeviceInfo.h"

#ifdef __cplusplus
extern "C" {
#endif

// Called on the library's receive thread once for each newly found device;
// the record is valid only during the call.
typedef void(__stdcall* fSearchDevCB)(DEVICE_NET_INFO* info, void* user);
// Called on the receive thread for every modify reply: result 0 changed,
// 1 failed, 2 invalid data, 3 not allowed, -1 unknown; the GBK text is valid
// only during the call.
typedef void(__stdcall* fModifyIPCB)(int result, const char* text, void* user);

// Each function but NET_FinishOperate opens the socket first when needed and
// returns -1 when that fails. Device indexes count from 1 over the devices
// found since the last search.

// Empties the found list and broadcasts both search requests. Returns 1 when
// sent, -1 when the first send failed.
int __stdcall NET_SearchDev(fSearchDevCB callback, void* user);
// Returns the byte count sent on success, -1..-8 for the device's refusals,
// -9 without a reply in 10000 ms, -1 for an unknown index.
int __stdcall NET_LoginDev(const char* user, const char* password, int index);
// Returns 0 once the request is sent, -1 for an unknown index.
int __stdcall NET_ModifyDevIP(DWORD ip, DWORD address2, DWORD address3, int index, fModifyIPCB callback, void* user);
// Closes the socket and the receive thread and forgets both callbacks.
// Returns 0. Safe to call from a callback.
int __stdcall NET_FinishOperate(void);

#ifdef __cplusplus
}
#endif
