// Shared pieces of the playback tests: both SDKs bound once, a sink that
// records what the service delivers (and routes it to a conversion queue the
// way the engine does), a host with switchable device states, and the exact
// bytes a simulated recording holds.
#pragma once

#include <afx.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/engine/CBackupTaskQueue.h"
#include "app/engine/CNetSdk.h"
#include "app/engine/CQvPlayLibrary.h"
#include "app/engine/CReplaySink.h"
#include "app/engine/CTaskQueueHost.h"
#include "standins/streamfmt/StreamFormat.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/SimRecorderConfig.h"

QVNET_API& NetApi();
// True once qvnetsdk.dll is loaded with every ordinal.
bool NetApiBound();
CQvPlayLibrary& PlayLib();

std::string Narrow(const std::wstring& text);
// A time on the simulated recorders' recording day.
QVNET_TIME At(uint32_t hour, uint32_t minute, uint32_t second = 0);
QVNET_TIME NextDay();
// A recorder with 5-minute files on every channel over one day: 288 a channel.
SimRecorderConfig DayOfFiles();
// The exact stream of a channel between two times, as the recorder serves it.
std::string ExpectedStream(uint32_t channel, const QVNET_TIME& begin, const QVNET_TIME& end);
std::string Bytes(const std::vector<uint8_t>& data);

// Initialises the network SDK with short waits, starts a recorder of
// DayOfFiles on 127.0.0.1 and logs in. Returns the login handle, or 0.
int StartRecorderSession(std::unique_ptr<CSimRecorder>& recorder);
// Cleans the SDK up and stops the recorder.
void EndRecorderSession(std::unique_ptr<CSimRecorder>& recorder);

class CTestSink : public CReplaySink {
public:
    int OnPlaybackData(int handle, int type, const uint8_t* data, int length) override;
    void OnFileDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB) override;
    void OnTimeDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB, int index) override;

    // Taken data of a handle, and its last progress (total, done).
    std::string Data(int handle);
    std::pair<uint32_t, uint32_t> LastPos(int handle);
    // Every block offered, whether taken, in order (only with recordOffers).
    struct Offer {
        int handle;
        std::string bytes;
        bool taken;
    };
    std::vector<Offer> Offers();
    int Refusals();

    std::atomic<int> refuseEvery{0};  // refuse every n-th offer; 0 never
    std::atomic<bool> refuseAll{false};
    std::atomic<bool> recordOffers{false};
    std::atomic<int> pauseMs{0};  // slows each offer down
    // When set, data and progress go to the queue as the engine routes them.
    std::atomic<CBackupTaskQueue*> queue{nullptr};

private:
    std::mutex m_mutex;
    std::map<int, std::string> m_data;
    std::map<int, std::pair<uint32_t, uint32_t>> m_pos;
    std::vector<Offer> m_offers;
    int m_offerCount = 0;
    int m_refusals = 0;
};

class CTestHost : public CTaskQueueHost {
public:
    int GetLoginHandle(int deviceId) override;
    int CheckChannelBusy(int deviceId, const RECORD_FILE_DESC& desc) override;

    std::atomic<int> login{0};
    std::atomic<int> busy{0};
};
