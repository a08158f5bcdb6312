#include "PlaybackFixtures.h"

#include <windows.h>

#include "SdkTestSupport.h"
#include "standins/qvnetsdk/SdkWire.h"

namespace {
const QVNET_TIME kDay = kSdkTestDay;
}

QVNET_API& NetApi() { return NetSdk(); }

bool NetApiBound() { return CNetSdk::Bind() == 0; }

CQvPlayLibrary& PlayLib() {
    static CQvPlayLibrary library;
    if (!library.IsLoaded()) library.Load();
    return library;
}

std::string Narrow(const std::wstring& text) { return std::string(CW2A(text.c_str())); }

QVNET_TIME At(uint32_t hour, uint32_t minute, uint32_t second) { return SdkTestTime(hour, minute, second); }

QVNET_TIME NextDay() { return qvwire::SecondsToTime(qvwire::TimeToSeconds(kDay) + 86400); }

SimRecorderConfig DayOfFiles() {
    SimRecorderConfig config;
    SimCatalogueRule rule;
    rule.firstDay = kDay;
    rule.fileMinutes = 5;
    config.rules.push_back(rule);
    return config;
}

std::string ExpectedStream(uint32_t channel, const QVNET_TIME& begin, const QVNET_TIME& end) {
    streamfmt::StreamParams streamParams;
    streamParams.channel = channel;
    streamParams.beginTime = qvwire::TimeToSeconds(begin);
    streamParams.endTime = qvwire::TimeToSeconds(end);
    return Bytes(streamfmt::BuildStream(streamParams));
}

std::string Bytes(const std::vector<uint8_t>& data) { return std::string(data.begin(), data.end()); }

int StartRecorderSession(std::unique_ptr<CSimRecorder>& recorder) {
    if (NetApi().Init(nullptr, 0) != 1) return 0;
    QVNET_NET_PARAMS params = {};
    params.connectWaitMs = 2000;
    params.replyWaitMs = 3000;
    params.loginWaitMs = 3000;
    params.transferWaitMs = 5000;
    NetApi().SetNetworkParams(&params);
    recorder.reset(new CSimRecorder(DayOfFiles()));
    if (!recorder->Start("127.0.0.1", 0)) return 0;
    QVNET_DEVICE_INFO info;
    int32_t error = 0;
    return NetApi().LoginDevice("127.0.0.1", recorder->Port(), "admin", "admin", 0, 0, &info, &error);
}

void EndRecorderSession(std::unique_ptr<CSimRecorder>& recorder) {
    NetApi().Cleanup();
    recorder.reset();
}

int CTestSink::OnPlaybackData(int handle, int, const uint8_t* data, int length) {
    if (pauseMs > 0) Sleep(static_cast<DWORD>(pauseMs.load()));
    bool taken = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_offerCount;
        const bool refused = refuseAll || (refuseEvery > 0 && m_offerCount % refuseEvery == 0);
        if (refused) ++m_refusals;
        taken = !refused;
    }
    if (taken) {
        if (CBackupTaskQueue* target = queue) {
            // The engine's routing: only data the queue took counts as taken;
            // anything else (not its source, refused) is offered again.
            taken = target->OnSourceData(handle, data, length) == 0;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (taken) m_data[handle].append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    if (recordOffers) m_offers.push_back({handle, std::string(reinterpret_cast<const char*>(data), length), taken});
    return taken ? 1 : 0;
}

void CTestSink::OnFileDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pos[handle] = {totalKB, doneKB};
    }
    if (CBackupTaskQueue* target = queue) target->OnSourcePosition(handle, doneKB, totalKB);
}

void CTestSink::OnTimeDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB, int) {
    OnFileDownloadPos(handle, totalKB, doneKB == 0xFFFFFFFFu ? totalKB : doneKB);
}

std::string CTestSink::Data(int handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_data[handle];
}

std::pair<uint32_t, uint32_t> CTestSink::LastPos(int handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_pos.find(handle);
    return it == m_pos.end() ? std::make_pair(0u, 0u) : it->second;
}

std::vector<CTestSink::Offer> CTestSink::Offers() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_offers;
}

int CTestSink::Refusals() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_refusals;
}

int CTestHost::GetLoginHandle(int) { return login; }

int CTestHost::CheckChannelBusy(int, const RECORD_FILE_DESC&) { return busy; }
