// The backup engine and its devices: schedules of devices, sessions, SDK
// callbacks, search results, the proxy registration, playback slots and
// the hidden worker window.
#include "BackupEnginePartsFixture.h"

TEST_F(BackupEngineParts, APurgeWithoutAFileKeepsTheRegisteredDevicesSchedules) {
    DEVICE_RECORD kept;
    kept.id = 1001;
    ASSERT_EQ(0, engine->Devices().AddDeviceRecord(kept));
    const CString file(temp.File(L"purged.xml").c_str());
    {
        CBackupScheduleStore writer;
        for (int devId : {1001, 1002, 1001}) writer.AddAuto(DaySchedule(devId, 0));
        ASSERT_EQ(0, writer.Save(file));
    }
    CBackupScheduleStore store(&engine->Devices());
    ASSERT_EQ(0, store.Load(file));
    EXPECT_EQ(0, store.PurgeDeletedDevices(CString()));
    CBackupScheduleStore reloaded;
    ASSERT_EQ(0, reloaded.Load(file));
    for (CBackupScheduleStore* schedules : {&store, &reloaded}) {
        std::vector<BACKUP_SCHEDULE> left;
        schedules->ListAll(left, FALSE);
        ASSERT_EQ(2u, left.size());
        for (const BACKUP_SCHEDULE& schedule : left) EXPECT_EQ(1001, schedule.DevID);
    }
}

// A login stores what the device reports in the user's device list; a login
// that finds nothing new leaves the file alone: a list of thousands of
// devices is not rewritten for each of them.
TEST_F(BackupEngineParts, ALoginRewritesTheDeviceListOnlyWhenTheDeviceChanged) {
    SimRecorderConfig settings;
    settings.channelCount = 2;
    settings.channelNames = {"Front", "Back"};
    CSimRecorder& recorder = StartRecorder(settings);
    AddDevice(1001, recorder);
    AddDevice(1002, recorder);
    const std::wstring path(GetAppConfig()->m_strDeviceFile);
    ASSERT_EQ(0, engine->Devices().WriteDeviceXml(CString(path.c_str())));
    ASSERT_EQ(0, engine->Devices().OpenDeviceFile(CString(path.c_str())));

    ASSERT_GE(Login(1001), 0);
    const std::string afterFirst = ReadWholeFile(path);
    EXPECT_NE(std::string::npos, afterFirst.find("title=\"Front\"")) << afterFirst;
    EXPECT_EQ(std::string::npos, afterFirst.find("title=\"Back\"", afterFirst.find("id=\"1002\"")))
        << "only the device logged in changes";

    ASSERT_EQ(0, engine->Devices().LogoutDevice(1001));
    const unsigned long long identity = FileIdentity(path);
    ASSERT_NE(0u, identity);
    ASSERT_GE(Login(1001), 0);
    EXPECT_EQ(identity, FileIdentity(path)) << "the file was replaced though nothing changed";
    EXPECT_EQ(afterFirst, ReadWholeFile(path));

    ASSERT_GE(Login(1002), 0);
    const std::string afterSecond = ReadWholeFile(path);
    EXPECT_NE(std::string::npos, afterSecond.find("title=\"Back\"", afterSecond.find("id=\"1002\""))) << afterSecond;
}

TEST_F(BackupEngineParts, ModifyingADeviceKeepsItsSession) {
    ASSERT_EQ(0, engine->AddDevice(7, "cam", "hall", "192.0.2.1", 37777, "DVR", "maker", "m1", "admin", "pw", 0, "",
                                   7070, "", 0, ""));
    DEVICE_RECORD live = engine->GetDevice(1007);
    ASSERT_EQ(1007, live.id);
    live.loggedIn = 1;
    live.loginHandle = 77;
    live.channelCount = 4;
    CopyFixedText(live.channels[2].name, "Gate");
    ASSERT_EQ(0, engine->Devices().ReplaceDevice(1007, live));

    // The dialog's copy was taken before the login.
    DEVICE_RECORD edited;
    edited.id = 1007;
    CopyFixedText(edited.title, "renamed");
    CopyFixedText(edited.ip, "192.0.2.2");
    edited.port = 4000;
    CopyFixedText(edited.user, "op");
    ASSERT_EQ(0, engine->ModifyDevice(1007, edited));
    const DEVICE_RECORD stored = engine->GetDevice(1007);
    EXPECT_STREQ("renamed", stored.title);
    EXPECT_STREQ("192.0.2.2", stored.ip);
    EXPECT_EQ(4000, stored.port);
    EXPECT_STREQ("op", stored.user);
    EXPECT_STREQ("", stored.desc);
    EXPECT_EQ(1, stored.loggedIn);
    EXPECT_EQ(77, stored.loginHandle);
    EXPECT_EQ(4, stored.channelCount);
    EXPECT_STREQ("Gate", stored.channels[2].name);
    EXPECT_EQ(-1, engine->ModifyDevice(4242, edited));
}

