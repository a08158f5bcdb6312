// qvnetsdk.dll against the simulated recorder, through real sockets on
// 127.0.0.1, bound by ordinal as the program binds it.
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

namespace {

const QVNET_TIME kDay = kSdkTestDay;

std::mutex g_mutex;
std::vector<int32_t> g_disconnects;
// The program looks its device up under its own lock in this callback.
std::mutex g_programLock;
std::atomic<int> g_inDisconnect{0};

void QVNET_CALL OnDisconnect(int32_t loginHandle, const char*, int32_t, QVNET_USER) {
    ++g_inDisconnect;
    std::lock_guard<std::mutex> program(g_programLock);
    --g_inDisconnect;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_disconnects.push_back(loginHandle);
}

std::vector<int32_t> Disconnects() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_disconnects;
}

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

bool FileIsClosedByWriter(const std::string& path) {
    // Opening without sharing succeeds only when no one else has it open.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void QVNET_CALL OnFilePos(int32_t, uint32_t total, uint32_t done, QVNET_USER user) {
    Progress* p = reinterpret_cast<Progress*>(user);
    if (done >= total && !p->path.empty()) p->fileClosedAtEnd = FileIsClosedByWriter(p->path);
    p->Add(total, done);
}

void QVNET_CALL OnTimePos(int32_t, uint32_t total, uint32_t done, int32_t, const RECORD_FILE_DESC*, QVNET_USER user) {
    Progress* p = reinterpret_cast<Progress*>(user);
    if (done == 0xFFFFFFFFu && !p->path.empty()) p->fileClosedAtEnd = FileIsClosedByWriter(p->path);
    p->Add(total, done);
}

// Playback sink that refuses every third offer.
struct Sink {
    std::mutex mutex;
    std::vector<uint8_t> bytes;
    int offers = 0;
    int refused = 0;
};

int32_t QVNET_CALL OnData(int32_t, uint32_t, const uint8_t* data, uint32_t length, QVNET_USER user) {
    Sink* sink = reinterpret_cast<Sink*>(user);
    std::lock_guard<std::mutex> lock(sink->mutex);
    if (++sink->offers % 3 == 0) {
        ++sink->refused;
        return 0;
    }
    sink->bytes.insert(sink->bytes.end(), data, data + length);
    return 1;
}

int32_t Threads() {
    QVNET_TEST_COUNTERS counters = {};
    Sdk().TestGetCounters(&counters);
    return counters.threads;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string ReadFileBytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    return bytes;
}

std::string Expected(uint32_t channel, const QVNET_TIME& begin, const QVNET_TIME& end) {
    streamfmt::StreamParams streamParams;
    streamParams.channel = channel;
    streamParams.beginTime = qvwire::TimeToSeconds(begin);
    streamParams.endTime = qvwire::TimeToSeconds(end);
    const std::vector<uint8_t> bytes = streamfmt::BuildStream(streamParams);
    return std::string(bytes.begin(), bytes.end());
}

QVNET_TIME At(uint32_t hour, uint32_t minute, uint32_t second = 0) { return SdkTestTime(hour, minute, second); }

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

    std::vector<RECORD_FILE_DESC> Find(int32_t login, uint32_t channel, const QVNET_TIME& start,
                                       const QVNET_TIME& end, size_t capacity, int32_t* result = nullptr) {
        std::vector<RECORD_FILE_DESC> files(capacity);
        int32_t count = -1;
        const int32_t ok = Sdk().FindRecordFiles(login, static_cast<int32_t>(channel), 0, &start, &end, "",
                                                 files.data(), static_cast<int32_t>(capacity * sizeof(RECORD_FILE_DESC)),
                                                 &count, 3000, 0);
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

    TempDir m_temp;
};

TEST_F(QvNetSdkTest, LoginReportsDeviceOrTheReason) {
    SimRecorderConfig config = Config();
    config.alarmInCount = 16;
    config.alarmOutCount = 3;
    config.deviceType = 20;
    auto recorder = Recorder(config);
    QVNET_DEVICE_INFO info;
    int32_t error = -1;
    const int32_t handle = Login(*recorder, "admin", "admin", &error, &info);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(error, 0);
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&info);
    EXPECT_EQ(raw[48], 16);
    EXPECT_EQ(raw[49], 3);
    EXPECT_EQ(raw[51], 20);
    EXPECT_EQ(raw[52], 4);

    struct Case {
        const char* user;
        const char* password;
        int refusal;
        int32_t expected;
    } cases[] = {
        {"admin", "wrong", 0, QVNET_LOGIN_WRONG_PASSWORD},
        {"nobody", "admin", 0, QVNET_LOGIN_WRONG_USER},
        {"admin", "admin", 5, QVNET_LOGIN_LOCKED},
        {"admin", "admin", 7, QVNET_LOGIN_BUSY},
    };
    for (const Case& c : cases) {
        recorder->Faults().loginRefusal = c.refusal;
        error = -1;
        EXPECT_EQ(Login(*recorder, c.user, c.password, &error), 0) << c.user << "/" << c.password;
        EXPECT_EQ(error, c.expected) << c.user << "/" << c.password;
        EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_LOGIN);
    }

    EXPECT_EQ(Sdk().LogoutDevice(handle), 1);
    // Nothing listens on a port the recorder gave up.
    const uint16_t port = recorder->Port();
    recorder->Stop();
    error = -1;
    EXPECT_EQ(Sdk().LoginDevice("127.0.0.1", port, "admin", "admin", 0, 0, &info, &error), 0);
    EXPECT_EQ(error, QVNET_LOGIN_TIMEOUT);
    EXPECT_TRUE(Disconnects().empty()) << "a logout is not a disconnection";
}

