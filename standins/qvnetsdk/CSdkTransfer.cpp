#include "standins/qvnetsdk/CSdkTransfer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "standins/qvnetsdk/CSdkCore.h"
#include "standins/streamfmt/StreamFormat.h"

using namespace qvwire;

std::atomic<bool> CSdkTransfer::s_keepSessionOnFailure{false};

namespace {

// Playback hands the stream over in pieces of this size, so a refused piece
// is small to offer again.
const size_t kOfferPiece = 8192;
const DWORD kRefusedPauseMs = 10;
const DWORD kIdlePauseMs = 20;
const uint32_t kCloseWaitMs = 2000;
// Block requests kept in flight: enough to cover the round trip, through a
// relay as well, while the device is still streaming the earlier blocks.
const size_t kReadsInFlight = 8;

uint32_t KiloBytes(uint64_t bytes) { return static_cast<uint32_t>((bytes + 1023) / 1024); }

}  // namespace

CSdkTransfer::CSdkTransfer(const std::shared_ptr<CSdkSession>& session, Kind kind, const Callbacks& callbacks)
    : m_session(session), m_kind(kind), m_callbacks(callbacks) {}

CSdkTransfer::~CSdkTransfer() { CloseFile(); }

uint32_t CSdkTransfer::Open(const std::shared_ptr<CSdkSession>& session, Kind kind, const OpenRequest& request,
                            const std::string& path, const Callbacks& callbacks,
                            std::shared_ptr<CSdkTransfer>& transfer) {
    const QVNET_NET_PARAMS params = CSdkCore::Get().Params();
    const uint32_t args[4] = {request.mode, 0, 0, 0};
    SdkReply reply =
        session->Call(kCmdOpen, args, EncodeOpenRequest(request), static_cast<uint32_t>(params.replyWaitMs));
    if (reply.error) return reply.error;
    std::shared_ptr<CSdkTransfer> created(new CSdkTransfer(session, kind, callbacks));
    // Taken once: a read per block must not queue on the SDK-wide lock.
    created->m_blockWaitMs = static_cast<uint32_t>(params.transferWaitMs);
    created->m_deviceId = reply.header.args[0];
    created->m_total = reply.header.args[1] | (static_cast<uint64_t>(reply.header.args[2]) << 32);
    if (reply.body.size() == sizeof(RECORD_FILE_DESC))
        std::memcpy(&created->m_range, reply.body.data(), sizeof(RECORD_FILE_DESC));
    if (kind != kReplay && !created->m_file.Create(path)) {
        const uint32_t closeArgs[4] = {created->m_deviceId, 0, 0, 0};
        session->Call(kCmdClose, closeArgs, kCloseWaitMs);
        return QVNET_ERR_LOCAL_FILE;
    }
    transfer = created;
    return QVNET_ERR_NONE;
}

void CSdkTransfer::Start() {
    std::shared_ptr<CSdkTransfer> self = shared_from_this();
    CSdkCore::Get().StartThread([self] { self->Run(); });
}

void CSdkTransfer::Shutdown() {
    CAutoLock lock(&m_gate);
    m_stopped = true;
    m_file.Close();
}

bool CSdkTransfer::CloseFile() {
    CAutoLock lock(&m_gate);
    return m_file.Close();
}

template <class F>
bool CSdkTransfer::Deliver(F call) {
    {
        // Checked under the gate that Shutdown takes: once it has returned,
        // no delivery gets past this point.
        CAutoLock lock(&m_gate);
        if (m_stopped) return false;
    }
    CSdkCore::CallbackScope scope;
    call();
    return true;
}

bool CSdkTransfer::RequestReads() {
    if (m_reads.empty()) m_requested = m_offset;
    // An empty pipeline is filled with one write. Once full it is topped up
    // one request per answer taken, never in batches: a relay that forwards
    // one packet per poll would leave the rest of a batch waiting for its
    // idle period.
    if (m_reads.size() >= kReadsInFlight || m_requested >= m_total) return !m_reads.empty();
    std::vector<std::array<uint32_t, 4>> args;
    std::vector<Read> reads;
    for (uint64_t next = m_requested; m_reads.size() + reads.size() < kReadsInFlight && next < m_total;) {
        const uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(kMaxBlock, m_total - next));
        args.push_back({m_deviceId, static_cast<uint32_t>(next), static_cast<uint32_t>(next >> 32), length});
        reads.push_back({0, next, length});
        next += length;
    }
    std::vector<uint32_t> sequences;
    if (!m_session->SendMany(kCmdRead, args, sequences)) return false;
    for (size_t i = 0; i < reads.size(); ++i) {
        reads[i].sequence = sequences[i];
        m_reads.push_back(reads[i]);
        m_requested += reads[i].length;
    }
    return true;
}

void CSdkTransfer::AbandonReads() {
    for (const Read& read : m_reads) m_session->Abandon(read.sequence);
    m_reads.clear();
}

bool CSdkTransfer::ReadBlock(std::vector<uint8_t>& block) {
    if (!RequestReads()) return false;
    const Read read = m_reads.front();
    m_reads.pop_front();
    SdkReply reply = m_session->Wait(read.sequence, m_blockWaitMs);
    if (reply.error || reply.body.empty()) return false;
    if (reply.body.size() > read.length) reply.body.resize(read.length);
    if (reply.body.size() < read.length) {
        // A short answer: the requests behind it asked for offsets that no
        // longer follow on, so they are asked again.
        AbandonReads();
    }
    block.swap(reply.body);
    return true;
}