TEST_F(BackupEngineParts, CallbacksPostOnlyForKnownHandlesAndSearchResultsQueue) {
    engine->OnDeviceDisconnect(0);
    engine->OnDeviceDisconnect(-3);
    engine->OnDeviceDisconnect(777);
    engine->OnSdkEvent(QVNET_EVENT_FETCH_FAILED, 55);
    engine->OnSdkEvent(QVNET_EVENT_REPLAY_END, 55);
    engine->OnSdkEvent(9, 55);
    std::vector<std::vector<int>> posted = TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ((std::vector<int>{(int)WM_TW_SDK_EVENT, 0, 9}), posted[0]);

    DEVICE_SEARCH_RESULT out;
    memset(&out, 0x5A, sizeof(out));
    EXPECT_EQ(-1, engine->PopSearchResult(&out));
    EXPECT_EQ(0x5A, ((uint8_t*)&out)[100]) << "an empty queue leaves the output alone";
    DEVICE_SEARCH_RESULT first = {}, second = {};
    strcpy(first.ip, "127.0.0.2");
    strcpy(second.ip, "127.0.0.3");
    engine->QueueSearchResult(&first);
    engine->QueueSearchResult(&second);
    ASSERT_EQ(0, engine->PopSearchResult(&out));
    EXPECT_STREQ("127.0.0.2", out.ip);
    ASSERT_EQ(0, engine->PopSearchResult(&out));
    EXPECT_STREQ("127.0.0.3", out.ip);
}

// A proxy table that records its calls.
struct ProxyCalls {
    static int inits, cleanups, adds, deletes;
    static bool refuse;
    static std::vector<PROXY_DEVICE_INFO> added;
    static BOOL __stdcall Init() { return ++inits, TRUE; }
    static BOOL __stdcall Cleanup() { return ++cleanups, TRUE; }
    static HANDLE __stdcall Add(int, PROXY_DEVICE_INFO* info) {
        ++adds;
        added.push_back(*info);
        return refuse ? nullptr : (HANDLE)(intptr_t)(100 + adds);
    }
    static BOOL __stdcall Delete(HANDLE) { return ++deletes, TRUE; }
    static PROXY_FUNCTIONS Table() { return {Init, Cleanup, Add, Delete}; }
    static void Reset() {
        inits = cleanups = adds = deletes = 0;
        refuse = false;
        added.clear();
    }
};
int ProxyCalls::inits, ProxyCalls::cleanups, ProxyCalls::adds, ProxyCalls::deletes;
bool ProxyCalls::refuse;
std::vector<PROXY_DEVICE_INFO> ProxyCalls::added;

TEST(DevProxy, RegistrationIdsAreUniqueAndCleanupRunsOnce) {
    ProxyCalls::Reset();
    CDevProxy proxy;
    proxy.SetFunctions(ProxyCalls::Table());
    EXPECT_EQ(0, proxy.DeleteAllDevices());
    EXPECT_EQ(0, ProxyCalls::deletes);
    EXPECT_EQ(1, proxy.Init());
    EXPECT_EQ(1, proxy.Init());
    EXPECT_EQ(1, ProxyCalls::inits);

    PROXY_DEVICE_INFO info = {};
    strcpy(info.registrationId, "REG-1");
    EXPECT_EQ(0, proxy.AddDevice(1, info));
    EXPECT_EQ(-1, proxy.AddDevice(1, info));
    EXPECT_EQ(1, ProxyCalls::adds);
    PROXY_DEVICE_INFO never = {};
    strcpy(never.registrationId, "NEVER");
    EXPECT_EQ(0, proxy.DeleteDevice(1, never));
    EXPECT_EQ(0, ProxyCalls::deletes);
    ProxyCalls::refuse = true;
    PROXY_DEVICE_INFO refused = {};
    strcpy(refused.registrationId, "REG-2");
    EXPECT_EQ(-1, proxy.AddDevice(1, refused));
    EXPECT_EQ(1, proxy.GetDeviceCount());
    EXPECT_EQ(0, proxy.DeleteDevice(1, info));
    EXPECT_EQ(1, ProxyCalls::deletes);

    EXPECT_EQ(1, proxy.Cleanup());
    EXPECT_EQ(1, proxy.Cleanup());
    EXPECT_EQ(1, ProxyCalls::cleanups);
}