TEST_F(QvNetSdkTest, HandlesComeFromOneCounterAndAreNeverReused) {
    auto recorder = Recorder();
    int32_t last = 0;
    for (int i = 0; i < 5; ++i) {
        const int32_t handle = Login(*recorder);
        ASSERT_GT(handle, last);
        EXPECT_LT(handle, 0x10000) << "small numbers, never heap addresses";
        EXPECT_EQ(Sdk().LogoutDevice(handle), 1);
        EXPECT_EQ(Sdk().LogoutDevice(handle), 0);
        EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_INVALID_HANDLE);
        last = handle;
    }
}

TEST_F(QvNetSdkTest, LastErrorBelongsToTheCallingThread) {
    EXPECT_EQ(Sdk().LogoutDevice(999999), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_INVALID_HANDLE);
    uint32_t other = 1;
    std::thread([&] {
        QVNET_NET_PARAMS params = {};
        Sdk().SetNetworkParams(&params);
        other = Sdk().LastErrorCode();
    }).join();
    EXPECT_EQ(other, QVNET_ERR_NONE);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_INVALID_HANDLE);
}

TEST_F(QvNetSdkTest, DeviceQueriesFillTheCallersBuffers) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    ASSERT_GT(login, 0);

    std::vector<char> names(8192, 0);
    int32_t count = 0;
    ASSERT_EQ(Sdk().ReadChannelNames(login, names.data(), 8192, &count, 1000), 1);
    EXPECT_EQ(count, 4);
    EXPECT_STREQ(&names[0], "Gate");
    EXPECT_STREQ(&names[32], "Yard");
    EXPECT_STREQ(&names[64], "CAM 3");

    struct Block {
        int32_t type;
        int32_t size;
    } blocks[] = {{17, 280}, {9, 4932}, {4, 3076}, {8, 4}};
    for (const Block& b : blocks) {
        std::vector<uint8_t> buffer(b.size, 0xEE);
        int32_t length = 0;
        ASSERT_EQ(Sdk().ReadDeviceConfig(login, b.type, buffer.data(), b.size, &length, 1000), 1) << b.type;
        EXPECT_EQ(length, b.size) << b.type;
    }
    uint8_t small[8];
    int32_t length = 0;
    EXPECT_EQ(Sdk().ReadDeviceConfig(login, 17, small, sizeof(small), &length, 1000), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_BUFFER_SMALL);
    EXPECT_EQ(Sdk().ReadDeviceConfig(login, 10, small, sizeof(small), &length, 1000), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_UNSUPPORTED);

    int32_t status[3] = {};
    ASSERT_EQ(Sdk().ReadDeviceStatus(login, 257, reinterpret_cast<char*>(status), 12, &length, 1000), 1);
    EXPECT_EQ(length, 12);
    std::vector<uint8_t> plan(4 * 1184);
    ASSERT_EQ(Sdk().ReadChannelConfig(login, 5, -1, plan.data(), static_cast<int32_t>(plan.size()), &length, 500), 1);
    EXPECT_EQ(length, 4 * 1184);
    EXPECT_EQ(qvwire::ReadLe32(&plan[4]), 4u) << "Sunday's first section records";
    char states[256];
    ASSERT_EQ(Sdk().ReadRecordStates(login, states, 256, &length, 3000), 1);
    EXPECT_EQ(length, 256);

    // Names written to the device are what it reports afterwards.
    std::vector<char> written(8192, 0);
    std::strcpy(&written[32], "Dock");
    ASSERT_EQ(Sdk().WriteChannelNames(login, written.data(), 4096), 1);
    EXPECT_EQ(recorder->Device().ChannelName(1), "Dock");
}

