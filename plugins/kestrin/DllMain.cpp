// DllMain only records the module handle: the server starts in DVR_AUTO_Init.
#include <windows.h>

HMODULE g_kestrinModule = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_kestrinModule = instance;
    return TRUE;
}
