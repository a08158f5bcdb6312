#include "CPlayPort.h"

#include <cmath>
#include <cstring>
#include <new>

#include "BitmapFile.h"

namespace {
// A jump in the recording's time beyond this (a gap between files, a seek)
// is not waited out: the next picture is shown at once and paced from there.
const int64_t kMaxPaceGapMs = 5000;
const size_t kDefaultDecodeAhead = 8;

bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

struct ThreadStart {
    CPlayPort* port;
    uint32_t generation;
    HMODULE module;
};
}  // namespace

CPlayPort::CPlayPort(LONG number) : m_number(number) {}

CPlayPort::~CPlayPort() {}

double CPlayPort::NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

bool CPlayPort::SetStreamKind(LONG kind) {
    if (kind != QVPLAY_STREAM_REALTIME && kind != QVPLAY_STREAM_FILE) return false;
    CAutoLock g(&m_lock);
    if (m_open) return false;
    m_kind = kind;
    return true;
}

bool CPlayPort::Open(const BYTE* head, DWORD headSize, DWORD bufferSize) {
    CAutoLock g(&m_lock);
    if (m_open || bufferSize == 0) return false;
    if (!m_input.Reset(bufferSize)) return false;
    m_assembler.Reset();
    m_queue.clear();
    m_shown.reset();
    m_framesShown = 0;
    m_paceSet = false;
    m_open = true;
    if (head && headSize) m_input.Push(head, headSize);
    return true;
}

bool CPlayPort::Feed(const BYTE* data, DWORD length) {
    if (!data) return false;
    CAutoLock g(&m_lock);
    if (!m_open || !m_input.Push(data, length)) return false;
    m_wake.WakeOne();
    return true;
}

bool CPlayPort::StopPlayLocked(CUniqueHandle& thread) {
    thread.Reset();
    if (!m_playing) return true;
    // The port's own thread (inside the display callback) cannot wait for itself.
    if (GetCurrentThreadId() == m_threadId) return false;
    ++m_generation;
    m_playing = false;
    thread = std::move(m_thread);
    m_threadId = 0;
    m_wake.WakeAll();
    return true;
}

// The thread is waited for after the lock is released: it needs the lock to
// notice that it has to end.
static void WaitAndClose(CUniqueHandle& thread) {
    if (!thread) return;
    WaitForSingleObject(thread.Get(), INFINITE);
    thread.Reset();
}

bool CPlayPort::Close() {
    CUniqueHandle thread;
    {
        CAutoLock g(&m_lock);
        if (!m_open || !StopPlayLocked(thread)) return false;
        if (m_writing) FinishFileLocked();
        m_input.Release();
        m_assembler.Reset();
        m_queue.clear();
        m_shown.reset();
        m_open = false;
        m_kind = QVPLAY_STREAM_REALTIME;
        m_paused = false;
        m_speedStep = 0;
        m_display = DisplaySettings();
        m_decodeAhead = kDefaultDecodeAhead;
        m_callback = nullptr;
        m_callbackUser = 0;
        m_sound = false;
    }
    WaitAndClose(thread);
    return true;
}

bool CPlayPort::StartPlay(HWND window) {
    CAutoLock g(&m_lock);
    if (!m_open || (window && !IsWindow(window))) return false;
    m_display.playWindow = window;
    if (m_playing) {
        m_wake.WakeOne();
        return true;
    }
    // The thread holds its own reference on this module, so that unloading
    // the library while a port plays cannot pull the code from under it.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&CPlayPort::ThreadMain),
                       &self);
    ThreadStart* start = new (std::nothrow) ThreadStart{this, m_generation + 1, self};
    DWORD id = 0;
    HANDLE thread = start ? CreateThread(nullptr, 0, &CPlayPort::ThreadMain, start, 0, &id) : nullptr;
    if (!thread) {
        delete start;
        if (self) FreeLibrary(self);
        return false;
    }
    ++m_generation;
    m_thread.Reset(thread);
    m_threadId = id;
    m_playing = true;
    m_paceSet = false;
    return true;
}

