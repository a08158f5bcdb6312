// Device login and device operations against simulated recorders, through
// the real network SDK over sockets on 127.0.0.1.
#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "WaitFor.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CDeviceManager.h"
#include "app/engine/CNetSdk.h"
#include "tools/simrecorder/CSimDdnsResponder.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

FARPROC TestExport(int ordinal) {
    return GetProcAddress(GetModuleHandleW(L"qvnetsdk.dll"), MAKEINTRESOURCEA(ordinal));
}

class SdkEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(0, CNetSdk::Bind());
        ASSERT_EQ(1, NetSdk().Init(nullptr, 0));
        QVNET_NET_PARAMS params = {};
        params.connectWaitMs = 2000;
        params.replyWaitMs = 3000;
        params.loginWaitMs = 3000;
        NetSdk().SetNetworkParams(&params);
        // No sound card under test: the SDK captures a synthetic tone.
        auto useSynthetic = reinterpret_cast<PFN_QVNET_TestUseSyntheticAudio>(
            reinterpret_cast<void*>(TestExport(QVNET_ORD_TestUseSyntheticAudio)));
        ASSERT_NE(nullptr, useSynthetic);
        useSynthetic(1);
    }
    void TearDown() override { NetSdk().Cleanup(); }
};

::testing::Environment* const g_sdk = ::testing::AddGlobalTestEnvironment(new SdkEnvironment);

std::vector<uint8_t> Ints(std::initializer_list<int32_t> values, size_t size) {
    std::vector<uint8_t> block(size, 0);
    size_t at = 0;
    for (int32_t v : values) {
        memcpy(&block[at], &v, 4);
        at += 4;
    }
    return block;
}

// A free port on 127.0.0.1 that nothing listens on.
uint16_t ClosedPort() {
    CSimDdnsResponder probe;
    probe.Start();
    const uint16_t port = probe.Port();
    probe.Stop();
    return port;
}

// Counters and forced failures installed into the SDK table; the original
// table comes back when the test ends.
struct Intercept {
    static QVNET_API original;
    static std::atomic<int> failConfigType;
    static std::atomic<int> namesReported;
    static std::atomic<int> calls;
    static std::atomic<int> v5Calls;

    static int32_t QVNET_CALL ReadDeviceConfig(int32_t h, int32_t type, void* buffer, int32_t size, int32_t* length,
                                               int32_t wait) {
        if (type == failConfigType) return 0;
        return original.ReadDeviceConfig(h, type, buffer, size, length, wait);
    }
    static int32_t QVNET_CALL ReadChannelNames(int32_t h, char* buffer, int32_t size, int32_t* count, int32_t wait) {
        const int32_t result = original.ReadChannelNames(h, buffer, size, count, wait);
        if (namesReported >= 0) *count = namesReported;
        return result;
    }
    static int32_t QVNET_CALL PostLoginSetupV5(int32_t h) {
        ++v5Calls;
        return original.PostLoginSetupV5(h);
    }
    static std::function<void()> duringStatus;
    static int32_t QVNET_CALL ReadDeviceStatus(int32_t h, int32_t type, char* buffer, int32_t size, int32_t* length,
                                               int32_t wait) {
        if (duringStatus) duringStatus();
        return original.ReadDeviceStatus(h, type, buffer, size, length, wait);
    }
    static int32_t QVNET_CALL FindTooMany(int32_t h, int32_t channel, int32_t type, const QVNET_TIME* start,
                                          const QVNET_TIME* end, const char* card, RECORD_FILE_DESC* buffer,
                                          int32_t size, int32_t* count, int32_t wait, int32_t reserved) {
        const int32_t result = original.FindRecordFiles(h, channel, type, start, end, card, buffer, size, count, wait,
                                                        reserved);
        // Only alarm records, and a count far beyond the buffer: every entry
        // the caller trusts is walked.
        for (int32_t i = 0; i < size / static_cast<int32_t>(sizeof(RECORD_FILE_DESC)); ++i) {
            buffer[i].recordType = 1;
        }
        if (*count > 0) *count = 1000000;
        return result;
    }
    static int32_t QVNET_CALL NoLocalAudio() { return 0; }
    static int32_t QVNET_CALL CountedOpenTalk(int32_t h, QVNET_TalkCallback cb, QVNET_USER user) {
        ++calls;
        return original.OpenTalk(h, cb, user);
    }
    static int32_t QVNET_CALL CountedSetTalkEncoding(int32_t h, int32_t kind, const void* format) {
        ++calls;
        return original.SetTalkEncoding(h, kind, format);
    }
    static int32_t QVNET_CALL CountedCloseTalk(int32_t h) {
        ++calls;
        return original.CloseTalk(h);
    }
};
QVNET_API Intercept::original;
std::function<void()> Intercept::duringStatus;
std::atomic<int> Intercept::failConfigType{-100};
std::atomic<int> Intercept::namesReported{-1};
std::atomic<int> Intercept::calls{0};
std::atomic<int> Intercept::v5Calls{0};

