// Defines the exported plug-in functions of one stand-in under its own name
// prefix (QVDVR_ for Quorlan, STDDVR_ for Veddix); both forward to the
// shared calls of StandinPlugin.h, which catch everything.
#pragma once

#include "standins/plugins/StandinPlugin.h"

#define STANDIN_NAME(prefix, name) prefix##name

#define STANDIN_DEFINE_EXPORTS(prefix)                                                                                 \
    extern "C" {                                                                                                       \
    int PLUGIN_CALL STANDIN_NAME(prefix, Init)() { return standin::PluginInit(); }                                     \
    int PLUGIN_CALL STANDIN_NAME(prefix, UnInit)() { return standin::PluginUnInit(); }                                 \
    PLUGIN_HANDLE PLUGIN_CALL STANDIN_NAME(prefix, OpenDevice)(PLUGIN_DEVICE_RECORD * record, int regPort,             \
                                                               char* userName, char* password, char*) {                \
        return standin::PluginOpen(record, regPort, userName, password);                                               \
    }                                                                                                                  \
    int PLUGIN_CALL STANDIN_NAME(prefix, CloseDevice)(PLUGIN_HANDLE device) { return standin::PluginClose(device); }   \
    int PLUGIN_CALL STANDIN_NAME(prefix, SetCallBack)(PLUGIN_HANDLE device, PluginMessageCallback onMessage,           \
                                                      PluginDataCallback onData, void* user) {                         \
        return standin::PluginSetCallBack(device, onMessage, onData, user);                                            \
    }                                                                                                                  \
    int PLUGIN_CALL STANDIN_NAME(prefix, SendData)(PLUGIN_HANDLE device, uint8_t* data, int length, int sessionId,     \
                                                   int subIndex) {                                                     \
        return standin::PluginSendData(device, data, length, sessionId, subIndex);                                     \
    }                                                                                                                  \
    int PLUGIN_CALL STANDIN_NAME(prefix, Heartbeat)(PLUGIN_HANDLE device) { return standin::PluginHeartbeat(device); } \
    int PLUGIN_CALL STANDIN_NAME(prefix, Connect)(PLUGIN_HANDLE device) { return standin::PluginConnect(device); }     \
    int PLUGIN_CALL STANDIN_NAME(prefix, PraseCommand)(PLUGIN_HANDLE device, SDK_COMMAND* command,                     \
                                                       PARSE_RESULT* result) {                                         \
        return standin::PluginParseCommand(device, command, result);                                                   \
    }                                                                                                                  \
    int PLUGIN_CALL STANDIN_NAME(prefix, CloseCommand)(PLUGIN_HANDLE device, int sessionId) {                          \
        return standin::PluginCloseCommand(device, sessionId);                                                         \
    }                                                                                                                  \
    int PLUGIN_CALL STANDIN_NAME(prefix, OpenCount)() { return standin::PluginOpenCount(); }                           \
    }
