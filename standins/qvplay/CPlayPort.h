// One play port: an input buffer that callers feed, a thread that decodes it
// and shows the pictures at the recording's pace (or, for a file stream, as
// fast as they come), and an optional AVI file that receives every decoded
// picture. Every public operation takes the port's lock, so any thread may
// call any of them at any time; painting and the display callback run
// outside the lock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>

#include "common/CLockCondition.h"
#include "common/UniqueHandle.h"

#include "CAviWriter.h"
#include "CByteRing.h"
#include "CFrameAssembler.h"
#include "CFramePainter.h"
#include "sdk/qvplay/qvplay.h"

class CPlayPort {
public:
    explicit CPlayPort(LONG number);
    ~CPlayPort();
    CPlayPort(const CPlayPort&) = delete;
    CPlayPort& operator=(const CPlayPort&) = delete;

    // Each returns true on success as documented in qvplay.h.
    bool SetStreamKind(LONG kind);
    bool Open(const BYTE* head, DWORD headSize, DWORD bufferSize);
    bool Feed(const BYTE* data, DWORD length);
    bool Close();
    bool StartPlay(HWND window);
    bool StopPlay();
    bool SetPaused(bool paused);
    bool StepSpeed(int delta);
    bool Redraw(bool clear);
    bool PictureDims(LONG* width, LONG* height);
    bool SetDecodeAhead(LONG frames);
    bool SetScaleMode(LONG mode);
    bool SetSound(bool on);
    DWORD PendingData();
    DWORD BufferedAmount(DWORD kind);
    bool SetViewRegion(DWORD index, const RECT* rect, HWND window, bool enable);
    bool SetCallback(QVPLAY_DisplayCallback callback, LONG_PTR user);
    bool SetColourAdjust(DWORD region, const LONG values[4]);
    bool SetMargins(DWORD region, const RECT& margins);
    bool SavePicture(const char* path);
    bool BeginFileWrite(const char* path, DWORD mode);
    bool EndFileWrite();
    bool QueryPlayState(DWORD kind, BYTE* buffer, DWORD size, DWORD* returned);

private:
    static DWORD WINAPI ThreadMain(void* param);
    void Run(uint32_t generation);
    bool DecodeOne();
    double MsUntilDue(const DecodedPicture& next, double now) const;
    void NoteShown(const PicturePtr& picture, double now);
    void Rebase(double now);
    void Present(const PicturePtr& picture, QVPLAY_DisplayCallback callback, LONG_PTR user);
    bool StopPlayLocked(CUniqueHandle& thread);
    bool FinishFileLocked();
    static double NowMs();

    const LONG m_number;
    CLock m_lock;
    CLockCondition m_wake;
    CLockCondition m_painted;  // the thread finished painting a picture

    // Stream.
    LONG m_kind = QVPLAY_STREAM_REALTIME;
    bool m_open = false;
    CByteRing m_input;
    CFrameAssembler m_assembler;
    std::deque<PicturePtr> m_queue;  // decoded, not yet shown
    PicturePtr m_shown;
    uint64_t m_framesShown = 0;
    int64_t m_firstShownMs = 0;

    // Play.
    CUniqueHandle m_thread;
    DWORD m_threadId = 0;
    uint32_t m_generation = 0;  // a thread runs while this equals its own
    bool m_playing = false;
    bool m_paused = false;
    int m_speedStep = 0;
    bool m_paceSet = false;   // the next picture is shown at once when false
    double m_baseWallMs = 0;  // when the picture at m_baseStreamMs was shown
    int64_t m_baseStreamMs = 0;
    double m_lastShownWallMs = 0;
    bool m_painting = false;  // the thread paints a picture outside the lock

    // Display.
    DisplaySettings m_display;
    size_t m_decodeAhead = 8;
    QVPLAY_DisplayCallback m_callback = nullptr;
    LONG_PTR m_callbackUser = 0;
    bool m_sound = false;

    // File.
    CAviWriter m_writer;
    bool m_writing = false;
};