class DeviceLogin : public ::testing::Test {
protected:
    void SetUp() override {
        Intercept::original = NetSdk();
        Intercept::failConfigType = -100;
        Intercept::namesReported = -1;
        Intercept::calls = 0;
        Intercept::v5Calls = 0;
        Intercept::duringStatus = nullptr;
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetMainWindow(m_window, nullptr);
        config.channelNames = {"Front", "Back"};
    }
    void TearDown() override {
        CNetSdk::Replace(Intercept::original);
        std::vector<DEVICE_RECORD> devices;
        manager.GetAllDevices(devices);
        for (const DEVICE_RECORD& device : devices) manager.LogoutDevice(device.id);
        SetMainWindow(nullptr, nullptr);
        DestroyWindow(m_window);
    }

    CSimRecorder& StartRecorder(const SimRecorderConfig& settings) {
        m_recorders.emplace_back(new CSimRecorder(settings));
        EXPECT_TRUE(m_recorders.back()->Start());
        return *m_recorders.back();
    }
    DEVICE_RECORD AddDevice(int id, uint16_t port, const char* user = "admin", const char* password = "admin") {
        DEVICE_RECORD record;
        record.id = id;
        CopyFixedText(record.title, "sim");
        CopyFixedText(record.ip, "127.0.0.1");
        record.port = port;
        CopyFixedText(record.user, user);
        CopyFixedText(record.password, password);
        EXPECT_EQ(0, manager.AddDeviceRecord(record));
        return record;
    }
    // Messages posted to the main window so far, as (message, wParam, lParam).
    std::vector<std::vector<int>> TakePosted() {
        std::vector<std::vector<int>> posted;
        MSG msg;
        while (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE)) {
            if (msg.message >= WM_USER) {
                posted.push_back({static_cast<int>(msg.message), static_cast<int>(msg.wParam),
                                  static_cast<int>(msg.lParam)});
            }
        }
        return posted;
    }

    SimRecorderConfig config;
    CDeviceManager manager;
    HWND m_window = nullptr;
    std::vector<std::unique_ptr<CSimRecorder>> m_recorders;
};

TEST_F(DeviceLogin, DirectLoginFillsTheRecordOnce) {
    config.deviceType = 20;
    config.alarmInCount = 70;
    config.alarmOutCount = 2;
    config.diskCount = 2;
    config.status = Ints({7, 8, 9}, 12);
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());

    ASSERT_EQ(0, manager.LoginDevice(1001));
    const DEVICE_RECORD r = manager.GetDevice(1001);
    EXPECT_EQ(1, r.loggedIn);
    EXPECT_GT(r.loginHandle, 0);
    EXPECT_GT(r.loginTime, 0);
    EXPECT_STREQ("IPC", r.type);
    EXPECT_STREQ("127.0.0.1", r.ip);
    ASSERT_EQ(4, r.channelCount);
    EXPECT_STREQ("Front", r.channels[0].name);
    EXPECT_STREQ("Back", r.channels[1].name);
    EXPECT_STREQ("CAM 4", r.channels[3].name);
    EXPECT_EQ(1001 * 10000 + 3, r.channels[3].channelId);
    EXPECT_EQ(64, r.alarmInCount);
    EXPECT_EQ(1001 * 10000 + 1000 + 63, r.alarmIn[63].alarmId);
    EXPECT_STREQ("AlarmChannel1", r.alarmIn[0].name);
    EXPECT_EQ(2, r.alarmOutCount);
    EXPECT_EQ(1001 * 10000 + 4001, r.alarmOut[1].alarmId);
    EXPECT_STREQ("AlarmOutputChannel2", r.alarmOut[1].name);
    EXPECT_EQ(7, r.multiplay);
    EXPECT_EQ(8, r.deviceStatus2);
    EXPECT_EQ(9, r.deviceStatus3);
    EXPECT_EQ(1, r.channelFlagsLoaded);
    EXPECT_EQ(1, r.channels[0].flagA);
    EXPECT_EQ(2, r.talkFormats[0]);
    EXPECT_EQ(2, r.diskCount);
    EXPECT_EQ(1000000, r.diskSumA);
    EXPECT_EQ(500000, r.diskSumB);
    EXPECT_EQ(0, r.lastLoginError);

    const std::vector<std::vector<int>> posted = TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ((std::vector<int>{static_cast<int>(WM_TW_DEVICE_LOGIN_STATE), 1001, 1}), posted[0]);

    const int logins = recorder.Device().LoginCount();
    EXPECT_EQ(0, manager.LoginDevice(1001));
    EXPECT_EQ(logins, recorder.Device().LoginCount());
    EXPECT_EQ(-1, manager.LoginDevice(4242));
}

