// Device login and logout against simulated recorders, through the real
// network SDK over sockets on 127.0.0.1.
#include "DeviceLoginFixture.h"

namespace {

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

}  // namespace