TEST_F(QvNetSdkTest, ClockReadsAndWritesThroughTheDevice) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    QVNET_TIME before;
    ASSERT_EQ(Sdk().ReadDeviceClock(login, &before, 1000), 1);
    ASSERT_TRUE(qvwire::IsValidTime(before));
    const QVNET_TIME wanted = qvwire::SecondsToTime(qvwire::TimeToSeconds(before) - 3600);
    ASSERT_EQ(Sdk().WriteDeviceClock(login, &wanted), 1);
    QVNET_TIME after;
    ASSERT_EQ(Sdk().ReadDeviceClock(login, &after, 1000), 1);
    const int64_t drift = qvwire::TimeToSeconds(after) - qvwire::TimeToSeconds(wanted);
    EXPECT_GE(drift, 0);
    EXPECT_LE(drift, 5);
    const QVNET_TIME bad = {2026, 2, 30, 0, 0, 0};
    EXPECT_EQ(Sdk().WriteDeviceClock(login, &bad), 0);
}

TEST_F(QvNetSdkTest, RecordQueryPagesOverMoreThanAHundredFiles) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    // Paging as the scheduler does it: 100 a page, next begin = last end + 1 s.
    QVNET_TIME begin = At(0, 0);
    const QVNET_TIME end = At(23, 59);
    std::vector<RECORD_FILE_DESC> all;
    for (int page = 0; page < 10; ++page) {
        std::vector<RECORD_FILE_DESC> files = Find(login, 2, begin, end, 100);
        all.insert(all.end(), files.begin(), files.end());
        if (files.size() < 100) break;
        begin = qvwire::SecondsToTime(qvwire::TimeToSeconds(files.back().end) + 1);
    }
    ASSERT_EQ(all.size(), 288u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].channel, 2u);
        EXPECT_EQ(qvwire::TimeToSeconds(all[i].start), qvwire::TimeToSeconds(At(0, 0)) + 300 * static_cast<int64_t>(i));
        EXPECT_EQ(all[i].recordType, 0);
        EXPECT_GT(all[i].sizeKB, 0u);
    }
    // A buffer larger than one answer is filled by several requests.
    EXPECT_EQ(Find(login, 0, At(0, 0), end, 300).size(), 288u);
    // A window with nothing recorded: success with no files.
    int32_t result = 0;
    EXPECT_TRUE(Find(login, 1, At(0, 0, 0), At(0, 0, 0), 100, &result).empty());
    EXPECT_EQ(result, 1);
    const QVNET_TIME nextDay = {2026, 3, 3, 0, 0, 0}, nextDayEnd = {2026, 3, 3, 23, 0, 0};
    EXPECT_TRUE(Find(login, 1, nextDay, nextDayEnd, 100, &result).empty());
    EXPECT_EQ(result, 1);
}

TEST_F(QvNetSdkTest, DownloadByFileWritesTheExactBytesAndClosesBeforeTheLastReport) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(10, 0), At(10, 10), 100);
    ASSERT_EQ(files.size(), 2u);
    Progress progress;
    const int32_t handle = FetchInto(login, files[0], L"a.duz", progress);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(Completed(progress, files[0]));
    EXPECT_EQ(progress.Last().first, files[0].sizeKB);
    EXPECT_EQ(progress.Last().second, files[0].sizeKB);
    EXPECT_TRUE(progress.fileClosedAtEnd);
    {
        std::lock_guard<std::mutex> lock(progress.mutex);
        for (size_t i = 0; i + 1 < progress.calls.size(); ++i) {
            EXPECT_LT(progress.calls[i].second, progress.calls[i].first) << "done reaches total only at the end";
        }
    }
    EXPECT_EQ(ReadFileBytes(progress.path), Expected(1, At(10, 0), At(10, 5)));
    EXPECT_EQ(Sdk().StopFetch(handle), 1);
    EXPECT_TRUE(WaitFor([&] { return recorder->Device().OpenTransfers() == 0; }));
}

TEST_F(QvNetSdkTest, DownloadByTimeSpansFilesAndEndsWithMinusOne) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    Progress progress;
    progress.path = Narrow(m_temp.File(L"range.duz"));
    const QVNET_TIME start = At(8, 3, 30), end = At(8, 12, 10);
    const int32_t handle = Sdk().FetchTimeRange(login, 3, 0, &start, &end, progress.path.c_str(), OnTimePos,
                                                reinterpret_cast<QVNET_USER>(&progress));
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([&] { return progress.Last().second == 0xFFFFFFFFu; }));
    EXPECT_TRUE(progress.fileClosedAtEnd);
    const std::string expected = Expected(3, start, end);
    EXPECT_EQ(progress.Last().first, (expected.size() + 1023) / 1024);
    EXPECT_EQ(ReadFileBytes(progress.path), expected);
    EXPECT_EQ(Sdk().StopFetch(handle), 1);

    // A range with no recording at all is refused.
    const QVNET_TIME emptyStart = {2026, 3, 5, 1, 0, 0}, emptyEnd = {2026, 3, 5, 2, 0, 0};
    EXPECT_EQ(Sdk().FetchTimeRange(login, 3, 0, &emptyStart, &emptyEnd, progress.path.c_str(), OnTimePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);
}