bool CPlayPort::StopPlay() {
    CUniqueHandle thread;
    {
        CAutoLock g(&m_lock);
        if (!m_open || !StopPlayLocked(thread)) return false;
    }
    WaitAndClose(thread);
    return true;
}

DWORD WINAPI CPlayPort::ThreadMain(void* param) {
    ThreadStart start = *static_cast<ThreadStart*>(param);
    delete static_cast<ThreadStart*>(param);
    start.port->Run(start.generation);
    if (start.module) FreeLibraryAndExitThread(start.module, 0);
    return 0;
}

void CPlayPort::Run(uint32_t generation) {
    CAutoLock g(&m_lock);
    while (m_generation == generation) {
        DWORD timeout = INFINITE;
        if (!m_paused) {
            while (m_queue.size() < m_decodeAhead && DecodeOne()) {}
            if (!m_queue.empty()) {
                double now = NowMs();
                double wait = MsUntilDue(*m_queue.front(), now);
                if (wait <= 0) {
                    PicturePtr picture = m_queue.front();
                    m_queue.pop_front();
                    NoteShown(picture, now);
                    DisplaySettings settings = m_display;
                    QVPLAY_DisplayCallback callback = m_callback;
                    LONG_PTR user = m_callbackUser;
                    m_painting = true;
                    g.Unlock();
                    CFramePainter::Paint(settings, picture.get(), false);
                    g.Lock();
                    m_painting = false;
                    m_painted.WakeAll();
                    g.Unlock();
                    Present(picture, callback, user);
                    g.Lock();
                    continue;
                }
                timeout = static_cast<DWORD>(std::ceil(wait));
            }
        }
        m_wake.WaitOnce(g, timeout);
    }
}

// Returns false when nothing more can be decoded now. Runs under the lock and
// never throws, so the lock is always released: out of memory ends this
// round of decoding and the next feed tries again.
bool CPlayPort::DecodeOne() {
    try {
        CFrameAssembler::Event event = m_assembler.Next(m_input);
        if (event == CFrameAssembler::NeedMore) return false;
        if (event == CFrameAssembler::NewHeader) {
            const streamfmt::StreamParams& streamParams = m_assembler.Params();
            if (m_writing) m_writer.SetFormat(streamParams.width, streamParams.height, streamParams.fps);
            m_paceSet = false;  // a new recording: its first picture is shown at once
            return true;
        }
        const streamfmt::FrameInfo& frame = m_assembler.Frame();
        if (m_writing) m_writer.AddFrame(frame);
        std::shared_ptr<DecodedPicture> picture = std::make_shared<DecodedPicture>();
        picture->pixels.assign(frame.pixels, frame.pixels + static_cast<size_t>(frame.width) * frame.height);
        picture->width = frame.width;
        picture->height = frame.height;
        picture->index = frame.index;
        picture->timestampMs = frame.timestampMs;
        m_queue.push_back(picture);
        return true;
    } catch (...) {
        return false;
    }
}

double CPlayPort::MsUntilDue(const DecodedPicture& next, double now) const {
    if (m_kind == QVPLAY_STREAM_FILE || !m_paceSet) return 0;
    int64_t delta = next.timestampMs - m_baseStreamMs;
    if (delta < 0 || delta > kMaxPaceGapMs) return 0;
    return m_baseWallMs + delta / std::ldexp(1.0, m_speedStep) - now;
}

void CPlayPort::NoteShown(const PicturePtr& picture, double now) {
    int64_t delta = picture->timestampMs - m_baseStreamMs;
    if (!m_paceSet || delta < 0 || delta > kMaxPaceGapMs) {
        m_baseWallMs = now;
        m_baseStreamMs = picture->timestampMs;
        m_paceSet = true;
    }
    if (m_framesShown++ == 0) m_firstShownMs = picture->timestampMs;
    m_lastShownWallMs = now;
    m_shown = picture;
}

