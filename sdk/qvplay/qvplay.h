// Public interface of qvplay.dll, the playback SDK: numbered play ports that
// take a recorded stream in pieces, decode it, show it in a window at the
// recording's pace, capture pictures and write what they receive to an AVI
// file. Callers bind the operations by ordinal (QVPLAY_ORD_*) through the
// typedefs below; every operation is __stdcall and returns a 32-bit value
// where non-zero means success unless stated otherwise.
//
// Every operation accepts any port number: a number outside
// 0..QVPLAY_MAX_PORTS-1 is refused (0) and never touches memory. Each port is
// safe to call from several threads at once.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QVPLAY_MAX_PORTS 128

// Stream kinds (QVPLAY_SetPortStreamKind, before opening).
#define QVPLAY_STREAM_REALTIME 0  // shown at the recording's own pace
#define QVPLAY_STREAM_FILE 1      // decoded as fast as it arrives (conversion)

// QVPLAY_BeginFileWrite modes.
#define QVPLAY_FILE_AVI 1

// QVPLAY_QueryBufferedAmount kinds.
#define QVPLAY_BUFFERED_INPUT_BYTES 1  // received bytes not yet decoded
#define QVPLAY_BUFFERED_FREE_BYTES 2   // room left in the input buffer
#define QVPLAY_BUFFERED_FRAMES 3       // decoded pictures not yet shown

// QVPLAY_QueryPortTriple kinds: QVPLAY_QUERY_PLAY_STATE fills six LONGs:
// width, height, frames per second, pictures shown, seconds of recording
// shown since the first picture, timestamp (seconds) of the picture shown.
#define QVPLAY_QUERY_PLAY_STATE 1
#define QVPLAY_PLAY_STATE_SIZE 24

// Speed steps: each step doubles (up) or halves (down) the pace.
#define QVPLAY_MIN_SPEED_STEP (-4)
#define QVPLAY_MAX_SPEED_STEP 4

// View regions per port (QVPLAY_SetViewRegion, QVPLAY_SetPortQuadA/B).
#define QVPLAY_MAX_REGIONS 4

// Colour adjustment values (QVPLAY_SetPortQuadA): 0..128, 64 leaves the colour.
#define QVPLAY_ADJUST_NEUTRAL 64
#define QVPLAY_ADJUST_MAX 128

// QVPLAY_SetPortValueA: pictures decoded ahead of the display.
#define QVPLAY_MIN_DECODE_AHEAD 1
#define QVPLAY_MAX_DECODE_AHEAD 100
// QVPLAY_SetPortValueB: how a picture fills its window.
#define QVPLAY_SCALE_STRETCH 0
#define QVPLAY_SCALE_KEEP_ASPECT 1

// One picture handed to the display callback: 32-bit BGRX pixels, rows top
// to bottom, valid only during the call.
typedef struct QVPLAY_FRAME {
    LONG width;
    LONG height;
    LONG stride;  // bytes per row
    const BYTE* pixels;
    DWORD frameIndex;      // the recording's own frame number
    LONGLONG timestampMs;  // the recording's own time, milliseconds
} QVPLAY_FRAME;

// Called on the port's own thread for every picture shown, outside the
// port's lock; it may call any operation except stopping or closing its port.
typedef void(__stdcall* QVPLAY_DisplayCallback)(LONG port, const QVPLAY_FRAME* frame, LONG_PTR user);

// Ordinals.
enum {
    QVPLAY_ORD_StartPortPlay = 5,
    QVPLAY_ORD_StopPortPlay = 6,
    QVPLAY_ORD_SetPortPaused = 7,
    QVPLAY_ORD_StepSpeedUp = 8,
    QVPLAY_ORD_StepSpeedDown = 9,
    QVPLAY_ORD_OpenPortStream = 17,
    QVPLAY_ORD_FeedPortData = 18,
    QVPLAY_ORD_ClosePortStream = 19,
    QVPLAY_ORD_SetPortStreamKind = 34,
    QVPLAY_ORD_RedrawPort = 38,
    QVPLAY_ORD_QueryPictureDims = 40,
    QVPLAY_ORD_SetPortValueA = 41,
    QVPLAY_ORD_SoundOn = 42,
    QVPLAY_ORD_SoundOff = 43,
    QVPLAY_ORD_QueryPendingData = 49,
    QVPLAY_ORD_RepaintPort = 50,
    QVPLAY_ORD_SetViewRegion = 70,
    QVPLAY_ORD_SetViewCallback = 79,
    QVPLAY_ORD_QueryBufferedAmount = 83,
    QVPLAY_ORD_SetPortQuadA = 88,
    QVPLAY_ORD_SetPortQuadB = 89,
    QVPLAY_ORD_SavePicture = 94,
    QVPLAY_ORD_BeginFileWrite = 96,
    QVPLAY_ORD_EndFileWrite = 97,
    QVPLAY_ORD_SetPortValueB = 98,
    QVPLAY_ORD_QueryPortTriple = 101
};

