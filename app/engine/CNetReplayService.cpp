#include "app/engine/CNetReplayService.h"

#include <cstring>
#include <vector>

#include "common/CAutoLock.h"
#include "common/FailureLog.h"

namespace {

const int kQueryAttempts = 3;
const int kPumpBlock = 4096;
const DWORD kIdlePauseMs = 10;
const size_t kCardNumberSize = 64;

// The SDK's last error codes after which a download is worth retrying soon.
bool IsTransientDownloadError(uint32_t code) { return code == 0x80000055u || code == 0x80000005u; }

int HandleOf(const CLocalReplay* source) { return static_cast<int>(reinterpret_cast<intptr_t>(source)); }

}  // namespace

CNetReplayService::CNetReplayService(QVNET_API& sdk, CReplaySink& sink) : m_sdk(sdk), m_sink(sink) {
    if (!m_pump.Start([this]() { PumpLoop(); })) LOG_FAILURE(L"local replay pump");
}

CNetReplayService::~CNetReplayService() { Stop(); }

void CNetReplayService::SetParams(int queryWaitMs, int reserved2, int reserved3, int reserved4, int notifyWindow) {
    m_settings.queryWaitMs = queryWaitMs;
    m_settings.reserved2 = reserved2;
    m_settings.reserved3 = reserved3;
    m_settings.reserved4 = reserved4;
    m_settings.notifyWindow = notifyWindow;
}

int CNetReplayService::QueryRecordFiles(int fileType, int login, int channel, const QVNET_TIME* start,
                                        const QVNET_TIME* end, const CString& cardNumber, RECORD_FILE_DESC* buffer,
                                        int bufferSize, int* count) {
    if (login == 0) return -1;
    char card[kCardNumberSize] = {};
    if (!cardNumber.IsEmpty()) {
        CStringA narrow(cardNumber);
        strncpy(card, narrow, kCardNumberSize - 1);
    }
    int32_t found = 0;
    int ok = 0;
    for (int attempt = 0; attempt < kQueryAttempts && ok != 1; ++attempt) {
        ok = m_sdk.FindRecordFiles(login, channel, fileType, start, end, card, buffer, bufferSize, &found,
                                   m_settings.queryWaitMs, 0);
    }
    if (ok != 1) return -1;
    if (count) *count = found;
    return 0;
}

int CNetReplayService::PlayByFile(int login, const RECORD_FILE_DESC& desc) {
    if (login == 0) return -1;
    const int handle = m_sdk.ReplayRecordFile(login, &desc, nullptr, FilePosThunk, SinkValue(), DataThunk, SinkValue());
    return handle == 0 ? -1 : handle;
}

int CNetReplayService::PlayByTime(int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end) {
    if (login == 0) return -1;
    const int handle =
        m_sdk.ReplayTimeRange(login, channel, start, end, nullptr, FilePosThunk, SinkValue(), DataThunk, SinkValue());
    return handle == 0 ? -1 : handle;
}

int CNetReplayService::DownloadToFile(int login, const RECORD_FILE_DESC& desc, const CString& path) {
    if (login == 0) return -1;
    CStringA narrowPath(path);
    int handle = 0;
    if (desc.recordType == QVNET_RECORD_TIME_RANGE) {
        handle = m_sdk.FetchTimeRange(login, static_cast<int32_t>(desc.channel), 0, &desc.start, &desc.end, narrowPath,
                                      TimePosThunk, SinkValue());
    } else {
        handle = m_sdk.FetchRecordFile(login, &desc, narrowPath, FilePosThunk, SinkValue());
    }
    if (handle != 0) return handle;
    return IsTransientDownloadError(m_sdk.LastErrorCode()) ? -1 : -2;
}

