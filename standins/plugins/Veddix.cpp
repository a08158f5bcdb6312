// Veddix: the proxy's plug-in for standard-protocol devices (type 2); it has
// no device information function. This stand-in reaches the device
// directly, as the SDK itself would.
#include <windows.h>

#include "standins/plugins/StandinExports.h"

STANDIN_DEFINE_EXPORTS(STDDVR_)

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
