// The DLL's exported operations: each finds its port and calls it inside
// try/catch, so no exception and no bad port number ever reaches a caller.
#include <windows.h>

#include <type_traits>

#include "CPlayPort.h"
#include "sdk/qvplay/qvplay.h"

namespace {

HMODULE g_module = nullptr;

// Ports live for the life of the process and are never freed: a port thread
// may still be leaving when the process ends.
CPlayPort* PortAt(LONG port) {
    if (port < 0 || port >= QVPLAY_MAX_PORTS) return nullptr;
    static CPlayPort** ports = [] {
        CPlayPort** table = new CPlayPort*[QVPLAY_MAX_PORTS];
        for (LONG i = 0; i < QVPLAY_MAX_PORTS; ++i) table[i] = new CPlayPort(i);
        return table;
    }();
    return ports[port];
}

// Runs `op` on the port; 0 for a port outside the table or any exception.
template <typename Op>
DWORD OnPort(LONG port, Op op) {
    try {
        CPlayPort* p = PortAt(port);
        return p ? static_cast<DWORD>(op(*p)) : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace

#define QVPLAY_EXPORT(result, name, params)                                                            \
    extern "C" result __stdcall name params;                                                           \
    static_assert(std::is_same<decltype(&name), name##_Fn>::value, #name " differs from its typedef"); \
    extern "C" result __stdcall name params

QVPLAY_EXPORT(BOOL, QVPLAY_StartPortPlay, (LONG port, HWND window)) {
    return OnPort(port, [&](CPlayPort& p) { return p.StartPlay(window); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_StopPortPlay, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.StopPlay(); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetPortPaused, (LONG port, DWORD pause)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetPaused(pause != 0); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_StepSpeedUp, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.StepSpeed(+1); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_StepSpeedDown, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.StepSpeed(-1); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_OpenPortStream, (LONG port, const BYTE* head, DWORD headSize, DWORD bufferSize)) {
    return OnPort(port, [&](CPlayPort& p) { return p.Open(head, headSize, bufferSize); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_FeedPortData, (LONG port, const BYTE* data, DWORD length)) {
    return OnPort(port, [&](CPlayPort& p) { return p.Feed(data, length); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_ClosePortStream, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.Close(); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetPortStreamKind, (LONG port, LONG kind)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetStreamKind(kind); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_RedrawPort, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.Redraw(false); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_RepaintPort, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.Redraw(true); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_QueryPictureDims, (LONG port, LONG* width, LONG* height)) {
    return OnPort(port, [&](CPlayPort& p) { return p.PictureDims(width, height); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetPortValueA, (LONG port, LONG value)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetDecodeAhead(value); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetPortValueB, (LONG port, LONG value)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetScaleMode(value); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SoundOn, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetSound(true); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SoundOff, (LONG port)) {
    if (port != -1) return OnPort(port, [&](CPlayPort& p) { return p.SetSound(false); });
    for (LONG i = 0; i < QVPLAY_MAX_PORTS; ++i) OnPort(i, [&](CPlayPort& p) { return p.SetSound(false); });
    return TRUE;
}

QVPLAY_EXPORT(DWORD, QVPLAY_QueryPendingData, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.PendingData(); });
}

QVPLAY_EXPORT(DWORD, QVPLAY_QueryBufferedAmount, (LONG port, DWORD kind)) {
    return OnPort(port, [&](CPlayPort& p) { return p.BufferedAmount(kind); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetViewRegion, (LONG port, DWORD index, const RECT* rect, HWND window, BOOL enable)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetViewRegion(index, rect, window, enable != 0); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetViewCallback, (LONG port, QVPLAY_DisplayCallback callback, LONG_PTR user)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SetCallback(callback, user); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetPortQuadA,
              (LONG port, DWORD region, LONG brightness, LONG contrast, LONG saturation, LONG hue)) {
    const LONG values[4] = {brightness, contrast, saturation, hue};
    return OnPort(port, [&](CPlayPort& p) { return p.SetColourAdjust(region, values); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SetPortQuadB, (LONG port, DWORD region, LONG left, LONG top, LONG right, LONG bottom)) {
    const RECT margins = {left, top, right, bottom};
    return OnPort(port, [&](CPlayPort& p) { return p.SetMargins(region, margins); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_SavePicture, (LONG port, const char* path)) {
    return OnPort(port, [&](CPlayPort& p) { return p.SavePicture(path); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_BeginFileWrite, (LONG port, const char* path, DWORD mode)) {
    return OnPort(port, [&](CPlayPort& p) { return p.BeginFileWrite(path, mode); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_EndFileWrite, (LONG port)) {
    return OnPort(port, [&](CPlayPort& p) { return p.EndFileWrite(); });
}

QVPLAY_EXPORT(BOOL, QVPLAY_QueryPortTriple, (LONG port, DWORD kind, BYTE* buffer, DWORD size, DWORD* returned)) {
    return OnPort(port, [&](CPlayPort& p) { return p.QueryPlayState(kind, buffer, size, returned); });
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}