TEST_F(BackupEngineParts, SelfRegisteringDevicesAreRegisteredForLoopbackClientsOnly) {
    ProxyCalls::Reset();
    engine->Proxy().SetFunctions(ProxyCalls::Table());
    DEVICE_RECORD device;
    device.id = 1001;
    CopyFixedText(device.user, "admin");
    CopyFixedText(device.password, "secret");
    CopyFixedText(device.cardsn, "CARD-16");
    device.port = 40123;
    device.channelCount = 16;
    device.alarmInCount = -2;
    device.alarmOutCount = 3;
    device.logintype = 2;
    ASSERT_EQ(0, engine->Devices().AddDeviceRecord(device));
    DEVICE_RECORD direct = device;
    direct.id = 1002;
    direct.logintype = 0;
    CopyFixedText(direct.cardsn, "DIRECT");
    ASSERT_EQ(0, engine->Devices().AddDeviceRecord(direct));
    GetAppConfig()->m_nListenPort = 38888;

    EXPECT_EQ(0, engine->RegisterProxyDevices());
    ASSERT_EQ(1u, ProxyCalls::added.size());
    const PROXY_DEVICE_INFO& info = ProxyCalls::added[0];
    EXPECT_STREQ("0.0.0.0", info.regAddress);
    EXPECT_EQ(38888, info.regPort);
    EXPECT_STREQ("127.0.0.1", info.localAddress);
    EXPECT_EQ(40123, info.localPort);
    EXPECT_STREQ("CARD-16", info.registrationId);
    EXPECT_STREQ("admin", info.userName);
    EXPECT_STREQ("secret", info.localPassword);
    EXPECT_EQ(16, info.channelCount);
    EXPECT_EQ(16, info.deviceInfo);
    EXPECT_EQ(1, info.reserved1);
    EXPECT_EQ(-2, info.reserved2);
    EXPECT_EQ(3, info.reserved3);

    // Without self-registering devices the earlier registrations go.
    engine->Devices().DeleteDevice(1001);
    EXPECT_EQ(0, engine->RegisterProxyDevices());
    EXPECT_EQ(1, ProxyCalls::deletes);
    EXPECT_EQ(0, engine->Proxy().GetDeviceCount());
}

