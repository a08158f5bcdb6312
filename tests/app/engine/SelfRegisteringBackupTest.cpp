// A self-registering recorder backed up end to end: the engine registers the
// device with the registration proxy and its plug-in, the simulated recorder
// connects in to the plug-in's registration port, the device manager logs in
// at the proxy's local listener on 127.0.0.1, and a scheduled backup copies
// every file of the day window through it.
#include <gtest/gtest.h>

#include <memory>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/engine/RecordTime.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tools/simrecorder/CSimRegistrar.h"

namespace {

const int kDeviceId = 1002;
const int kLoginTypeSelfRegistering = 2;

}  // namespace

class SelfRegisteringBackup : public EngineFixture {
protected:
    void SetUp() override {
        savedListenPort = GetAppConfig()->m_nListenPort;
        EngineFixture::SetUp();
    }
    void TearDown() override {
        EngineFixture::TearDown();
        registrar.reset();
        GetAppConfig()->m_nListenPort = savedListenPort;
    }

    // The device as the device list stores a self-registering one: its
    // registration id, the local port SDK clients log in at, and its channel
    // count (the proxy reports it to those clients as the device's own).
    void AddSelfRegisteringDevice(const SimRecorderConfig& config, uint16_t localPort) {
        DEVICE_RECORD record;
        record.id = kDeviceId;
        CopyFixedText(record.title, "sim");
        CopyFixedText(record.ip, "127.0.0.1");
        record.port = localPort;
        CopyFixedText(record.user, config.user.c_str());
        CopyFixedText(record.password, config.password.c_str());
        CopyFixedText(record.cardsn, config.serial.c_str());
        record.logintype = kLoginTypeSelfRegistering;
        record.channelCount = (int32_t)config.channelCount;
        ASSERT_EQ(0, engine->Devices().AddDeviceRecord(record));
    }

    std::unique_ptr<CSimRecorder> recorder;
    std::unique_ptr<CSimRegistrar> registrar;
    int savedListenPort = 0;
};

TEST_F(SelfRegisteringBackup, ScheduledBackupThroughTheProxyCopiesEveryFile) {
    const SimRecorderConfig config = RecorderWithFiles(2);
    recorder.reset(new CSimRecorder(config));
    // The proxy's ports are fixed numbers in its records: ask for unused ones.
    const uint16_t registrationPort = FreeLocalPort();
    const uint16_t localPort = FreeLocalPort();
    ASSERT_NE(0, registrationPort);
    ASSERT_NE(0, localPort);
    ASSERT_NE(registrationPort, localPort);
    GetAppConfig()->m_nListenPort = registrationPort;

    ASSERT_TRUE(engine->Proxy().IsRunning());
    AddSelfRegisteringDevice(config, localPort);
    ASSERT_EQ(0, engine->RegisterProxyDevices());
    ASSERT_EQ(1, engine->Proxy().GetDeviceCount());

    registrar.reset(new CSimRegistrar(*recorder, config.serial, config.channelCount));
    ASSERT_TRUE(registrar->Start("127.0.0.1", registrationPort));
    ASSERT_TRUE(WaitFor([&] { return registrar->IsRegistered(); }, 15000));
    ASSERT_TRUE(WaitFor([&] { return Login(kDeviceId) >= 0; }, 15000));
    EXPECT_TRUE(engine->GetDevice(kDeviceId).loggedIn);
    EXPECT_EQ(2, engine->GetDevice(kDeviceId).channelCount);

    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(kDeviceId, 0)));
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(kDeviceId, 1)));
    ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));
    ASSERT_EQ(0, engine->StartAutoBackup());

    std::vector<RECORD_FILE_DESC> expectedFiles[2] = {FilesOf(*recorder, 0, 0), FilesOf(*recorder, 1, 0)};
    const size_t fileCount = expectedFiles[0].size() + expectedFiles[1].size();
    ASSERT_EQ(6u, fileCount);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == fileCount && Tasks().empty(); }, 60000));

    const RECORD_LIST_ROWS rows = Rows();
    for (int channel = 0; channel < 2; ++channel) {
        for (const RECORD_FILE_DESC& desc : expectedFiles[channel]) {
            const CString start = FormatQvnetTime(desc.start);
            int matches = 0;
            for (const RECORD_LIST_ROW& row : rows) {
                if (row.C_StartTime != start || row.I_ChannelIndex != channel) continue;
                ++matches;
                EXPECT_EQ(kDeviceId, row.L_DevID);
                EXPECT_EQ(FormatQvnetTime(desc.end), row.C_EndTime);
                const std::string bytes = ReadWholeFile(std::wstring(row.C_FilePath));
                const std::string expected = ExpectedBytes(*recorder, desc);
                ASSERT_FALSE(expected.empty());
                EXPECT_TRUE(bytes == expected) << "content of " << Narrow(std::wstring(row.C_FilePath)) << ": "
                                               << bytes.size() << " bytes, expected " << expected.size();
            }
            EXPECT_EQ(1, matches) << "rows for channel " << channel << " at " << Narrow(std::wstring(start));
        }
    }
    // Only the proxy's plug-in logged in at the recorder; the engine's
    // sessions all went through the local listener.
    EXPECT_EQ(1, recorder->Device().LoginCount());

    // The main window's order on exit; the engine stops the proxy, which cuts
    // the recorder's registered connections.
    EXPECT_EQ(0, engine->StopAutoBackup());
    EXPECT_EQ(0, engine->Shutdown());
    EXPECT_FALSE(engine->Proxy().IsRunning());
    EXPECT_EQ(0, engine->Proxy().GetDeviceCount());
    EXPECT_TRUE(WaitFor([&] { return !registrar->IsRegistered(); }, 15000));
    registrar->Stop();
}