TEST_F(DeviceLogin, WithoutTheLibraryEveryCallFailsQuietly) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    CNetSdk::Replace(CNetSdk::FailingTable());
    EXPECT_EQ(-1, manager.LoginDevice(1001));
    EXPECT_EQ(0, manager.GetDevice(1001).loggedIn);
    EXPECT_EQ(0u, NetSdk().LastErrorCode());
    EXPECT_EQ(0, recorder.Device().LoginCount());
}

TEST_F(DeviceLogin, FailuresLeaveAReasonAndStayLoggedOut) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port(), "admin", "wrong");
    AddDevice(1002, recorder.Port(), "nobody", "admin");
    AddDevice(1003, ClosedPort());
    AddDevice(1004, recorder.Port());
    recorder.Device();
    const struct {
        int id;
        int result;
        int code;
        const wchar_t* text;
    } cases[] = {
        {1001, -1, 1, L"Password is wrong!"},
        {1002, -1, 2, L"UserID is wrong!"},
        {1003, -2, 9, L"Host is not find!"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, manager.LoginDevice(c.id)) << c.id;
        const DEVICE_RECORD r = manager.GetDevice(c.id);
        EXPECT_EQ(0, r.loggedIn);
        EXPECT_EQ(0, r.loginHandle);
        EXPECT_EQ(c.code, r.lastLoginError) << c.id;
        EXPECT_EQ(CString(c.text), manager.GetLoginErrorText(c.id)) << c.id;
    }
    recorder.Faults().loginRefusal = 5;
    EXPECT_EQ(-1, manager.LoginDevice(1004));
    EXPECT_EQ(CString(L"UserID has been locked!"), manager.GetLoginErrorText(1004));
    EXPECT_EQ(CString(), manager.GetLoginErrorText(-1));
    EXPECT_EQ(CString(), manager.GetLoginErrorText(4242));
    EXPECT_TRUE(TakePosted().empty());

    // The login/retry pass reports each failure as it was before the attempt.
    recorder.Faults().loginRefusal = 0;
    std::vector<DEVICE_RECORD> failed;
    EXPECT_EQ(0, manager.LoginAllDevices(m_window, &failed));
    ASSERT_EQ(3u, failed.size());
    EXPECT_EQ(1001, failed[0].id);
    EXPECT_EQ(1003, failed[2].id);
    EXPECT_EQ(1, manager.GetDevice(1004).loggedIn);
    // The login's own post and the pass's post for the window.
    EXPECT_EQ(2u, TakePosted().size());
}

