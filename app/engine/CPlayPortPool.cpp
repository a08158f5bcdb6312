#include "app/engine/CPlayPortPool.h"

#include <stdint.h>

namespace {

const DWORD kConversionBufferBytes = 102400;
const DWORD kDisplayBufferBytes = 921600;
const RECT kClearedRegion = {1, 1, 1, 1};

int Scale(LONG value, LONG size, LONG reference) {
    return static_cast<int>(static_cast<int64_t>(value) * size / reference);
}

}  // namespace

CPlayPortPool::CPlayPortPool(CQvPlayLibrary& sdk) : m_sdk(sdk) { m_inUse[PLAY_PORT_RESERVED] = 1; }

// The engine shows pictures through the port's own window; the callback only
// keeps the SDK's display path the same for every display port.
void __stdcall CPlayPortPool::DisplayCallback(LONG, const QVPLAY_FRAME*, LONG_PTR) {}

int CPlayPortPool::AllocPort(int conversion) {
    for (int port = conversion ? PLAY_PORT_FIRST_CONVERSION : 0; port < PLAY_PORT_COUNT; ++port) {
        if (!m_inUse[port]) {
            m_inUse[port] = 1;
            return port;
        }
    }
    return -1;
}

int CPlayPortPool::FreePort(int port) {
    if (IsValidPort(port)) m_inUse[port] = 0;
    return 0;
}

int CPlayPortPool::OpenStream(HWND window, int kind) {
    const bool conversion = kind == PLAY_KIND_CONVERSION;
    const int port = AllocPort(conversion ? 1 : 0);
    if (port < 0) return -1;
    m_sdk.SetPortStreamKind(port, conversion ? QVPLAY_STREAM_FILE : QVPLAY_STREAM_REALTIME);
    if (!m_sdk.OpenPortStream(port, nullptr, 0, conversion ? kConversionBufferBytes : kDisplayBufferBytes)) {
        FreePort(port);
        return -1;
    }
    if (!conversion && window) m_sdk.SetViewCallback(port, DisplayCallback, 0);
    if (!m_sdk.StartPortPlay(port, conversion ? nullptr : window)) {
        m_sdk.ClosePortStream(port);
        FreePort(port);
        return -1;
    }
    return port;
}

int CPlayPortPool::CloseStream(int port) {
    if (!IsValidPort(port)) return -1;
    if (port == m_soundPort) m_soundPort = -1;
    m_sdk.SoundOff(port);
    m_sdk.SetViewRegion(port, 0, &kClearedRegion, nullptr, FALSE);
    m_sdk.StopPortPlay(port);
    m_sdk.ClosePortStream(port);
    FreePort(port);
    return 0;
}

int CPlayPortPool::InputData(int port, const uint8_t* data, int length) {
    if (!IsValidPort(port) || length < 0) return 0;
    return m_sdk.FeedPortData(port, data, static_cast<DWORD>(length)) ? 1 : 0;
}

int CPlayPortPool::StartConvertToFile(int port, const CString& path) {
    if (!IsInUse(port)) return -1;
    CStringA narrow(path);
    return m_sdk.BeginFileWrite(port, narrow, QVPLAY_FILE_AVI) ? 0 : -1;
}

int CPlayPortPool::StopConvertToFile(int port) {
    if (!IsValidPort(port)) return -1;
    m_sdk.EndFileWrite(port);
    return 0;
}

int CPlayPortPool::CapturePicture(int port, const CString& path) {
    if (!IsValidPort(port)) return 0;
    CStringA narrow(path);
    return m_sdk.SavePicture(port, narrow);
}

int CPlayPortPool::PlaySound(int port) {
    if (!IsValidPort(port)) return -1;
    if (m_soundPort >= 0) m_sdk.SoundOff(m_soundPort);
    m_sdk.SoundOn(port);
    m_soundPort = port;
    return 0;
}

int CPlayPortPool::StopSound(int port) {
    if (port == -1) {
        m_sdk.SoundOff(m_soundPort);
        m_soundPort = -1;
        return 0;
    }
    if (!IsValidPort(port)) return -1;
    if (m_soundPort != port) {
        if (m_soundPort >= 0) m_sdk.SoundOff(m_soundPort);
        m_soundPort = -1;
    }
    m_sdk.SoundOff(port);
    return 0;
}