TEST_F(BackupEngineParts, SlotsPlayPauseAtSpeedAndReleaseLocalFiles) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    recorder.Faults().slowMsPerBlock = 20;
    ASSERT_EQ(1, engine->PlayRecordInSlot(0, window, 1001, &files[0]));
    EXPECT_EQ(SLOT_ERR_CHANNEL_PLAYING, engine->PlayRecordInSlot(1, window, 1001, &files[1]));
    EXPECT_EQ(CHANNEL_IN_SLOT, engine->GetChannelUse(1001, &files[2]));
    ASSERT_TRUE(WaitFor([&] {
        RECORD_TASK slot;
        engine->GetSlot(0, &slot);
        return slot.source.received > 0;
    }));
    engine->ControlSlot(0, 5, 0);
    engine->ControlSlot(0, 5, 0);
    engine->ControlSlot(0, 3, 0);
    RECORD_TASK slot;
    engine->GetSlot(0, &slot);
    EXPECT_EQ(5, slot.source.speedIndex);
    EXPECT_EQ(1, slot.source.playState);
    const char block[16] = {};
    EXPECT_LT(engine->OnStreamData(slot.source.sdkHandle, block, sizeof(block)), 0) << "a paused slot refuses data";
    engine->ControlSlot(0, 4, 0);
    engine->GetSlot(0, &slot);
    EXPECT_EQ(kNormalSpeedIndex, slot.source.speedIndex);
    EXPECT_EQ(0, slot.source.playState);

    // Dropping the device closes its slot and tells the main window.
    TakePosted();
    engine->OnDeviceGone(1001, 0);
    engine->GetSlot(0, &slot);
    EXPECT_EQ(0, slot.source.sdkHandle);
    std::vector<std::vector<int>> posted = TakePosted();
    EXPECT_EQ(1, std::count(posted.begin(), posted.end(), std::vector<int>{(int)WM_TW_SLOT_CLOSED, 0, 257}));

    // A local file plays from disk and is released when the slot stops.
    const std::wstring local = temp.File(L"local.duz");
    ASSERT_TRUE(WriteWholeFile(local, ExpectedBytes(recorder, files[0])));
    ASSERT_EQ(0, engine->PlayFilesInSlot(2, 1001, 0, window, {CString(local.c_str()), CString(L"C:\\none.duz")}));
    EXPECT_EQ(1, engine->IsFileInUse(CString(local.c_str())));
    EXPECT_EQ(1, engine->IsFileInUse(L"C:\\none.duz")) << "a playlist item is in use";
    ASSERT_TRUE(WaitFor([&] {
        engine->GetSlot(2, &slot);
        return slot.source.received > 0;
    }));
    EXPECT_EQ(0, engine->StopSlot(2));
    EXPECT_EQ(-1, engine->StopSlot(2));
    EXPECT_TRUE(DeleteFileW(local.c_str())) << "the stopped local source keeps no handle on the file";
}

TEST_F(BackupEngineParts, WorkerQueuesEachDeviceOnceAndRetriesOnlyTheFailingOne) {
    CSimRecorder& good = StartRecorder(RecorderWithFiles(1));
    SimRecorderConfig refusing = RecorderWithFiles(1);
    CSimRecorder& bad = StartRecorder(refusing);
    bad.Faults().loginRefusal = 1;
    AddDevice(1001, bad);
    AddDevice(1002, good);
    worker->QueueDeviceLogin(engine->GetDevice(1001));
    worker->QueueDeviceLogin(engine->GetDevice(1001));
    worker->QueueDeviceLogin(engine->GetDevice(1002));
    EXPECT_EQ((std::vector<int>{1001, 1002}), worker->GetQueuedLoginIds());

    worker->StartLoginThread();
    ASSERT_TRUE(WaitFor([&] { return engine->GetDevice(1002).loggedIn && bad.AcceptedCount() >= 3; }));
    EXPECT_EQ(1, good.Device().LoginCount()) << "a device leaves the queue after its login";
    EXPECT_EQ((std::vector<int>{1001}), worker->GetQueuedLoginIds());

    // A device removed while queued is dropped, not retried for ever.
    engine->Devices().DeleteDevice(1001);
    ASSERT_TRUE(WaitFor([&] { return worker->GetQueuedLoginIds().empty(); }));
    worker->StopAllThreads();
    EXPECT_FALSE(worker->IsLoginThreadRunning());
}

TEST(AutoRunMaintain, SleepStepsKeepAFiveSecondPeriod) {
    struct Case {
        DWORD elapsed;
        int steps;
    } cases[] = {{0, 100}, {1000, 80}, {4950, 1}, {4951, 20}, {6000, 20}};
    for (const Case& c : cases) EXPECT_EQ(c.steps, CAutoRunDlg::MaintainSleepSteps(c.elapsed)) << c.elapsed;
}

TEST_F(BackupEngineParts, HiddenWindowStopsItsThreadsWhenDestroyed) {
    ASSERT_TRUE(worker->CreateHidden(CWnd::FromHandle(window)));
    EXPECT_FALSE(IsWindowVisible(worker->GetSafeHwnd()));
    worker->StartLoginThread();
    worker->StartMaintainThread();
    ASSERT_TRUE(worker->IsLoginThreadRunning());
    ASSERT_TRUE(worker->IsMaintainThreadRunning());
    worker->DestroyWindow();
    EXPECT_FALSE(worker->IsLoginThreadRunning());
    EXPECT_FALSE(worker->IsMaintainThreadRunning());
}