bool CSdkTransfer::WriteBlock(const std::vector<uint8_t>& block) {
    CAutoLock lock(&m_gate);
    return m_file.Write(block.data(), block.size());
}

bool CSdkTransfer::OfferBlock(const uint8_t* data, size_t length) {
    size_t taken = 0;
    while (taken < length) {
        if (Stopped() || m_seekTo >= 0) return false;
        const size_t piece = std::min(kOfferPiece, length - taken);
        int32_t accepted = 0;
        if (!Deliver([&] {
                accepted = m_callbacks.onData ? m_callbacks.onData(Handle(), 0, data + taken,
                                                                   static_cast<uint32_t>(piece), m_callbacks.dataUser)
                                              : 1;
            })) {
            return false;
        }
        if (accepted == 1) {
            taken += piece;
            m_offset += piece;
        } else {
            Sleep(kRefusedPauseMs);  // refused: the same piece is offered again
        }
    }
    return true;
}

void CSdkTransfer::ReportPosition(uint64_t position, bool finished) {
    const uint32_t totalKB = KiloBytes(m_total);
    // Until the end, done stays below total: a caller may treat done >= total
    // as "the file is complete".
    const uint32_t partKB = std::min<uint32_t>(static_cast<uint32_t>(position / 1024), totalKB ? totalKB - 1 : 0);
    if (m_kind == kFetchTime) {
        if (!m_callbacks.onTimePos) return;
        const uint32_t done = finished ? 0xFFFFFFFFu : partKB;
        Deliver([&] { m_callbacks.onTimePos(Handle(), totalKB, done, 0, &m_range, m_callbacks.posUser); });
    } else {
        if (!m_callbacks.onFilePos) return;
        const uint32_t done = finished ? totalKB : partKB;
        Deliver([&] { m_callbacks.onFilePos(Handle(), totalKB, done, m_callbacks.posUser); });
    }
}

uint64_t CSdkTransfer::AlignToFrame(uint64_t offset) const {
    if (m_frameSize == 0 || offset <= m_headerSize) return std::min(offset, m_headerSize);
    return m_headerSize + (offset - m_headerSize) / m_frameSize * m_frameSize;
}

void CSdkTransfer::Fail() {
    uint64_t stored = 0;
    {
        CAutoLock lock(&m_gate);
        m_file.Close();
        stored = m_file.Stored();
    }
    // Where the file ends: a caller sees how far the download came.
    if (m_kind != kReplay) ReportPosition(stored, false);
    if (!Stopped()) {
        Deliver([&] { CSdkCore::Get().NotifyEvent(QVNET_EVENT_FETCH_FAILED, 0, Handle()); });
    }
    // The session is no longer trustworthy (or, after a failed write, the
    // caller's only way back is its device-gone path): dropping it runs that
    // path through the disconnect callback.
    if (!s_keepSessionOnFailure) m_session->Close(false);
}

CSdkTransfer::Outcome CSdkTransfer::Transfer() {
    std::vector<uint8_t> block;
    bool ended = false;
    while (!Stopped()) {
        if (m_kind == kReplay) {
            const int64_t seek = m_seekTo.exchange(-1);
            if (seek >= 0) {
                AbandonReads();
                m_offset = AlignToFrame(std::min<uint64_t>(static_cast<uint64_t>(seek), m_total));
                ended = false;
            }
        }
        if (m_offset >= m_total) {
            if (m_kind != kReplay) {
                // The file is whole and closed before the last report says so.
                if (!CloseFile()) return kWriteFailed;
                ReportPosition(m_offset, true);
                return kFinished;
            }
            if (!ended) {
                ReportPosition(m_offset, true);
                Deliver([&] { CSdkCore::Get().NotifyEvent(QVNET_EVENT_REPLAY_END, 0, Handle()); });
                ended = true;
            }
            Sleep(kIdlePauseMs);  // a seek may start it again
            continue;
        }
        if (!ReadBlock(block)) return Stopped() ? kStopped : kNetworkFailed;
        if (m_offset == 0) {
            streamfmt::StreamParams streamParams;
            if (streamfmt::ParseStreamHeader(block.data(), block.size(), streamParams)) {
                m_headerSize = streamfmt::kStreamHeaderSize;
                m_frameSize = streamfmt::FrameSize(streamParams);
            }
        }
        if (m_kind == kReplay) {
            if (!OfferBlock(block.data(), block.size())) continue;
        } else {
            if (!WriteBlock(block)) return Stopped() ? kStopped : kWriteFailed;
            m_offset += block.size();
        }
        ReportPosition(m_offset, false);
    }
    return kStopped;
}

void CSdkTransfer::Run() {
    const Outcome outcome = Transfer();
    AbandonReads();
    if (outcome == kNetworkFailed || outcome == kWriteFailed) {
        Fail();
        return;
    }
    const uint32_t args[4] = {m_deviceId, 0, 0, 0};
    m_session->Call(kCmdClose, args, kCloseWaitMs);
}