TEST_F(QvNetSdkTest, BusyAndUnknownFileAreReportedAsTheCallerRetriesThem) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(1, 0), At(1, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    const std::string path = Narrow(m_temp.File(L"busy.duz"));

    recorder->Faults().busy = true;
    EXPECT_EQ(Sdk().FetchRecordFile(login, &files[0], path.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_DEVICE_BUSY);
    int32_t result = 1;
    Find(login, 0, At(1, 0), At(1, 5), 100, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_DEVICE_BUSY);
    recorder->Faults().busy = false;

    recorder->Faults().unknownFiles = true;
    EXPECT_EQ(Sdk().FetchRecordFile(login, &files[0], path.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);
    recorder->Faults().unknownFiles = false;

    RECORD_FILE_DESC invented = files[0];
    invented.start.second = 17;
    EXPECT_EQ(Sdk().FetchRecordFile(login, &invented, path.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);

    const std::string noFolder = Narrow(m_temp.File(L"missing\\x.duz"));
    EXPECT_EQ(Sdk().FetchRecordFile(login, &files[0], noFolder.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_LOCAL_FILE);
    EXPECT_TRUE(WaitFor([&] { return recorder->Device().OpenTransfers() == 0; }));
    EXPECT_TRUE(Disconnects().empty()) << "refused starts keep the session";
}

TEST_F(QvNetSdkTest, DropMidDownloadIsReportedOnceThroughTheDisconnectCallback) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(2, 0), At(2, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    recorder->Faults().dropAfterBytes = 100000;
    Progress progress;
    const int32_t handle = FetchInto(login, files[0], L"drop.duz", progress);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{login});
    EXPECT_LT(progress.Last().second, files[0].sizeKB) << "never reported complete";
    char states[256];
    int32_t length = 0;
    EXPECT_EQ(Sdk().ReadRecordStates(login, states, 256, &length, 1000), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NETWORK);
    EXPECT_EQ(Sdk().StopFetch(handle), 1);
    EXPECT_EQ(Sdk().LogoutDevice(login), 1);
    EXPECT_TRUE(DeleteFileA(progress.path.c_str())) << "the partial file is closed";
    EXPECT_EQ(Disconnects().size(), 1u);
}

// SDK events as (type, handle).
struct Events {
    std::mutex mutex;
    std::vector<std::pair<int32_t, int32_t>> seen;
    bool Has(int32_t type, int32_t handle) {
        std::lock_guard<std::mutex> lock(mutex);
        return std::find(seen.begin(), seen.end(), std::make_pair(type, handle)) != seen.end();
    }
};

void QVNET_CALL OnEvent(int32_t type, int32_t, int32_t handle, int32_t, QVNET_USER user) {
    Events* events = reinterpret_cast<Events*>(user);
    std::lock_guard<std::mutex> lock(events->mutex);
    events->seen.push_back({type, handle});
}

// The file writes of downloads fail past a size (a full disk) while alive.
struct FullDisk {
    explicit FullDisk(int32_t keptKB) { Sdk().TestFailFileWrites(keptKB); }
    ~FullDisk() { Sdk().TestFailFileWrites(-1); }
};

TEST_F(QvNetSdkTest, FailedFileWriteEndsTheDownloadLikeABrokenTransfer) {
    // Writes reach the disk up to a megabyte at a time: the first case fails
    // on the last write, the second after a first one went through.
    struct Case {
        QVNET_TIME end;
        int32_t keptKB;
        bool someStored;
    };
    const Case cases[] = {{At(10, 5), 0, false}, {At(11, 0), 1500, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keptKB);
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_disconnects.clear();
        }
        auto recorder = Recorder();
        const int32_t login = Login(*recorder);
        Events events;
        Sdk().SetEventCallback(OnEvent, reinterpret_cast<QVNET_USER>(&events));
        FullDisk full(c.keptKB);
        Progress progress;
        progress.path = Narrow(m_temp.File(L"full.duz"));
        const QVNET_TIME start = At(10, 0);
        const int32_t handle = Sdk().FetchTimeRange(login, 1, 0, &start, &c.end, progress.path.c_str(), OnTimePos,
                                                    reinterpret_cast<QVNET_USER>(&progress));
        ASSERT_GT(handle, 0);
        ASSERT_TRUE(WaitFor([&] { return events.Has(QVNET_EVENT_FETCH_FAILED, handle); }));
        const std::pair<uint32_t, uint32_t> last = progress.Last();
        const size_t stored = ReadFileBytes(progress.path).size();
        EXPECT_EQ(last.second, stored / 1024) << "the last report is where the file ends";
        EXPECT_LT(last.second, last.first);
        EXPECT_LE(stored, c.keptKB * 1024u);
        EXPECT_EQ(stored > 0, c.someStored);
        ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
        EXPECT_EQ(Disconnects(), std::vector<int32_t>{login}) << "the caller's device-gone path runs";
        EXPECT_EQ(Sdk().StopFetch(handle), 1);
        EXPECT_TRUE(DeleteFileA(progress.path.c_str())) << "the file is closed";
        Sdk().SetEventCallback(nullptr, 0);
    }
}

TEST_F(QvNetSdkTest, RecorderGoingOfflineIsOneDisconnection) {
    auto recorder = Recorder();
    const int32_t first = Login(*recorder);
    const int32_t second = Login(*recorder);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    ASSERT_EQ(Sdk().LogoutDevice(second), 1);
    recorder->GoOffline();
    ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
    ASSERT_TRUE(recorder->GoOnline());
    const int32_t again = Login(*recorder);
    EXPECT_GT(again, first);
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{first});
}

TEST_F(QvNetSdkTest, KeepAliveHoldsQuietSessionsAndAHungDeviceIsDropped) {
    QVNET_NET_PARAMS params = {};
    params.keepAliveMs = 100;
    params.loginWaitMs = 300;
    Sdk().SetNetworkParams(&params);
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    ASSERT_GT(login, 0);
    ASSERT_TRUE(WaitFor([&] { return recorder->Device().KeepAliveCount() >= 5; }));
    EXPECT_TRUE(Disconnects().empty()) << "answered keep-alives keep the session";

    recorder->Faults().mute = true;
    ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{login});
    int32_t error = -1;
    EXPECT_EQ(Login(*recorder, "admin", "admin", &error), 0);
    EXPECT_EQ(error, QVNET_LOGIN_TIMEOUT) << "a login nobody answers";
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_TIMEOUT);
}

