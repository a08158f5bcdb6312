// One download (into a local file) or one playback (through the data
// callback) of a record file or a time range, driven by its own SDK thread
// that reads the stream block by block from the device, several block
// requests ahead of the block it is handling.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "common/CAutoLock.h"
#include "standins/qvnetsdk/CSdkFileWriter.h"
#include "standins/qvnetsdk/CSdkObject.h"
#include "standins/qvnetsdk/CSdkSession.h"

class CSdkTransfer : public CSdkObject, public std::enable_shared_from_this<CSdkTransfer> {
public:
    enum Kind { kFetchFile, kFetchTime, kReplay };

    struct Callbacks {
        QVNET_FilePosCallback onFilePos = nullptr;
        QVNET_TimePosCallback onTimePos = nullptr;
        QVNET_DataCallback onData = nullptr;
        QVNET_USER posUser = 0;
        QVNET_USER dataUser = 0;
    };

    // Asks the device to open the stream; QVNET_ERR_NONE, or the reason it
    // cannot. A download also creates its file (QVNET_ERR_LOCAL_FILE).
    static uint32_t Open(const std::shared_ptr<CSdkSession>& session, Kind kind, const qvwire::OpenRequest& request,
                         const std::string& path, const Callbacks& callbacks, std::shared_ptr<CSdkTransfer>& transfer);
    ~CSdkTransfer() override;

    // Starts the worker once the transfer has its handle.
    void Start();
    // Stops: no callback begins after this returns, and a download's file is
    // closed with what it had received. Never waits for the worker.
    void Shutdown() override;
    // Moves a playback to a byte offset (aligned to a frame start).
    void Seek(uint64_t offset) { m_seekTo = static_cast<int64_t>(offset); }
    // Test seam: a failed transfer reports the failure but keeps its session
    // (as an SDK may), so the caller must end the transfer on the event alone.
    static void KeepSessionOnFailure(bool keep) { s_keepSessionOnFailure = keep; }

private:
    static std::atomic<bool> s_keepSessionOnFailure;

    enum Outcome { kStopped, kFinished, kNetworkFailed, kWriteFailed };
    // One block request sent and not yet answered.
    struct Read {
        uint32_t sequence;
        uint64_t offset;
        uint32_t length;
    };

    CSdkTransfer(const std::shared_ptr<CSdkSession>& session, Kind kind, const Callbacks& callbacks);
    void Run();
    Outcome Transfer();
    bool RequestReads();
    void AbandonReads();
    bool ReadBlock(std::vector<uint8_t>& block);
    bool WriteBlock(const std::vector<uint8_t>& block);
    bool OfferBlock(const uint8_t* data, size_t length);
    void ReportPosition(uint64_t position, bool finished);
    bool CloseFile();
    void Fail();
    uint64_t AlignToFrame(uint64_t offset) const;
    bool Stopped() const { return m_stopped; }
    template <class F>
    bool Deliver(F call);

    const std::shared_ptr<CSdkSession> m_session;
    const Kind m_kind;
    const Callbacks m_callbacks;
    uint32_t m_deviceId = 0;
    uint32_t m_blockWaitMs = 0;  // how long a block's answer may take
    uint64_t m_total = 0;
    uint64_t m_offset = 0;     // next byte to hand on
    uint64_t m_requested = 0;  // next byte to ask the device for
    std::deque<Read> m_reads;  // in the order the device answers them
    RECORD_FILE_DESC m_range = {};
    uint64_t m_headerSize = 0, m_frameSize = 0;  // stream layout, for aligned seeks
    CLock m_gate;                                // stop flag against callback starts and file use
    std::atomic<bool> m_stopped{false};
    CSdkFileWriter m_file;
    std::atomic<int64_t> m_seekTo{-1};
};