int CNetReplayService::Control(int handle, int kind, int command, uint32_t value) {
    if (kind == REPLAY_KIND_PLAYBACK) {
        if (command == REPLAY_CMD_STOP) m_sdk.StopReplay(handle);
        if (command == REPLAY_CMD_SEEK_FILE) m_sdk.SeekReplay(handle, 0xFFFFFFFFu, value);
        if (command == REPLAY_CMD_SEEK_RANGE) m_sdk.SeekReplay(handle, value, 0xFFFFFFFFu);
    } else if (kind == REPLAY_KIND_DOWNLOAD) {
        if (command == REPLAY_CMD_STOP) m_sdk.StopFetch(handle);
    } else if (kind == REPLAY_KIND_LOCAL) {
        std::unique_ptr<CLocalReplay> closed;
        CAutoLock lock(&m_lock);
        auto it = m_sources.find(handle);
        if (it == m_sources.end()) return 0;
        if (command == REPLAY_CMD_STOP) {
            closed = std::move(it->second);
            m_sources.erase(it);
            lock.Unlock();  // the file is closed outside the lock
        } else if (command == REPLAY_CMD_SEEK_FILE) {
            // A count of KB: 64-bit so positions past 2 GB stay right.
            it->second->SetPosition(static_cast<uint64_t>(value) * 1024u);
        }
    }
    return 0;
}

int CNetReplayService::OpenLocalFile(const CString& path, int* sizeKB, int64_t* lengthBytes) {
    std::unique_ptr<CLocalReplay> source(new CLocalReplay());
    if (source->Open(path) != 0) return -1;
    const int handle = HandleOf(source.get());
    if (sizeKB) *sizeKB = static_cast<int>(source->Length() / 1024);
    if (lengthBytes) *lengthBytes = static_cast<int64_t>(source->Length());
    CAutoLock lock(&m_lock);
    m_sources[handle] = std::move(source);
    return handle;
}

void CNetReplayService::SignalStop() {
    m_pump.RequestStop();
    Sleep(100);
}

void CNetReplayService::Stop() {
    m_pump.Stop();
    CAutoLock lock(&m_lock);
    m_sources.clear();
}

int CNetReplayService::OfferToSink(int handle, const uint8_t* data, int length) {
    try {
        return m_sink.OnPlaybackData(handle, 0, data, length);
    } catch (...) {
        LOG_FAILURE_ERROR(L"local replay sink", 0);
        return 0;  // offered again on the next pass
    }
}

int CNetReplayService::PumpOnce() {
    int result = -1;
    uint8_t block[kPumpBlock];
    CAutoLock lock(&m_lock);
    for (auto& entry : m_sources) {
        CLocalReplay& source = *entry.second;
        int n = kPumpBlock;
        if (source.Read(block, &n) != 0) continue;  // at its end: its owner closes it
        if (OfferToSink(entry.first, block, n) == 1) {
            source.Advance(n);
            result = 0;
        }
    }
    return result;
}

void CNetReplayService::PumpLoop() {
    while (!m_pump.StopRequested()) {
        // An idle pass waits a little, and wakes at once for a stop.
        if (PumpOnce() != 0 && m_pump.WaitForStop(kIdlePauseMs)) break;
    }
}

int32_t QVNET_CALL CNetReplayService::DataThunk(int32_t handle, uint32_t type, const uint8_t* data, uint32_t length,
                                                QVNET_USER user) {
    try {
        CReplaySink* sink = reinterpret_cast<CReplaySink*>(user);
        return sink->OnPlaybackData(handle, static_cast<int>(type), data, static_cast<int>(length)) == 1 ? 1 : 0;
    } catch (...) {
        LOG_FAILURE_ERROR(L"playback data callback", 0);
        return 0;
    }
}

void QVNET_CALL CNetReplayService::FilePosThunk(int32_t handle, uint32_t totalKB, uint32_t doneKB, QVNET_USER user) {
    try {
        reinterpret_cast<CReplaySink*>(user)->OnFileDownloadPos(handle, totalKB, doneKB);
    } catch (...) {
        LOG_FAILURE_ERROR(L"file position callback", 0);
    }
}

void QVNET_CALL CNetReplayService::TimePosThunk(int32_t handle, uint32_t totalKB, uint32_t doneKB, int32_t index,
                                                const RECORD_FILE_DESC*, QVNET_USER user) {
    try {
        reinterpret_cast<CReplaySink*>(user)->OnTimeDownloadPos(handle, totalKB, doneKB, index);
    } catch (...) {
        LOG_FAILURE_ERROR(L"time position callback", 0);
    }
}