TEST_F(QvNetSdkTest, LogoutUnderTheProgramsLockWhileItsDisconnectCallbackWaitsForIt) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    {
        std::lock_guard<std::mutex> hold(g_programLock);
        recorder->GoOffline();
        ASSERT_TRUE(WaitFor([] { return g_inDisconnect > 0; }));
        EXPECT_EQ(Sdk().LogoutDevice(login), 1);
        EXPECT_EQ(Sdk().Cleanup(), 1) << "clean-up does not wait for a thread inside a callback";
    }
    ASSERT_TRUE(WaitFor([] { return Threads() == 0; }));
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{login});
}

TEST_F(QvNetSdkTest, RestartCommandEndsTheSessionWithoutADisconnectReport) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    ASSERT_EQ(Sdk().DeviceControlA(login), 1);
    ASSERT_TRUE(WaitFor([&] {
        char states[256];
        int32_t length = 0;
        return Sdk().ReadRecordStates(login, states, 256, &length, 1000) == 0;
    }));
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NETWORK);
    EXPECT_TRUE(WaitFor([&] { return Login(*recorder) > 0; })) << "back on line after the restart";
    EXPECT_TRUE(Disconnects().empty());
}

TEST_F(QvNetSdkTest, ReplayOffersRefusedBlocksAgain) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 2, At(4, 0), At(4, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    Sink sink;
    Progress progress;
    const int32_t handle = Sdk().ReplayRecordFile(login, &files[0], nullptr, OnFilePos,
                                                  reinterpret_cast<QVNET_USER>(&progress), OnData,
                                                  reinterpret_cast<QVNET_USER>(&sink));
    ASSERT_GT(handle, 0);
    const std::string expected = Expected(2, At(4, 0), At(4, 5));
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(sink.mutex);
        return sink.bytes.size() >= expected.size();
    }));
    ASSERT_TRUE(WaitFor([&] { return progress.Last().second == files[0].sizeKB; }));
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        EXPECT_GT(sink.refused, 0);
        EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), expected);
    }
    // A seek plays again from a frame start.
    ASSERT_EQ(Sdk().SeekReplay(handle, 0xFFFFFFFFu, 10), 1);
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(sink.mutex);
        return sink.bytes.size() > expected.size();
    }));
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        const size_t frame = 24 + 32 * 24;
        const size_t resumed = 32 + (10 * 1024 - 32) / frame * frame;
        EXPECT_EQ(std::memcmp(&sink.bytes[expected.size()], &expected[resumed], 4), 0);
    }
    EXPECT_EQ(Sdk().StopReplay(handle), 1);
    EXPECT_EQ(Sdk().StopReplay(handle), 0);
}

// A caller that holds its own lock across StopFetch while its progress
// callback waits for the same lock.
struct LockingCaller {
    std::mutex lock;
    Progress progress;
    std::atomic<int> inCallback{0};
};

void QVNET_CALL OnLockingPos(int32_t, uint32_t total, uint32_t done, QVNET_USER user) {
    LockingCaller* caller = reinterpret_cast<LockingCaller*>(user);
    ++caller->inCallback;
    std::lock_guard<std::mutex> lock(caller->lock);
    caller->progress.Add(total, done);
    --caller->inCallback;
}

