// What a logged-in device is asked for: its clock, its recording state, its
// names, talk, control commands and channel file jobs.
#include "DeviceLoginFixture.h"

namespace {

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
    rule.firstDay = {static_cast<uint32_t>(local.tm_year + 1900),
                     static_cast<uint32_t>(local.tm_mon + 1),
                     static_cast<uint32_t>(local.tm_mday),
                     0,
                     0,
                     0};
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
