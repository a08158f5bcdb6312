// The network SDK stand-in against simulated recorders on 127.0.0.1: the
// callbacks that record what it reports, file helpers and the fixture.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SdkApi.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"
#include "tools/simrecorder/CSimDdnsResponder.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimSearchResponder.h"

#include "SdkTestSupport.h"

const QVNET_TIME kDay = kSdkTestDay;

void QVNET_CALL OnDisconnect(int32_t loginHandle, const char*, int32_t, QVNET_USER);

std::vector<int32_t> Disconnects();

// What OnDisconnect keeps: the handles it was called for, and the lock of
// the program a disconnect callback waits for.
extern std::mutex g_mutex;
extern std::vector<int32_t> g_disconnects;
extern std::mutex g_programLock;
extern std::atomic<int> g_inDisconnect;

// Progress as a callback saw it.
struct Progress {
    std::mutex mutex;
    std::vector<std::pair<uint32_t, uint32_t>> calls;  // (total, done)
    std::atomic<bool> fileClosedAtEnd{false};
    std::string path;
    std::atomic<int> afterStop{0};
    std::atomic<bool> stopped{false};

    void Add(uint32_t total, uint32_t done) {
        if (stopped) ++afterStop;
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back({total, done});
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(mutex);
        return calls.size();
    }
    std::pair<uint32_t, uint32_t> Last() {
        std::lock_guard<std::mutex> lock(mutex);
        return calls.empty() ? std::make_pair(0u, 0u) : calls.back();
    }
};

bool FileIsClosedByWriter(const std::string& path);

void QVNET_CALL OnFilePos(int32_t, uint32_t total, uint32_t done, QVNET_USER user);

void QVNET_CALL OnTimePos(int32_t, uint32_t total, uint32_t done, int32_t, const RECORD_FILE_DESC*, QVNET_USER user);

// Playback sink that refuses every third offer.
struct Sink {
    std::mutex mutex;
    std::vector<uint8_t> bytes;
    int offers = 0;
    int refused = 0;
};

int32_t QVNET_CALL OnData(int32_t, uint32_t, const uint8_t* data, uint32_t length, QVNET_USER user);

int32_t Threads();

std::string Narrow(const std::wstring& text);

std::string ReadFileBytes(const std::string& path);

std::string Expected(uint32_t channel, const QVNET_TIME& begin, const QVNET_TIME& end);

QVNET_TIME At(uint32_t hour, uint32_t minute, uint32_t second = 0);

class QvNetSdkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Sdk().Load()) << "qvnetsdk.dll with every ordinal"; }

    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_disconnects.clear();
        }
        ASSERT_EQ(Sdk().Init(OnDisconnect, 7), 1);
        QVNET_NET_PARAMS params = SdkTestNetworkParams();
        Sdk().SetNetworkParams(&params);
    }

    void TearDown() override { Sdk().Cleanup(); }

    // Four channels, 5-minute files over one day: 288 files a channel.
    static SimRecorderConfig Config() { return TwoChannelRecorderConfig(); }

    std::unique_ptr<CSimRecorder> Recorder(const SimRecorderConfig& config = Config()) {
        std::unique_ptr<CSimRecorder> recorder(new CSimRecorder(config));
        EXPECT_TRUE(recorder->Start("127.0.0.1", 0));
        return recorder;
    }

    int32_t Login(CSimRecorder& recorder, const char* user = "admin", const char* password = "admin",
                  int32_t* error = nullptr, QVNET_DEVICE_INFO* info = nullptr) {
        int32_t localError = -1;
        QVNET_DEVICE_INFO localInfo;
        return Sdk().LoginDevice("127.0.0.1", recorder.Port(), user, password, 0, 0, info ? info : &localInfo,
                                 error ? error : &localError);
    }

    std::vector<RECORD_FILE_DESC> Find(int32_t login, uint32_t channel, const QVNET_TIME& start, const QVNET_TIME& end,
                                       size_t capacity, int32_t* result = nullptr) {
        std::vector<RECORD_FILE_DESC> files(capacity);
        int32_t count = -1;
        const int32_t ok =
            Sdk().FindRecordFiles(login, static_cast<int32_t>(channel), 0, &start, &end, "", files.data(),
                                  static_cast<int32_t>(capacity * sizeof(RECORD_FILE_DESC)), &count, 3000, 0);
        if (result) *result = ok;
        files.resize(ok ? static_cast<size_t>(count) : 0);
        return files;
    }

    // Starts a download by file into a file of the temporary folder that
    // `progress` follows; the download handle, or 0.
    int32_t FetchInto(int32_t login, const RECORD_FILE_DESC& file, const wchar_t* name, Progress& progress) {
        progress.path = Narrow(m_temp.File(name));
        return Sdk().FetchRecordFile(login, &file, progress.path.c_str(), OnFilePos,
                                     reinterpret_cast<QVNET_USER>(&progress));
    }

    static bool Completed(Progress& progress, const RECORD_FILE_DESC& file) {
        return WaitFor([&] { return progress.Last().first > 0 && progress.Last().second >= file.sizeKB; });
    }

    // FetchInto, then the wait for the download's last report: the handle,
    // or 0 (a failure added) when it did not start or did not complete.
    int32_t FetchWhole(int32_t login, const RECORD_FILE_DESC& file, const wchar_t* name, Progress& progress) {
        const int32_t handle = FetchInto(login, file, name, progress);
        if (handle <= 0) {
            ADD_FAILURE() << "the download did not start";
            return 0;
        }
        if (!Completed(progress, file)) {
            ADD_FAILURE() << "the download did not complete";
            return 0;
        }
        return handle;
    }

    // Starts a download of each file into "<prefix><index>.duz", followed
    // by progress[index]. False (a failure added) when one did not start.
    bool FetchEach(int32_t login, const std::vector<RECORD_FILE_DESC>& files, const wchar_t* prefix,
                   Progress* progress) {
        for (size_t i = 0; i < files.size(); ++i) {
            const std::wstring name = prefix + std::to_wstring(i) + L".duz";
            if (FetchInto(login, files[i], name.c_str(), progress[i]) <= 0) {
                ADD_FAILURE() << "download " << i << " did not start";
                return false;
            }
        }
        return true;
    }

    TempDir m_temp;
};