TEST_F(DeviceLogin, DynamicDnsLookupGivesTheAddress) {
    CSimRecorder& recorder = StartRecorder(config);
    CSimDdnsResponder ddns;
    ASSERT_TRUE(ddns.Start());
    ddns.SetEntry("frontdoor", "127.0.0.1");
    const uint16_t closed = ClosedPort();
    const struct {
        const char* name;
        uint16_t serverPort;
        int result;
        int code;
    } cases[] = {
        {"frontdoor", ddns.Port(), 0, 0},
        {"unknown", ddns.Port(), -2, 16},
        {"frontdoor", closed, -2, 0},
    };
    int id = 1001;
    for (const auto& c : cases) {
        DEVICE_RECORD record;
        record.id = id;
        record.UseDDNS = 1;
        CopyFixedText(record.DDNSIP, "127.0.0.1");
        record.DDNSPort = c.serverPort;
        CopyFixedText(record.DDNSDevName, c.name);
        record.port = recorder.Port();
        CopyFixedText(record.user, "admin");
        CopyFixedText(record.password, "admin");
        record.lastLoginError = 77;
        ASSERT_EQ(0, manager.AddDeviceRecord(record));
        EXPECT_EQ(c.result, manager.LoginDevice(id)) << c.name << " " << c.serverPort;
        const DEVICE_RECORD r = manager.GetDevice(id);
        if (c.result != 0) {
            EXPECT_EQ(c.code, r.lastLoginError) << c.name;
        }
        EXPECT_EQ(c.result == 0 ? 1 : 0, r.loggedIn);
        if (c.result == 0) {
            EXPECT_STREQ("127.0.0.1", r.ip);
        }
        ++id;
    }
    EXPECT_EQ(CString(L"Query DDNS faild!"), manager.GetLoginErrorText(1002));
    EXPECT_EQ(CString(L"Other network error!"), manager.GetLoginErrorText(1003));
}

TEST_F(DeviceLogin, ShiftedUserNamesReachTheRecorder) {
    const struct {
        const char* typed;
        const char* seen;
    } cases[] = {{"admin", "dgplq\x03\x03\x03"}, {"abcdefgh", "dbcdefgh"}};
    int id = 1001;
    for (const auto& c : cases) {
        SimRecorderConfig shifted = config;
        shifted.user = c.seen;
        CSimRecorder& recorder = StartRecorder(shifted);
        AddDevice(id, recorder.Port(), c.typed);
        manager.SetProxyLoginFlag(0);
        EXPECT_EQ(-1, manager.LoginDevice(id)) << c.typed;
        manager.SetProxyLoginFlag(1);
        EXPECT_EQ(0, manager.LoginDevice(id)) << c.typed;
        ++id;
    }
}

TEST_F(DeviceLogin, ProxyLoginGoesToTheLocalPortWithoutProbingTheAddress) {
    CSimRecorder& recorder = StartRecorder(config);
    DEVICE_RECORD record = AddDevice(1001, recorder.Port());
    // Nothing listens at this loopback address: a probe of it would fail.
    CopyFixedText(record.ip, "127.0.0.2");
    record.logintype = 2;
    ASSERT_EQ(0, manager.ReplaceDevice(1001, record));
    EXPECT_EQ(0, manager.LoginDevice(1001));
    EXPECT_STREQ("127.0.0.2", manager.GetDevice(1001).ip);
}

TEST_F(DeviceLogin, OptionalQueriesMayFailWithoutFailingTheLogin) {
    config.protocolVersion = 3;
    CSimRecorder& recorder = StartRecorder(config);
    DEVICE_RECORD record = AddDevice(1001, recorder.Port());
    record.channelCount = 4;
    CopyFixedText(record.channels[2].name, "Old3");
    record.channels[2].channelId = 777;
    ASSERT_EQ(0, manager.ReplaceDevice(1001, record));

    NetSdk().ReadDeviceConfig = &Intercept::ReadDeviceConfig;
    NetSdk().ReadChannelNames = &Intercept::ReadChannelNames;
    NetSdk().PostLoginSetupV5 = &Intercept::PostLoginSetupV5;
    Intercept::failConfigType = 9;  // talk formats
    Intercept::namesReported = 2;
    ASSERT_EQ(0, manager.LoginDevice(1001));
    DEVICE_RECORD r = manager.GetDevice(1001);
    EXPECT_EQ(1, r.loggedIn);
    EXPECT_EQ(0, r.talkFormats[0]);
    EXPECT_STREQ("Front", r.channels[0].name);
    EXPECT_STREQ("Old3", r.channels[2].name);  // the device named two channels only
    EXPECT_EQ(777, r.channels[2].channelId);
    EXPECT_EQ(1, r.diskCount);
    EXPECT_EQ(0, Intercept::v5Calls);  // protocol 3 takes the older set-up

    ASSERT_EQ(0, manager.LogoutDevice(1001));
    Intercept::failConfigType = 8;  // protocol query
    ASSERT_EQ(0, manager.LoginDevice(1001));
    EXPECT_EQ(1, Intercept::v5Calls);
    EXPECT_EQ(2, manager.GetDevice(1001).talkFormats[0]);
}

