// End to end: the simulated recorder registers itself with Kestrin inside
// Portmoor, and the network device SDK logs in at Portmoor's local port,
// finds record files and downloads one, byte for byte.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "standins/qvnetsdk/SdkWire.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "standins/streamfmt/StreamFormat.h"
#include "proxy/Portmoor.h"
#include "tests/standins/qvnetsdk/SdkApi.h"
#include "tests/standins/qvnetsdk/SdkRelayChecks.h"
#include "tests/plugins/kestrin/CRegisteringDevice.h"
#include "tests/plugins/kestrin/PacketBytes.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tests/proxy/support/SdkTestClient.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimRegistrar.h"

#include "SdkTestSupport.h"

namespace {

const char kRegistrationId[] = "AUTO-SIM-7";

std::atomic<int> g_disconnects{0};
void QVNET_CALL OnDisconnect(int32_t, const char*, int32_t, QVNET_USER) { ++g_disconnects; }

class KestrinThroughPortmoor : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Sdk().Load()); }

    void SetUp() override {
        SimRecorderConfig config = TwoChannelRecorderConfig();
        m_recorder.reset(new CSimRecorder(config));

        ASSERT_TRUE(PROXY_Init());
        const uint16_t registrationPort = FreeLocalPort();
        m_localPort = FreeLocalPort();
        PROXY_DEVICE_INFO info = DirectDevice(registrationPort, m_localPort, "admin", "admin");
        std::strcpy(info.registrationId, kRegistrationId);
        info.channelCount = int32_t(config.channelCount);
        info.deviceInfo = int32_t(config.channelCount);
        m_device = PROXY_AddDevice(PROXY_DEVICE_AUTOREG, &info);
        ASSERT_TRUE(m_device) << PROXY_GetLastError();

        m_registrar.reset(new CSimRegistrar(*m_recorder, kRegistrationId, config.channelCount));
        ASSERT_TRUE(m_registrar->Start("127.0.0.1", registrationPort));
        ASSERT_TRUE(WaitFor([&] { return Status(m_device).listening == 1; }, 15000));

        g_disconnects = 0;
        ASSERT_EQ(1, Sdk().Init(OnDisconnect, 0));
        QVNET_NET_PARAMS params = SdkTestNetworkParams();
        Sdk().SetNetworkParams(&params);
    }

    void TearDown() override {
        Sdk().Cleanup();
        m_registrar.reset();
        if (m_device) {
            EXPECT_TRUE(PROXY_DeleteDevice(m_device));
        }
        EXPECT_TRUE(PROXY_Cleanup());
    }

    int32_t Login(QVNET_DEVICE_INFO* info = nullptr) {
        QVNET_DEVICE_INFO local;
        int32_t error = -1;
        return Sdk().LoginDevice("127.0.0.1", m_localPort, "someone", "anything", 0, 0, info ? info : &local, &error);
    }

    std::unique_ptr<CSimRecorder> m_recorder;
    std::unique_ptr<CSimRegistrar> m_registrar;
    uint16_t m_localPort = 0;
    HANDLE m_device = nullptr;
    TempDir m_temp;
};

TEST_F(KestrinThroughPortmoor, LoginRecordQueryAndByteExactDownload) {
    const int32_t login = Login();
    ASSERT_GT(login, 0);
    EXPECT_EQ(1, m_recorder->Device().LoginCount()) << "only Kestrin logged in at the recorder";

    ASSERT_NO_FATAL_FAILURE(ExpectRelayedQueriesAndDownload(login, m_temp.File(L"a.duz"), 60000));
    EXPECT_EQ(1, Sdk().LogoutDevice(login));
    EXPECT_EQ(0, g_disconnects.load());
}

TEST_F(KestrinThroughPortmoor, RecorderLossAndReturnOnTheSamePort) {
    ASSERT_GT(Login(), 0);
    m_registrar->Drop();
    EXPECT_TRUE(WaitFor([&] { return Status(m_device).listening == 0; }, 30000));
    EXPECT_TRUE(WaitFor([&] { return Status(m_device).listening == 1; }, 30000));
    EXPECT_GT(Login(), 0);
}

// A live stream end to end at the SDK's byte level: a sub-connection
// subscribes a channel with 0x11, the device's stream data reaches that
// sub-connection, and unsubscribing stops the channel at the device.
TEST(KestrinLiveStreamThroughPortmoor, SubscribeReceiveAndUnsubscribe) {
    using namespace kestrin;
    // A stream request's byte per channel, as the SDK writes it.
    const uint8_t kStreamStop = 0, kStreamStart = 1, kStreamUnchanged = 2;
    ASSERT_TRUE(PROXY_Init());
    const uint16_t registrationPort = FreeLocalPort(), localPort = FreeLocalPort();
    PROXY_DEVICE_INFO info = DirectDevice(registrationPort, localPort, "admin", "admin");
    std::strcpy(info.registrationId, "LIVE-1");
    info.channelCount = info.deviceInfo = 2;
    HANDLE proxied = PROXY_AddDevice(PROXY_DEVICE_AUTOREG, &info);
    ASSERT_TRUE(proxied) << PROXY_GetLastError();
    {
        CRegisteringDevice device(registrationPort, "LIVE-1", 2, 0x55);
        ASSERT_TRUE(device.Register());
        ASSERT_TRUE(WaitFor([&] { return Status(proxied).listening == 1; }));
        CSdkTestClient main, sub;
        ASSERT_TRUE(main.Connect(localPort));
        ASSERT_TRUE(main.Send(SdkLogin("admin", "admin")));
        const std::vector<uint8_t> login = main.Read();
        ASSERT_EQ(login.size() > 0 ? login[0] : 0, kCmdLoginReply);
        const uint8_t index = 2;
        ASSERT_TRUE(sub.Connect(localPort));
        ASSERT_TRUE(sub.Send(SdkSubConnection(PacketU32(login, 16), index)));
        ASSERT_EQ(sub.Read()[0], kCmdSubConnect);

        const int channel = 1;
        std::vector<uint8_t> request = Packet(kCmdStream, kMaxChannels);
        std::memset(&request[8], kStreamUnchanged, kMaxChannels);
        request[8 + channel] = kStreamStart;
        ASSERT_TRUE(sub.Send(request));
        std::vector<uint8_t> asked;
        ASSERT_TRUE(device.ReadCommand(0, kCmdStream, &asked));
        EXPECT_EQ(asked[8 + channel], kStreamStart);

        std::vector<uint8_t> frame = PacketWithText(kCmdStreamData, "live frame");
        frame[8] = uint8_t(channel);
        ASSERT_TRUE(device.Send(index, frame));
        EXPECT_EQ(PacketBody(sub.ReadSkipping(kCmdKeepAliveAnswer)), "live frame");

        request[8 + channel] = kStreamStop;
        ASSERT_TRUE(sub.Send(request));
        ASSERT_TRUE(device.ReadCommand(0, kCmdStream, &asked));
        EXPECT_EQ(asked[8 + channel], kStreamStop);
    }
    EXPECT_TRUE(PROXY_DeleteDevice(proxied));
    EXPECT_TRUE(PROXY_Cleanup());
}

}  // namespace