// Paces the pictures after the one shown last from `wallMs` on.
void CPlayPort::Rebase(double wallMs) {
    if (!m_shown) return;
    m_baseStreamMs = m_shown->timestampMs;
    m_baseWallMs = wallMs;
}

// Hands a shown picture to the display callback. Runs on the port's thread
// without the lock; never throws (out of memory only skips this callback).
void CPlayPort::Present(const PicturePtr& picture, QVPLAY_DisplayCallback callback, LONG_PTR user) {
    if (!callback) return;
    std::vector<uint32_t> bgrx;
    try {
        bgrx.resize(static_cast<size_t>(picture->width) * picture->height);
    } catch (...) {
        return;
    }
    for (size_t i = 0; i < bgrx.size(); ++i) bgrx[i] = streamfmt::PaletteColor(picture->pixels[i]);
    QVPLAY_FRAME frame = {};
    frame.width = picture->width;
    frame.height = picture->height;
    frame.stride = picture->width * 4;
    frame.pixels = reinterpret_cast<const BYTE*>(bgrx.data());
    frame.frameIndex = picture->index;
    frame.timestampMs = picture->timestampMs;
    callback(m_number, &frame, user);
}

bool CPlayPort::SetPaused(bool paused) {
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    // Time spent paused is not made up afterwards.
    if (m_paused && !paused) Rebase(NowMs());
    m_paused = paused;
    m_wake.WakeOne();
    // Once paused, the windows keep what a redraw puts there: a picture the
    // thread is still painting (with the settings of before) lands first.
    // The port's own thread (in the display callback) never paints then.
    if (paused && GetCurrentThreadId() != m_threadId) m_painted.WaitFor(g, INFINITE, [this] { return !m_painting; });
    return true;
}

bool CPlayPort::StepSpeed(int delta) {
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    int step = m_speedStep + delta;
    if (step < QVPLAY_MIN_SPEED_STEP || step > QVPLAY_MAX_SPEED_STEP) return false;
    m_speedStep = step;
    // The next picture keeps its distance from the last one, at the new pace.
    Rebase(m_lastShownWallMs);
    m_wake.WakeOne();
    return true;
}

bool CPlayPort::Redraw(bool clear) {
    PicturePtr picture;
    DisplaySettings settings;
    {
        CAutoLock g(&m_lock);
        if (!m_open) return false;
        picture = m_shown;
        settings = m_display;
    }
    CFramePainter::Paint(settings, picture.get(), clear);
    return true;
}

bool CPlayPort::PictureDims(LONG* width, LONG* height) {
    if (!width || !height) return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    if (m_shown) {
        *width = m_shown->width;
        *height = m_shown->height;
        return true;
    }
    if (!m_assembler.HasParams()) return false;
    *width = m_assembler.Params().width;
    *height = m_assembler.Params().height;
    return true;
}

bool CPlayPort::SetDecodeAhead(LONG frames) {
    if (frames < QVPLAY_MIN_DECODE_AHEAD || frames > QVPLAY_MAX_DECODE_AHEAD) return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    m_decodeAhead = static_cast<size_t>(frames);
    m_wake.WakeOne();
    return true;
}

bool CPlayPort::SetScaleMode(LONG mode) {
    if (mode != QVPLAY_SCALE_STRETCH && mode != QVPLAY_SCALE_KEEP_ASPECT) return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    m_display.scaleMode = mode;
    return true;
}

bool CPlayPort::SetSound(bool on) {
    CAutoLock g(&m_lock);
    if (on && !m_open) return false;
    m_sound = on;
    return true;
}

DWORD CPlayPort::PendingData() {
    CAutoLock g(&m_lock);
    if (!m_open) return 0;
    return static_cast<DWORD>(m_input.Size() + m_assembler.Rescan());
}