TEST_F(DeviceLogin, ALogoutOrRemovalDuringTheQueriesIsNotUndone) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    NetSdk().ReadDeviceStatus = &Intercept::ReadDeviceStatus;
    Intercept::duringStatus = [&] { manager.LogoutDevice(1001); };
    EXPECT_EQ(-3, manager.LoginDevice(1001));
    EXPECT_EQ(0, manager.GetDevice(1001).loggedIn);
    EXPECT_TRUE(WaitFor([&] { return recorder.ConnectionCount() == 0; }));

    // A device deleted meanwhile: its new session is ended, never leaked.
    Intercept::duringStatus = [&] { manager.DeleteDevice(1001); };
    EXPECT_EQ(-1, manager.LoginDevice(1001));
    EXPECT_EQ(0, manager.GetDevice(1001).id);
    EXPECT_TRUE(WaitFor([&] { return recorder.ConnectionCount() == 0; }));

    // The dialog's login registers the device again instead.
    AddDevice(1001, recorder.Port());
    EXPECT_EQ(0, manager.LoginAndQueryDevice(1001));
    EXPECT_EQ(1, manager.GetDevice(1001).loggedIn);
    EXPECT_EQ(1, manager.GetDeviceCount());
}

TEST_F(DeviceLogin, DialogLoginPostsNothing) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    ASSERT_EQ(0, manager.LoginAndQueryDevice(1001));
    const DEVICE_RECORD r = manager.GetDevice(1001);
    EXPECT_EQ(1, r.loggedIn);
    EXPECT_STREQ("Back", r.channels[1].name);
    EXPECT_EQ(1001 * 10000 + 1, r.channels[1].channelId);
    EXPECT_TRUE(TakePosted().empty());
}

TEST_F(DeviceLogin, LogoutEndsTheSessionOnce) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    ASSERT_EQ(0, manager.LoginDevice(1001));
    ASSERT_TRUE(WaitFor([&] { return recorder.ConnectionCount() == 1; }));
    TakePosted();

    EXPECT_EQ(0, manager.LogoutDeviceNotify(1001));
    const DEVICE_RECORD r = manager.GetDevice(1001);
    EXPECT_EQ(0, r.loggedIn);
    EXPECT_EQ(0, r.loginHandle);
    EXPECT_EQ(0, r.channelFlagsLoaded);
    EXPECT_GT(r.logoutTime, 0);
    EXPECT_EQ(4, r.channelCount);
    const std::vector<std::vector<int>> posted = TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ((std::vector<int>{static_cast<int>(WM_TW_DEVICE_LOGIN_STATE), 1001, 0}), posted[0]);
    EXPECT_TRUE(WaitFor([&] { return recorder.ConnectionCount() == 0; }));
    EXPECT_EQ(-1, manager.LogoutDevice(1001));
    EXPECT_EQ(-1, manager.LogoutDeviceNotify(1001));
    EXPECT_TRUE(TakePosted().empty());

    // A caller's own copy.
    ASSERT_EQ(0, manager.LoginDevice(1001));
    DEVICE_RECORD copy = manager.GetDevice(1001);
    EXPECT_EQ(0, CDeviceManager::LogoutRecord(copy));
    EXPECT_EQ(0, copy.loggedIn);
    EXPECT_EQ(-1, CDeviceManager::LogoutRecord(copy));
    EXPECT_TRUE(WaitFor([&] { return recorder.ConnectionCount() == 0; }));
}

