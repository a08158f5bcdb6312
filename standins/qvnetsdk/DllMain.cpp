// The module handle is all DllMain keeps: threads start in QVNET_Init and
// end in QVNET_Cleanup.
#include <windows.h>

HMODULE g_qvnetModule = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_qvnetModule = instance;
    return TRUE;
}
