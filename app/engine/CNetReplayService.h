// CNetReplayService: starts, steers and stops the network SDK's record-file
// operations on logged-in devices (query, playback, download, by file or by
// time range), and serves local record files as stream sources through its
// pump thread, which hands their blocks to the same sink as network playback.
//
// Data and progress go to the CReplaySink given at construction (the engine).
// The pump calls the sink with the service lock held: a sink may take its own
// locks, but whoever holds such a lock must not close a local source (which
// takes the service lock) until it has released it.
#pragma once

#include <afx.h>

#include <stdint.h>

#include <map>
#include <memory>

#include "common/CLock.h"
#include "app/engine/CDownloadTransfers.h"
#include "app/engine/CLocalReplay.h"
#include "app/engine/CNetSdk.h"
#include "app/engine/CPlaybackSources.h"
#include "app/engine/CRecordFileQuery.h"
#include "app/engine/CReplaySink.h"
#include "common/CThreadOwner.h"

static_assert(sizeof(RECORD_FILE_DESC) == 196, "the record-file descriptor is copied whole as 196 bytes");
static_assert(offsetof(RECORD_FILE_DESC, recordType) == 192, "the time-range marker byte is at 192");

// Settings the engine hands over once: the record-query wait time in ms
// first; the last is a notification window kept for the engine.
struct REPLAY_SETTINGS {
    int queryWaitMs = 3000;
    int reserved2 = 0;
    int reserved3 = 0;
    int reserved4 = 0;
    int notifyWindow = 0;
};

class CNetReplayService : public CRecordFileQuery, public CPlaybackSources, public CDownloadTransfers {
public:
    // Starts the pump thread. sdk and sink must outlive the service.
    CNetReplayService(QVNET_API& sdk, CReplaySink& sink);
    // Stops the pump thread when Stop was not called.
    ~CNetReplayService();
    CNetReplayService(const CNetReplayService&) = delete;
    CNetReplayService& operator=(const CNetReplayService&) = delete;

    void SetParams(int queryWaitMs, int reserved2, int reserved3, int reserved4, int notifyWindow);
    const REPLAY_SETTINGS& Settings() const { return m_settings; }

    // Record files of one channel between two times into buffer (bufferSize
    // bytes); *count gets the number filled. Up to three SDK attempts.
    // Returns 0 on success; -1 for login 0 (no SDK call) or when every
    // attempt failed.
    int QueryRecordFiles(int fileType, int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end,
                         const CString& cardNumber, RECORD_FILE_DESC* buffer, int bufferSize, int* count) override;
    // Playback of one record file / of a channel between two times. Returns
    // the playback handle, or -1 for login 0 or a refused start.
    int PlayByFile(int login, const RECORD_FILE_DESC& desc) override;
    int PlayByTime(int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end) override;
    // Download into a local file that the SDK writes itself; a descriptor
    // with the time-range marker downloads by time. Returns the download
    // handle; -1 for login 0 or when the device is busy or timed out (retry
    // later); -2 for any other refusal.
    int DownloadToFile(int login, const RECORD_FILE_DESC& desc, const CString& path) override;
    // Stop and seek commands by handle kind (REPLAY_KIND_*, REPLAY_CMD_*);
    // unknown kinds, commands and handles do nothing. Always returns 0.
    int Control(int handle, int kind, int command, uint32_t value) override;
    // Opens a local record file as a source. Returns its handle with *sizeKB
    // (and *lengthBytes when given) set, or -1 when it cannot be opened.
    int OpenLocalFile(const CString& path, int* sizeKB, int64_t* lengthBytes = nullptr) override;

    // Asks the pump to end and gives it 100 ms; Stop finishes the job.
    void SignalStop();
    // Ends the pump thread and frees the sources still open. Idempotent.
    void Stop();
    // One pass over the local sources, one block each. Returns 0 when any
    // block was taken, -1 when none was.
    int PumpOnce();

private:
    void PumpLoop();
    static int32_t QVNET_CALL DataThunk(int32_t handle, uint32_t type, const uint8_t* data, uint32_t length,
                                        QVNET_USER user);
    static void QVNET_CALL FilePosThunk(int32_t handle, uint32_t totalKB, uint32_t doneKB, QVNET_USER user);
    static void QVNET_CALL TimePosThunk(int32_t handle, uint32_t totalKB, uint32_t doneKB, int32_t index,
                                        const RECORD_FILE_DESC* range, QVNET_USER user);
    int OfferToSink(int handle, const uint8_t* data, int length);
    QVNET_USER SinkValue() { return reinterpret_cast<QVNET_USER>(&m_sink); }

    QVNET_API& m_sdk;
    CReplaySink& m_sink;
    CLock m_lock;
    std::map<int, std::unique_ptr<CLocalReplay>> m_sources;  // by handle, ascending
    REPLAY_SETTINGS m_settings;
    // Last: started by the constructor once everything it touches exists.
    CThreadOwner m_pump;
};