TEST_F(DeviceLogin, TimeSyncSetsOnlyAClockThatIsBehind) {
    SimRecorderConfig behind = config;
    behind.clockOffsetSeconds = -120;
    SimRecorderConfig ahead = config;
    ahead.clockOffsetSeconds = 120;
    CSimRecorder& slow = StartRecorder(behind);
    CSimRecorder& fast = StartRecorder(ahead);
    AddDevice(1001, slow.Port());
    AddDevice(1002, fast.Port());
    EXPECT_EQ(-1, manager.SyncDeviceTime(1001, _time64(nullptr), 0));  // not logged in
    ASSERT_EQ(0, manager.LoginDevice(1001));
    ASSERT_EQ(0, manager.LoginDevice(1002));
    TakePosted();

    EXPECT_EQ(0, manager.SyncDeviceTime(1001, _time64(nullptr), 0));
    EXPECT_LE(std::abs(slow.Device().ClockOffset()), 5);
    EXPECT_EQ(-1, manager.SyncDeviceTime(1002, _time64(nullptr), 0));
    EXPECT_EQ(120, fast.Device().ClockOffset());

    // Forced: written whatever the device says, then the restart command.
    EXPECT_EQ(0, manager.SyncDeviceTime(1002, _time64(nullptr), 1));
    EXPECT_LE(std::abs(fast.Device().ClockOffset()), 5);
    const std::vector<std::vector<int>> posted = TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ((std::vector<int>{static_cast<int>(WM_TW_DEVICE_OFFLINE), 1002, 0}), posted[0]);
}

std::vector<uint8_t> PlanFor(const std::vector<bool>& allDay) {
    std::vector<uint8_t> plan(allDay.size() * 1184, 0);
    for (size_t c = 0; c < allDay.size(); ++c) {
        if (!allDay[c]) continue;
        for (int day = 0; day < 7; ++day) {
            const int32_t values[7] = {4, 0, 0, 0, 23, 59, 59};
            memcpy(&plan[c * 1184 + 4 * (1 + day * 42)], values, sizeof(values));
        }
    }
    return plan;
}

TEST_F(DeviceLogin, RecordStateComparesThePlanWithTheFilesFound) {
    config.recordPlan = PlanFor({true, true, false, false});
    SimCatalogueRule rule;
    rule.channelMask = 1u | 4u;  // channels 0 and 2 record
    const __time64_t yesterday = _time64(nullptr) - 86400;
    struct tm local = {};
    _localtime64_s(&local, &yesterday);
    rule.firstDay = {static_cast<uint32_t>(local.tm_year + 1900), static_cast<uint32_t>(local.tm_mon + 1),
                     static_cast<uint32_t>(local.tm_mday), 0, 0, 0};
    rule.days = 3;
    rule.fileMinutes = 30;
    config.rules.push_back(rule);
    std::vector<uint8_t> disks = Ints({3, 10, 1, 0, 20, 2, 0, 30, 3, 0}, 3076);  // entries of 12 bytes
    config.deviceConfigs[10] = disks;
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    EXPECT_EQ(-4, manager.CheckRecordState(-1));  // nobody logged in
    EXPECT_EQ(-1, manager.CheckRecordState(1001));
    ASSERT_EQ(0, manager.LoginDevice(1001));

    EXPECT_EQ(0, manager.CheckRecordState(1001));
    const DEVICE_RECORD r = manager.GetDevice(1001);
    EXPECT_EQ(2, r.recordState[0]);  // planned, recording
    EXPECT_EQ(3, r.recordState[1]);  // planned, nothing recorded
    EXPECT_EQ(1, r.recordState[2]);  // recording without a plan
    EXPECT_EQ(0, r.recordState[3]);
    EXPECT_EQ(1, r.diskCount);
    EXPECT_EQ(0, manager.CheckRecordState(-1));

    NetSdk().ReadDeviceConfig = &Intercept::ReadDeviceConfig;
    Intercept::failConfigType = 4;  // type 10 stands in for the disks
    EXPECT_EQ(0, manager.CheckRecordState(1001));
    EXPECT_EQ(3, manager.GetDevice(1001).diskCount);
    EXPECT_EQ(60, manager.GetDevice(1001).diskSumA);
    EXPECT_EQ(6, manager.GetDevice(1001).diskSumB);
    Intercept::failConfigType = 17;  // channel flags stay as they were
    NetSdk().ReadRecordStates = [](int32_t, char*, int32_t, int32_t*, int32_t) QVNET_CALL -> int32_t { return 0; };
    EXPECT_EQ(-3, manager.CheckRecordState(1001));
    EXPECT_EQ(3, manager.GetDevice(1001).recordState[1]);  // the search still decides

    NetSdk().FindRecordFiles = &Intercept::FindTooMany;
    EXPECT_EQ(-3, manager.CheckRecordState(1001));
    EXPECT_EQ(0, manager.GetDevice(1001).recordState[0]);  // no normal record: the device's own state
}

