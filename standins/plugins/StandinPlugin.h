// The plug-in calls shared by the two stand-in plug-ins; each DLL exports
// them under its own names. Every function catches everything: they are the
// DLL's entry points.
#pragma once

#include "plugins/PluginInterface.h"

namespace standin {

// Start: nothing to prepare (each device starts Winsock for itself). 0.
int PluginInit();
// Stop: closes every device still open. 0.
int PluginUnInit();
// Opens the device named by the record's address and regPort, logging in
// with userName and password. NULL when an argument is missing or the
// address and port cannot name a device; the device need not be reachable
// yet (the plug-in keeps trying and reports it on line once logged in).
PLUGIN_HANDLE PluginOpen(PLUGIN_DEVICE_RECORD* record, int regPort, const char* userName, const char* password);
// 0, or -1 for an unknown handle. No callback for the handle once it returns.
int PluginClose(PLUGIN_HANDLE device);
// 0, or -1 for an unknown handle.
int PluginSetCallBack(PLUGIN_HANDLE device, PluginMessageCallback onMessage, PluginDataCallback onData, void* user);
// 0 sent or absorbed; -1 unknown handle, short packet or device not connected.
int PluginSendData(PLUGIN_HANDLE device, const uint8_t* data, int length, int sessionId, int subIndex);
// 1: the stand-ins never have work pending for the proxy's heartbeat.
int PluginHeartbeat(PLUGIN_HANDLE device);
// 0 for a known handle, -1 otherwise.
int PluginConnect(PLUGIN_HANDLE device);
// 0 with result filled; -1 unknown handle or missing arguments.
int PluginParseCommand(PLUGIN_HANDLE device, SDK_COMMAND* command, PARSE_RESULT* result);
// 0, or -1 for an unknown handle.
int PluginCloseCommand(PLUGIN_HANDLE device, int sessionId);
// 0 with *info = the device's channel count (0 before its first login);
// -1 unknown handle or info NULL.
int PluginGetDeviceInfo(PLUGIN_HANDLE device, int* info);

// Devices open now, for tests of the plug-in's bookkeeping.
int PluginOpenCount();

}  // namespace standin