TEST_F(QvNetSdkTest, StopUnderTheCallersLockNeitherDeadlocksNorCallsBackLater) {
    SimRecorderConfig config = Config();
    auto recorder = Recorder(config);
    recorder->Faults().slowMsPerBlock = 20;
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(6, 0), At(6, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    LockingCaller caller;
    const std::string path = Narrow(m_temp.File(L"stop.duz"));
    const int32_t handle = Sdk().FetchRecordFile(login, &files[0], path.c_str(), OnLockingPos,
                                                 reinterpret_cast<QVNET_USER>(&caller));
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([&] { return caller.progress.Count() > 0; }));
    {
        std::lock_guard<std::mutex> hold(caller.lock);
        ASSERT_TRUE(WaitFor([&] { return caller.inCallback > 0; })) << "a callback now waits for our lock";
        EXPECT_EQ(Sdk().StopFetch(handle), 1);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is closed when the stop returns";
        caller.progress.stopped = true;
    }
    // Once the transfer's thread has ended, only the timer and the session's
    // reader remain; the callback that was already under way was the last.
    EXPECT_TRUE(WaitFor([] { return Threads() == 2; }));
    EXPECT_EQ(caller.progress.afterStop, 1) << "only the callback already under way finished";
}

TEST_F(QvNetSdkTest, CleanupWithTransfersRunningEndsEverythingAndLaterCallsFail) {
    auto recorder = Recorder();
    recorder->Faults().slowMsPerBlock = 30;
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(12, 0), At(12, 15), 100);
    ASSERT_EQ(files.size(), 3u);
    Progress progress[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_GT(FetchInto(login, files[i], (L"c" + std::to_wstring(i) + L".duz").c_str(), progress[i]), 0);
    }
    ASSERT_TRUE(WaitFor([&] { return progress[2].Count() > 0; }));
    EXPECT_EQ(Sdk().Cleanup(), 1);
    QVNET_TEST_COUNTERS counters;
    ASSERT_EQ(Sdk().TestGetCounters(&counters), 1);
    EXPECT_EQ(counters.threads, 0);
    EXPECT_EQ(counters.sessions, 0);
    EXPECT_EQ(counters.objects, 0);
    EXPECT_EQ(Sdk().Cleanup(), 1) << "a second clean-up is harmless";
    int32_t error = 0;
    QVNET_DEVICE_INFO info;
    EXPECT_EQ(Sdk().LoginDevice("127.0.0.1", recorder->Port(), "admin", "admin", 0, 0, &info, &error), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NOT_INIT);
    EXPECT_EQ(Find(login, 1, At(12, 0), At(12, 15), 100).size(), 0u);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NOT_INIT);
    EXPECT_EQ(Sdk().StopFetch(1), 0);
    EXPECT_TRUE(Disconnects().empty());
    EXPECT_TRUE(WaitFor([&] { return recorder->ConnectionCount() == 0; }));
}

TEST_F(QvNetSdkTest, DynamicDnsLookupGivesTheAddressToLogInTo) {
    auto recorder = Recorder();
    CSimDdnsResponder ddns;
    ddns.SetEntry("shop-front", "127.0.0.1");
    ASSERT_TRUE(ddns.Start("127.0.0.1", 0));
    std::vector<char> ip(300, 'x');
    ASSERT_EQ(Sdk().ResolveViaDdns("127.0.0.1", ddns.Port(), "shop-front", 10, nullptr, 0, ip.data()), 1);
    EXPECT_STREQ(ip.data(), "127.0.0.1");
    int32_t error = -1;
    QVNET_DEVICE_INFO info;
    const int32_t login = Sdk().LoginDevice(ip.data(), recorder->Port(), "admin", "admin", 0, 0, &info, &error);
    EXPECT_GT(login, 0);
    EXPECT_EQ(Sdk().ResolveViaDdns("127.0.0.1", ddns.Port(), "unknown", 7, nullptr, 0, ip.data()), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);

    // An answer longer than 256 characters is cut to 256 and terminated.
    ddns.SetEntry("long", std::string(400, '7'));
    std::vector<char> out(300, 'x');
    ASSERT_EQ(Sdk().ResolveViaDdns("127.0.0.1", ddns.Port(), "long", 4, nullptr, 0, out.data()), 1);
    EXPECT_EQ(std::strlen(out.data()), 256u);
    EXPECT_EQ(out[257], 'x');
}

std::mutex g_searchMutex;
std::vector<DEVICE_SEARCH_RESULT> g_found;

void QVNET_CALL OnFound(const DEVICE_SEARCH_RESULT* data, QVNET_USER user) {
    std::lock_guard<std::mutex> lock(g_searchMutex);
    if (data && user == 42) g_found.push_back(*data);
}