TEST_F(DeviceLogin, ChannelAndAlarmNamesReachDeviceRegistryAndFile) {
    TempDir dir;
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    const CString file(dir.File(L"device.xml").c_str());
    ASSERT_EQ(0, manager.WriteDeviceXml(file));
    ASSERT_EQ(0, manager.OpenDeviceFile(file));
    EXPECT_EQ(-1, manager.SetChannelNameOnDevice(1001, 1, L"Gate"));
    ASSERT_EQ(0, manager.LoginDevice(1001));

    EXPECT_EQ(0, manager.SetChannelNameOnDevice(1001, 1, L"Gate"));
    EXPECT_EQ("Gate", recorder.Device().ChannelName(1));
    EXPECT_EQ("Front", recorder.Device().ChannelName(0));
    EXPECT_EQ("CAM 4", recorder.Device().ChannelName(3));
    EXPECT_STREQ("Gate", manager.GetDevice(1001).channels[1].name);
    EXPECT_NE(std::string::npos, ReadWholeFile(dir.File(L"device.xml")).find("title=\"Gate\""));

    const CString longName(L"abcdefghijklmnopqrstuvwxyz0123456");  // 33
    EXPECT_EQ(-3, manager.SetChannelNameOnDevice(1001, 0, longName));
    EXPECT_EQ(-2, manager.SetChannelNameOnDevice(1001, 4, L"x"));
    EXPECT_EQ(-2, manager.SetChannelNameOnDevice(1001, -1, L"x"));
    EXPECT_EQ(-4, manager.SetChannelNameOnDevice(1001, 0, L""));
    EXPECT_EQ("Front", recorder.Device().ChannelName(0));
    EXPECT_EQ(0, manager.SetChannelNameOnDevice(1001, 0, longName.Left(32)));
    EXPECT_EQ(32u, strlen(manager.GetDevice(1001).channels[0].name));

    EXPECT_EQ(0, manager.SetAlarmName(1001, 3, L"Window"));
    EXPECT_STREQ("Window", manager.GetDevice(1001).alarmIn[3].name);
    EXPECT_NE(std::string::npos, ReadWholeFile(dir.File(L"device.xml")).find("title=\"Window\""));
    EXPECT_EQ(-2, manager.SetAlarmName(1001, 4, L"x"));
    EXPECT_EQ(-3, manager.SetAlarmName(1001, 0, longName));
    EXPECT_EQ(-4, manager.SetAlarmName(1001, 0, L""));
    EXPECT_EQ(-1, manager.SetAlarmName(4242, 0, L"x"));
}

TEST_F(DeviceLogin, OnlyOneDeviceTalksAtATime) {
    CSimRecorder& first = StartRecorder(config);
    CSimRecorder& second = StartRecorder(config);
    AddDevice(1001, first.Port());
    AddDevice(1002, second.Port());
    NetSdk().OpenTalk = &Intercept::CountedOpenTalk;
    NetSdk().SetTalkEncoding = &Intercept::CountedSetTalkEncoding;
    EXPECT_EQ(-1, manager.DeviceCommand(1001, 2, 0));  // not logged in: no SDK call
    EXPECT_EQ(0, Intercept::calls);
    ASSERT_EQ(0, manager.LoginDevice(1001));
    ASSERT_EQ(0, manager.LoginDevice(1002));
    EXPECT_EQ(-1, manager.DeviceCommand(1001, 2, 2));  // the device offers two formats

    ASSERT_EQ(0, manager.DeviceCommand(1001, 2, 1));
    DEVICE_RECORD a = manager.GetDevice(1001);
    EXPECT_EQ(1, a.talkOpen);
    EXPECT_GT(a.talkHandle, 0);
    EXPECT_EQ(1, a.talkFormatInUse[1]);
    EXPECT_EQ(1001, manager.GetTalkDeviceId());

    ASSERT_EQ(0, manager.DeviceCommand(1002, 2, 0));
    a = manager.GetDevice(1001);
    EXPECT_EQ(0, a.talkOpen);
    EXPECT_EQ(0, a.talkHandle);
    EXPECT_EQ(0, a.talkFormatInUse[1]);
    EXPECT_EQ(1, manager.GetDevice(1002).talkOpen);
    EXPECT_EQ(1002, manager.GetTalkDeviceId());

    EXPECT_EQ(-1, manager.DeviceCommand(1001, 3, 0));  // idle: the talking device stays known
    EXPECT_EQ(1002, manager.GetTalkDeviceId());
    EXPECT_EQ(0, manager.DeviceCommand(1002, 3, 0));
    EXPECT_EQ(0, manager.GetDevice(1002).talkOpen);
    EXPECT_EQ(0, manager.GetTalkDeviceId());

    // Logging out a talking device closes the talk first.
    NetSdk().CloseTalk = &Intercept::CountedCloseTalk;
    ASSERT_EQ(0, manager.DeviceCommand(1002, 2, 0));
    const int before = Intercept::calls;
    EXPECT_EQ(0, manager.LogoutDevice(1002));
    EXPECT_EQ(before + 1, Intercept::calls);
    EXPECT_EQ(0, manager.GetDevice(1002).talkOpen);

    // No local audio: the talk is closed again and the start reports failure.
    NetSdk().StartLocalAudio = &Intercept::NoLocalAudio;
    EXPECT_EQ(-1, manager.DeviceCommand(1001, 2, 0));
    EXPECT_EQ(0, manager.GetDevice(1001).talkOpen);
    EXPECT_EQ(CString(L"G711a"), CDeviceManager::GetTalkFormatName(2));
    EXPECT_EQ(CString(), CDeviceManager::GetTalkFormatName(6));
}

