// A plug-in for the loader tests: it exports the Veddix names except the
// stop function and counts the calls of its start function.
#include <windows.h>

#include "plugins/PluginInterface.h"

static LONG g_initCalls = 0;

extern "C" {

int PLUGIN_CALL STDDVR_Init() { return InterlockedIncrement(&g_initCalls); }
int PLUGIN_CALL STDDVR_InitCalls() { return g_initCalls; }
PLUGIN_HANDLE PLUGIN_CALL STDDVR_OpenDevice(PLUGIN_DEVICE_RECORD*, int, char*, char*, char*) { return nullptr; }
int PLUGIN_CALL STDDVR_CloseDevice(PLUGIN_HANDLE) { return 0; }
int PLUGIN_CALL STDDVR_Heartbeat(PLUGIN_HANDLE) { return 1; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
}