TEST_F(QvNetSdkTest, SearchReportsEachAnsweringDeviceOnceAndStops) {
    auto recorder = Recorder();
    CSimSearchResponder responder(recorder->Device().SearchResult("127.0.0.1", recorder->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    // Probes go to the loopback responder only, never to a broadcast address.
    ASSERT_EQ(Sdk().TestSetSearchTarget("127.0.0.1", responder.Port()), 1);
    {
        std::lock_guard<std::mutex> lock(g_searchMutex);
        g_found.clear();
    }
    const int32_t handle = Sdk().StartDeviceSearch(OnFound, 42, 0);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([&] { return responder.ProbeCount() >= 2; }));
    EXPECT_EQ(Sdk().StopDeviceSearch(handle), 1);
    EXPECT_TRUE(WaitFor([] { return Threads() == 1; })) << "the search thread ends; only the timer is left";
    std::lock_guard<std::mutex> lock(g_searchMutex);
    ASSERT_EQ(g_found.size(), 1u) << "one report per device and search";
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&g_found[0]);
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 4), "127.0.0.1");
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(raw + 68), recorder->Port());
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 72), "255.255.255.0");
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 136), "127.0.0.1");
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 200), "02:51:56:00:00:01");
    EXPECT_EQ(Sdk().StopDeviceSearch(handle), 0);
}

TEST_F(QvNetSdkTest, SearchTargetComesFromTheEnvironmentAtInit) {
    auto recorder = Recorder();
    CSimSearchResponder responder(recorder->Device().SearchResult("127.0.0.1", recorder->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    char saved[64] = {};
    GetEnvironmentVariableA("QVNET_SEARCH_TARGET", saved, sizeof(saved));
    const std::string target = "127.0.0.1:" + std::to_string(responder.Port());
    SetEnvironmentVariableA("QVNET_SEARCH_TARGET", target.c_str());
    Sdk().Cleanup();
    ASSERT_EQ(Sdk().Init(OnDisconnect, 7), 1);
    SetEnvironmentVariableA("QVNET_SEARCH_TARGET", saved[0] ? saved : nullptr);
    {
        std::lock_guard<std::mutex> lock(g_searchMutex);
        g_found.clear();
    }
    const int32_t handle = Sdk().StartDeviceSearch(OnFound, 42, 0);
    ASSERT_GT(handle, 0);
    EXPECT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(g_searchMutex);
        return !g_found.empty();
    }));
    EXPECT_EQ(Sdk().StopDeviceSearch(handle), 1);
}

struct TalkLog {
    std::atomic<int> local{0};
    std::atomic<int> remote{0};
};

void QVNET_CALL OnTalk(int32_t talk, const char* buffer, int32_t length, uint8_t kind, QVNET_USER user) {
    TalkLog* log = reinterpret_cast<TalkLog*>(user);
    if (kind == 0) {
        ++log->local;
        Sdk().SendTalkAudio(talk, buffer, length);
    } else if (kind == 1) {
        ++log->remote;
        Sdk().PlayDeviceAudio(buffer, length);
    }
}

TEST_F(QvNetSdkTest, TalkSendsLocalAudioAndPassesTheDevicesAnswerBack) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    uint8_t format[76] = {2};
    ASSERT_EQ(Sdk().SetTalkEncoding(login, 2, format), 1);
    TalkLog log;
    const int32_t talk = Sdk().OpenTalk(login, OnTalk, reinterpret_cast<QVNET_USER>(&log));
    ASSERT_GT(talk, 0);
    Sdk().TestUseSyntheticAudio(1);
    ASSERT_EQ(Sdk().StartLocalAudio(), 1);
    EXPECT_TRUE(WaitFor([&] { return log.remote >= 3; }));
    EXPECT_EQ(Sdk().StopLocalAudio(), 1);
    EXPECT_EQ(Sdk().CloseTalk(talk), 1);
    EXPECT_EQ(Sdk().CloseTalk(talk), 0);
    Sdk().TestUseSyntheticAudio(0);
}

TEST_F(QvNetSdkTest, ChannelFileJobRunsUntilStopped) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    const int32_t job = Sdk().StartChannelFileJob(login, 1, "job.qvs", 1, 0);
    ASSERT_GT(job, 0);
    EXPECT_EQ(Sdk().QueryChannelFileJob(job), 1);
    EXPECT_EQ(Sdk().StopChannelFileJob(job), 1);
    EXPECT_EQ(Sdk().QueryChannelFileJob(job), 0);
    EXPECT_EQ(Sdk().StartChannelFileJob(login, 9, "job.qvs", 1, 0), 0) << "no such channel";
}

}  // namespace