TEST_F(DeviceLogin, ControlCommandsAndTheDeviceGoneHook) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    EXPECT_EQ(-1, manager.DeviceCommand(1001, 0, 0));
    ASSERT_EQ(0, manager.LoginDevice(1001));
    TakePosted();
    EXPECT_EQ(-1, manager.DeviceCommand(1001, 9, 0));

    EXPECT_EQ(0, manager.DeviceCommand(1001, 0, 0));
    std::vector<std::vector<int>> posted = TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ((std::vector<int>{static_cast<int>(WM_TW_DEVICE_OFFLINE), 1001, 0}), posted[0]);

    // The restarted recorder is done with; the hook is seen on another one.
    CSimRecorder& other = StartRecorder(config);
    AddDevice(1002, other.Port());
    ASSERT_EQ(0, manager.LoginDevice(1002));
    std::vector<std::pair<int, int>> gone;
    manager.SetDeviceGoneHandler([&](int id, int flag) {
        gone.push_back({id, flag});
        manager.LogoutDevice(id);
        return 5;
    });
    EXPECT_EQ(5, manager.DeviceCommand(1002, 1, 0));
    ASSERT_EQ(1u, gone.size());
    EXPECT_EQ(std::make_pair(1002, 1), gone[0]);
    EXPECT_EQ(0, manager.GetDevice(1002).loggedIn);

    // Without an engine hook the device is only logged out.
    CSimRecorder& third = StartRecorder(config);
    AddDevice(1003, third.Port());
    ASSERT_EQ(0, manager.LoginDevice(1003));
    manager.SetDeviceGoneHandler(nullptr);
    EXPECT_EQ(0, manager.DeviceCommand(1003, 1, 0));
    EXPECT_EQ(0, manager.GetDevice(1003).loggedIn);
    EXPECT_EQ(1, gone.size());
}

TEST_F(DeviceLogin, ChannelFileJobRunsUntilStopped) {
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder.Port());
    EXPECT_EQ(-1, manager.StartChannelFileJob(1001, 0, L"clip.bin", 1, 2));
    ASSERT_EQ(0, manager.LoginDevice(1001));
    EXPECT_EQ(-1, manager.StopChannelFileJob(1001));
    EXPECT_EQ(-1, manager.StartChannelFileJob(1001, 9, L"clip.bin", 1, 2));  // no such channel
    ASSERT_EQ(0, manager.StartChannelFileJob(1001, 1, L"clip.bin", 1, 2));
    EXPECT_EQ(1, manager.GetDevice(1001).fileJobActive);
    EXPECT_EQ(0, manager.QueryChannelFileJob(1001));
    EXPECT_EQ(0, manager.StopChannelFileJob(1001));
    EXPECT_EQ(0, manager.GetDevice(1001).fileJobActive);
    EXPECT_EQ(-1, manager.StopChannelFileJob(1001));
    EXPECT_EQ(-1, manager.QueryChannelFileJob(1001));
}

}  // namespace
