// Quorlan: the proxy's plug-in for private-protocol devices (type 0). This
// stand-in reaches the device directly, as the SDK itself would.
#include <windows.h>

#include "standins/plugins/StandinExports.h"

STANDIN_DEFINE_EXPORTS(QVDVR_)

extern "C" int PLUGIN_CALL QVDVR_GetDeviceInfo(PLUGIN_HANDLE device, int* info) {
    return standin::PluginGetDeviceInfo(device, info);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