namespace {

// Stands where a registration relay stands: logs in to the device once,
// answers SDK logins from that stored reply (channel count rewritten at byte
// 10, the client's id at bytes 16..19), answers keep-alives itself at once,
// and passes everything else through unchanged in both directions.
class LoopbackRelay {
public:
    explicit LoopbackRelay(uint16_t devicePort) : m_devicePort(devicePort) {}
    ~LoopbackRelay() {
        m_stop = true;
        for (auto& t : m_threads) t.join();
        if (m_listener != INVALID_SOCKET) closesocket(m_listener);
        if (m_device != INVALID_SOCKET) closesocket(m_device);
        qvsock::Cleanup();
    }

    bool Start(uint8_t reportedChannels) {
        qvsock::Startup();
        m_device = qvsock::Connect("127.0.0.1", m_devicePort, 2000);
        if (m_device == INVALID_SOCKET || !qvsock::SendAll(m_device, qvwire::BuildLoginRequest("admin", "admin")) ||
            !qvsock::ReceiveCommand(m_device, qvwire::kCmdLoginReply, 2000, m_loginReply)) {
            return false;
        }
        m_loginReply[10] = reportedChannels;
        m_listener = qvsock::Listen("127.0.0.1", 0, m_port);
        if (m_listener == INVALID_SOCKET) return false;
        m_threads.emplace_back([this] { AcceptOne(); });
        return true;
    }
    uint16_t Port() const { return m_port; }
    int KeepAlivesAnswered() const { return m_keepAlives; }

private:
    void AcceptOne() {
        while (!m_stop && !qvsock::WaitReadable(m_listener, 50)) {
        }
        if (m_stop) return;
        SOCKET client = accept(m_listener, nullptr, nullptr);
        m_threads.emplace_back([this, client] { DeviceToClient(client); });
        CPacketFramer framer;
        std::vector<uint8_t> packet;
        while (qvsock::ReceivePacket(client, framer, packet, m_stop)) {
            std::lock_guard<std::mutex> lock(m_sendMutex);
            if (packet[0] == qvwire::kCmdLogin) {
                std::vector<uint8_t> reply = m_loginReply;
                qvwire::WriteLe32(&reply[16], 0x4242);
                qvsock::SendAll(client, reply);
            } else if (packet[0] == qvwire::kCmdKeepAlive) {
                ++m_keepAlives;
                qvsock::SendAll(client, qvwire::BuildKeepAlive(qvwire::kCmdKeepAliveReply));
            } else {
                qvsock::SendAll(m_device, packet);
            }
        }
        shutdown(client, SD_BOTH);
    }
    void DeviceToClient(SOCKET client) {
        CPacketFramer framer;
        std::vector<uint8_t> packet;
        while (qvsock::ReceivePacket(m_device, framer, packet, m_stop)) {
            std::lock_guard<std::mutex> lock(m_sendMutex);
            if (!qvsock::SendAll(client, packet)) break;
        }
        closesocket(client);
    }

    const uint16_t m_devicePort;
    SOCKET m_device = INVALID_SOCKET;
    SOCKET m_listener = INVALID_SOCKET;
    uint16_t m_port = 0;
    std::vector<uint8_t> m_loginReply;
    std::vector<std::thread> m_threads;
    std::mutex m_sendMutex;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_keepAlives{0};
};

}  // namespace

TEST_F(QvNetSdkTest, WorksThroughARelayThatAnswersLoginAndKeepAliveItself) {
    QVNET_NET_PARAMS params = {};
    // Keep-alive answers overtake device replies; a period long enough that a
    // busy machine never leaves the session silent for 4.5 of them.
    params.keepAliveMs = 150;
    Sdk().SetNetworkParams(&params);
    auto recorder = Recorder();
    recorder->Faults().slowMsPerBlock = 60;  // a download long enough for keep-alives
    LoopbackRelay relay(recorder->Port());
    ASSERT_TRUE(relay.Start(6));
    int32_t error = -1;
    QVNET_DEVICE_INFO info;
    const int32_t login = Sdk().LoginDevice("127.0.0.1", relay.Port(), "any", "thing", 2, 0, &info, &error);
    ASSERT_GT(login, 0) << "the relay answers from its stored login";
    EXPECT_EQ(info.channelCount, 6) << "byte 10 as the relay rewrote it";

    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(14, 0), At(14, 30), 100);
    ASSERT_EQ(files.size(), 6u);
    Progress progress;
    const int32_t handle = FetchInto(login, files[2], L"relayed.duz", progress);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(Completed(progress, files[2]));
    EXPECT_EQ(ReadFileBytes(progress.path), Expected(1, At(14, 10), At(14, 15)));
    EXPECT_GT(relay.KeepAlivesAnswered(), 0);
    EXPECT_EQ(Sdk().StopFetch(handle), 1);
    EXPECT_TRUE(Disconnects().empty());
    EXPECT_EQ(Sdk().LogoutDevice(login), 1);
}
