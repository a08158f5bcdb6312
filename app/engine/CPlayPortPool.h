// CPlayPortPool: hands out the playback SDK's port numbers and wraps every
// playback-SDK call the program makes. Display ports (searched from 0) draw
// into a window; conversion ports (searched from 64) have none and write
// their stream to a file. Port 99 is never handed out.
//
// No lock: ports are allocated and freed on the UI thread (and by the
// conversion queue under its own lock); data sinks on other threads only
// feed ports they were given.
#pragma once

#include <afx.h>

#include "app/engine/CQvPlayLibrary.h"

enum {
    PLAY_PORT_COUNT = 100,
    PLAY_PORT_RESERVED = 99,
    PLAY_PORT_FIRST_CONVERSION = 64,
    PLAY_KIND_DISPLAY = 0,
    PLAY_KIND_CONVERSION = 1,
};

class CPlayPortPool {
public:
    // sdk must outlive the pool; its entries are read at every call, so a
    // test may replace single ones.
    explicit CPlayPortPool(CQvPlayLibrary& sdk);
    CPlayPortPool(const CPlayPortPool&) = delete;
    CPlayPortPool& operator=(const CPlayPortPool&) = delete;

    // First free port from 64 (conversion) or from 0, marked in use; -1 when none.
    int AllocPort(int conversion);
    // Marks the port free; ports outside 0..99 are ignored. Returns 0.
    int FreePort(int port);
    // Allocates a port and opens and starts a stream on it (kind
    // PLAY_KIND_CONVERSION: no window, small buffer). The port, or -1.
    int OpenStream(HWND window, int kind);
    // Sound off, display cleared, play stopped, stream closed, port freed.
    // Returns 0; -1 for a port outside 0..99.
    int CloseStream(int port);
    // Non-zero when the port took the data; 0 when refused (offer it again
    // later) or the port is outside 0..99.
    int InputData(int port, const uint8_t* data, int length);
    // 0 once the port writes its stream to path; -1 for a port not in use or
    // when the SDK refuses.
    int StartConvertToFile(int port, const CString& path);
    int StopConvertToFile(int port);
    // Non-zero when a picture was written; 0 otherwise.
    int CapturePicture(int port, const CString& path);
    int PlaySound(int port);
    // -1 turns the current sound port off.
    int StopSound(int port);
    int Pause(int port, int pause);
    int SpeedUp(int port);
    int SlowDown(int port);
    // 1 when nothing is pending or buffered (or the port is outside 0..99).
    int IsDrained(int port);
    int RefreshPort(int port);
    int ClearDisplay(int port);
    // Sets rect unscaled, then rect scaled from the reference rectangle to the
    // picture's size. 0, or -1 when the picture size is unknown, a region is
    // refused or the reference has no width or height.
    int SetDisplayRegionScaled(int port, int index, RECT rect, const RECT& ref, HWND window, BOOL enable);
    // The fourth, fifth and sixth values of the port's play state; 0 or -1.
    int QueryPortInfo(int port, int* fourth, int* fifth, int* sixth);
    int GetPictureSize(int port, int* width, int* height);
    int SetDisplayRegion(int port, int index, const RECT& rect, HWND window, BOOL enable);
    int SetDisplayCallback(int port, int on);
    int SetPortValueA(int port, int value);
    int SetPortValueB(int port, int value);
    int SetPortQuadA(int port, int a, int b, int c, int d);
    int SetPortQuadB(int port, int a, int b, int c, int d);

    bool IsInUse(int port) const { return IsValidPort(port) && m_inUse[port] != 0; }
    int SoundPort() const { return m_soundPort; }

private:
    static bool IsValidPort(int port) { return port >= 0 && port < PLAY_PORT_COUNT; }
    static void __stdcall DisplayCallback(LONG port, const QVPLAY_FRAME* frame, LONG_PTR user);

    CQvPlayLibrary& m_sdk;
    int m_inUse[PLAY_PORT_COUNT] = {};
    int m_soundPort = -1;
};
