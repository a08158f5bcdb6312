// The exported functions: a narrow C edge over the one search object.
#include "search/CLanSearch.h"
#include "search/Varirur.h"

namespace {

HMODULE g_module = nullptr;

// Built when the library is loaded, destroyed when it is unloaded; the
// socket and thread open lazily and close in NET_FinishOperate.
CLanSearch g_search;

// Returns true when the socket and receive thread are open.
bool EnsureOpen() { return g_search.Open() > 0; }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    // A caller may unload the library with a search still open. The socket
    // and thread close here, before the static destructors, and without the
    // long wait of NET_FinishOperate: under the loader lock the receive
    // thread cannot end by itself.
    if (reason == DLL_PROCESS_DETACH) {
        g_search.PrepareForUnload();
        g_search.Stop();
    }
    return TRUE;
}

extern "C" int __stdcall NET_SearchDev(fSearchDevCB callback, void* user) {
    try {
        if (!EnsureOpen()) return -1;
        g_search.SetSearchCallback(callback, user);
        if (g_search.Search() == -1) return -1;
        g_search.SearchText();
        return 1;
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall NET_LoginDev(const char* user, const char* password, int index) {
    try {
        if (!EnsureOpen()) return -1;
        return g_search.Login(user, password, index);
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall NET_ModifyDevIP(DWORD ip, DWORD address2, DWORD address3, int index, fModifyIPCB callback,
                                         void* user) {
    try {
        if (!EnsureOpen()) return -1;
        g_search.SetModifyCallback(callback, user);
        return g_search.ModifyIP(ip, address2, address3, index);
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall NET_FinishOperate(void) {
    try {
        g_search.SetSearchCallback(nullptr, nullptr);
        g_search.SetModifyCallback(nullptr, nullptr);
        if (g_search.IsOpen()) g_search.Stop();
        return 0;
    } catch (...) {
        return 0;
    }
}