DWORD CPlayPort::BufferedAmount(DWORD kind) {
    CAutoLock g(&m_lock);
    if (!m_open) return 0;
    switch (kind) {
        case QVPLAY_BUFFERED_INPUT_BYTES:
            return static_cast<DWORD>(m_input.Size() + m_assembler.Rescan() + m_assembler.Partial());
        case QVPLAY_BUFFERED_FREE_BYTES: return static_cast<DWORD>(m_input.Free());
        case QVPLAY_BUFFERED_FRAMES: return static_cast<DWORD>(m_queue.size());
        default: return 0;
    }
}

bool CPlayPort::SetViewRegion(DWORD index, const RECT* rect, HWND window, bool enable) {
    if (index >= QVPLAY_MAX_REGIONS || (window && !IsWindow(window))) return false;
    if (enable && (!rect || IsEmptyRect(*rect))) return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    ViewRegion& region = m_display.regions[index];
    region.enabled = enable;
    region.window = enable ? window : nullptr;
    if (enable) region.source = *rect;
    return true;
}

bool CPlayPort::SetCallback(QVPLAY_DisplayCallback callback, LONG_PTR user) {
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    m_callback = callback;
    m_callbackUser = user;
    return true;
}

bool CPlayPort::SetColourAdjust(DWORD region, const LONG values[4]) {
    if (region >= QVPLAY_MAX_REGIONS) return false;
    for (int i = 0; i < 4; ++i)
        if (values[i] < 0 || values[i] > QVPLAY_ADJUST_MAX) return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    for (int i = 0; i < 4; ++i) m_display.regions[region].adjust[i] = values[i];
    return true;
}

bool CPlayPort::SetMargins(DWORD region, const RECT& margins) {
    if (region >= QVPLAY_MAX_REGIONS || margins.left < 0 || margins.top < 0 || margins.right < 0 || margins.bottom < 0)
        return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    m_display.regions[region].margin = margins;
    return true;
}

bool CPlayPort::SavePicture(const char* path) {
    PicturePtr picture;
    {
        CAutoLock g(&m_lock);
        if (!m_open) return false;
        picture = m_shown;
    }
    if (!picture) return false;
    streamfmt::FrameInfo info;
    info.width = picture->width;
    info.height = picture->height;
    info.pixels = picture->pixels.data();
    return SaveBitmapFile(path, info);
}

bool CPlayPort::BeginFileWrite(const char* path, DWORD mode) {
    if (mode != QVPLAY_FILE_AVI) return false;
    CAutoLock g(&m_lock);
    if (!m_open || m_writing || !m_writer.Create(path)) return false;
    if (m_assembler.HasParams()) {
        const streamfmt::StreamParams& streamParams = m_assembler.Params();
        m_writer.SetFormat(streamParams.width, streamParams.height, streamParams.fps);
    }
    m_writing = true;
    return true;
}

bool CPlayPort::EndFileWrite() {
    CAutoLock g(&m_lock);
    if (!m_writing) return false;
    return FinishFileLocked();
}

// Everything the port has taken belongs in the file, even what the display
// has not reached yet, so the input is decoded to its end first.
bool CPlayPort::FinishFileLocked() {
    while (DecodeOne()) {}
    bool complete = m_writer.Finish();
    m_writing = false;
    m_wake.WakeOne();
    return complete;
}

bool CPlayPort::QueryPlayState(DWORD kind, BYTE* buffer, DWORD size, DWORD* returned) {
    if (kind != QVPLAY_QUERY_PLAY_STATE) return false;
    if (returned) *returned = QVPLAY_PLAY_STATE_SIZE;
    if (!buffer || size < QVPLAY_PLAY_STATE_SIZE) return false;
    CAutoLock g(&m_lock);
    if (!m_open) return false;
    const streamfmt::StreamParams& streamParams = m_assembler.Params();
    LONG values[6] = {
        streamParams.width, streamParams.height, streamParams.fps, static_cast<LONG>(m_framesShown), 0, 0};
    if (m_shown) {
        values[4] = static_cast<LONG>((m_shown->timestampMs - m_firstShownMs) / 1000);
        values[5] = static_cast<LONG>(m_shown->timestampMs / 1000);
    }
    memcpy(buffer, values, sizeof(values));
    return true;
}