// Starts decoding and showing an open port in `window` (NULL: no window).
// Non-zero when playing; 0 for a port that is not open or a dead window.
// Calling it again on a playing port only changes the window.
typedef BOOL(__stdcall* QVPLAY_StartPortPlay_Fn)(LONG port, HWND window);
// Stops the port's thread; the stream stays open. Non-zero; 0 when not open.
typedef BOOL(__stdcall* QVPLAY_StopPortPlay_Fn)(LONG port);
// 1 pauses (nothing more is decoded or shown; the input buffer fills), 0 resumes.
typedef BOOL(__stdcall* QVPLAY_SetPortPaused_Fn)(LONG port, DWORD pause);
// One speed step faster or slower; 0 at the last step or when not open.
typedef BOOL(__stdcall* QVPLAY_StepSpeedUp_Fn)(LONG port);
typedef BOOL(__stdcall* QVPLAY_StepSpeedDown_Fn)(LONG port);
// Opens a stream with an input buffer of bufferSize bytes; `head` (may be
// NULL) is taken as the stream's first bytes. 0 when already open, for a
// zero buffer size or when memory runs out.
typedef BOOL(__stdcall* QVPLAY_OpenPortStream_Fn)(LONG port, const BYTE* head, DWORD headSize, DWORD bufferSize);
// Non-zero when the bytes were taken; 0 when the buffer has no room for them
// (offer the same bytes again later), or the port is not open. A block larger
// than the whole buffer is taken once the buffer is empty.
typedef BOOL(__stdcall* QVPLAY_FeedPortData_Fn)(LONG port, const BYTE* data, DWORD length);
// Stops play, finishes a file being written and frees the stream. Non-zero; 0 when not open.
typedef BOOL(__stdcall* QVPLAY_ClosePortStream_Fn)(LONG port);
// QVPLAY_STREAM_REALTIME or QVPLAY_STREAM_FILE; only while the port is closed.
typedef BOOL(__stdcall* QVPLAY_SetPortStreamKind_Fn)(LONG port, LONG kind);
// Draws the last picture again; RepaintPort first clears the windows. 0 when not open.
typedef BOOL(__stdcall* QVPLAY_RedrawPort_Fn)(LONG port);
typedef BOOL(__stdcall* QVPLAY_RepaintPort_Fn)(LONG port);
// Fills the stream's picture size; 0 until the stream's header has arrived.
typedef BOOL(__stdcall* QVPLAY_QueryPictureDims_Fn)(LONG port, LONG* width, LONG* height);
// Pictures decoded ahead (QVPLAY_MIN/MAX_DECODE_AHEAD); 0 out of range.
typedef BOOL(__stdcall* QVPLAY_SetPortValueA_Fn)(LONG port, LONG value);
// QVPLAY_SCALE_STRETCH or QVPLAY_SCALE_KEEP_ASPECT; 0 otherwise.
typedef BOOL(__stdcall* QVPLAY_SetPortValueB_Fn)(LONG port, LONG value);
// Sound on and off. The recordings carry no sound track, so this only keeps
// the port's sound state. SoundOff(-1) turns sound off on every port.
typedef BOOL(__stdcall* QVPLAY_SoundOn_Fn)(LONG port);
typedef BOOL(__stdcall* QVPLAY_SoundOff_Fn)(LONG port);
// Received bytes not yet decoded (a partial picture waiting for the rest of
// its bytes does not count); 0 for a port that is not open.
typedef DWORD(__stdcall* QVPLAY_QueryPendingData_Fn)(LONG port);
// Amounts by QVPLAY_BUFFERED_* kind; 0 for an unknown kind or a closed port.
typedef DWORD(__stdcall* QVPLAY_QueryBufferedAmount_Fn)(LONG port, DWORD kind);
// Region `index` shows `rect` (picture pixels: left, top, right, bottom) in
// `window` (NULL: the play window). enable 0 removes the region; region 0
// removed shows the whole picture again. 0 for a bad index, an empty
// rectangle while enabling, or a dead window.
typedef BOOL(__stdcall* QVPLAY_SetViewRegion_Fn)(LONG port, DWORD index, const RECT* rect, HWND window, BOOL enable);
// Installs (or with NULL removes) the display callback.
typedef BOOL(__stdcall* QVPLAY_SetViewCallback_Fn)(LONG port, QVPLAY_DisplayCallback callback, LONG_PTR user);
// Region colour: brightness, contrast, saturation, hue (0..QVPLAY_ADJUST_MAX).
typedef BOOL(__stdcall* QVPLAY_SetPortQuadA_Fn)(LONG port, DWORD region, LONG brightness, LONG contrast,
                                                LONG saturation, LONG hue);
// Region margins in window pixels left free (black) round the picture.
typedef BOOL(__stdcall* QVPLAY_SetPortQuadB_Fn)(LONG port, DWORD region, LONG left, LONG top, LONG right, LONG bottom);
// Writes the picture last shown as a 24-bit BMP file (ANSI path). 0 when no
// picture has been shown yet or the file cannot be written.
typedef BOOL(__stdcall* QVPLAY_SavePicture_Fn)(LONG port, const char* path);
// Starts writing every picture the port decodes into a new AVI file (ANSI
// path, mode QVPLAY_FILE_AVI). 0 when the port is not open, already writes,
// the mode is unknown or the file cannot be created.
typedef BOOL(__stdcall* QVPLAY_BeginFileWrite_Fn)(LONG port, const char* path, DWORD mode);
// Decodes what the port has already taken, writes it and completes the
// file. Non-zero when a file was completed; 0 when none was being written.
typedef BOOL(__stdcall* QVPLAY_EndFileWrite_Fn)(LONG port);
// Fills `buffer` by kind (QVPLAY_QUERY_*); `returned` gets the bytes filled,
// or the size needed when the buffer is too small (result 0).
typedef BOOL(__stdcall* QVPLAY_QueryPortTriple_Fn)(LONG port, DWORD kind, BYTE* buffer, DWORD size, DWORD* returned);

#ifdef __cplusplus
}
#endif