int CPlayPortPool::Pause(int port, int pause) {
    if (!IsValidPort(port)) return -1;
    m_sdk.SetPortPaused(port, pause ? 1 : 0);
    return 0;
}

int CPlayPortPool::SpeedUp(int port) {
    if (!IsValidPort(port)) return -1;
    m_sdk.StepSpeedUp(port);
    return 0;
}

int CPlayPortPool::SlowDown(int port) {
    if (!IsValidPort(port)) return -1;
    m_sdk.StepSpeedDown(port);
    return 0;
}

int CPlayPortPool::IsDrained(int port) {
    if (!IsValidPort(port)) return 1;
    return m_sdk.QueryPendingData(port) == 0 && m_sdk.QueryBufferedAmount(port, QVPLAY_BUFFERED_FRAMES) == 0 ? 1 : 0;
}

int CPlayPortPool::RefreshPort(int port) {
    if (!IsValidPort(port)) return -1;
    m_sdk.RedrawPort(port);
    return 0;
}

int CPlayPortPool::ClearDisplay(int port) {
    if (!IsValidPort(port)) return -1;
    m_sdk.SetViewRegion(port, 0, &kClearedRegion, nullptr, FALSE);
    m_sdk.RepaintPort(port);
    return 0;
}

int CPlayPortPool::SetDisplayRegionScaled(int port, int index, RECT rect, const RECT& ref, HWND window, BOOL enable) {
    if (!IsValidPort(port)) return -1;
    LONG width = 0, height = 0;
    if (!m_sdk.QueryPictureDims(port, &width, &height)) return -1;
    if (!m_sdk.SetViewRegion(port, static_cast<DWORD>(index), &rect, window, enable)) return -1;
    const LONG dx = ref.right - ref.left;
    const LONG dy = ref.bottom - ref.top;
    if (dx == 0 || dy == 0) return -1;
    rect.left = Scale(rect.left, width, dx);
    rect.right = Scale(rect.right, width, dx);
    rect.top = Scale(rect.top, height, dy);
    rect.bottom = Scale(rect.bottom, height, dy);
    return m_sdk.SetViewRegion(port, static_cast<DWORD>(index), &rect, window, enable) ? 0 : -1;
}

int CPlayPortPool::QueryPortInfo(int port, int* fourth, int* fifth, int* sixth) {
    if (!IsValidPort(port)) return -1;
    LONG values[6] = {};
    DWORD returned = 0;
    if (!m_sdk.QueryPortTriple(port, QVPLAY_QUERY_PLAY_STATE, reinterpret_cast<BYTE*>(values), sizeof(values),
                               &returned)) {
        return -1;
    }
    if (fourth) *fourth = values[3];
    if (fifth) *fifth = values[4];
    if (sixth) *sixth = values[5];
    return 0;
}

int CPlayPortPool::GetPictureSize(int port, int* width, int* height) {
    if (!IsValidPort(port)) return -1;
    LONG w = 0, h = 0;
    if (!m_sdk.QueryPictureDims(port, &w, &h)) return -1;
    if (width) *width = w;
    if (height) *height = h;
    return 0;
}

int CPlayPortPool::SetDisplayRegion(int port, int index, const RECT& rect, HWND window, BOOL enable) {
    if (!IsValidPort(port)) return -1;
    return m_sdk.SetViewRegion(port, static_cast<DWORD>(index), &rect, window, enable) ? 0 : -1;
}

int CPlayPortPool::SetDisplayCallback(int port, int on) {
    if (!IsValidPort(port)) return -1;
    m_sdk.SetViewCallback(port, on ? DisplayCallback : nullptr, 0);
    return 0;
}

int CPlayPortPool::SetPortValueA(int port, int value) {
    m_sdk.SetPortValueA(port, value);
    return 0;
}

int CPlayPortPool::SetPortValueB(int port, int value) {
    m_sdk.SetPortValueB(port, value);
    return 0;
}

int CPlayPortPool::SetPortQuadA(int port, int a, int b, int c, int d) {
    if (!IsValidPort(port)) return -1;
    m_sdk.SetPortQuadA(port, 0, a, b, c, d);
    return 0;
}

int CPlayPortPool::SetPortQuadB(int port, int a, int b, int c, int d) {
    if (!IsValidPort(port)) return -1;
    m_sdk.SetPortQuadB(port, 0, a, b, c, d);
    return 0;
}
