// End to end: the network device SDK logs in at a device's local port of
// Portmoor, and the stand-in plug-ins relay its session to the simulated
// recorder: queries, record search and a whole download.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"
#include "proxy/Portmoor.h"
#include "tests/standins/qvnetsdk/SdkApi.h"
#include "tests/standins/qvnetsdk/SdkRelayChecks.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"
#include "tools/simrecorder/CSimRecorder.h"

#include "SdkTestSupport.h"

namespace {

std::atomic<int> g_disconnects{0};

void QVNET_CALL OnDisconnect(int32_t, const char*, int32_t, QVNET_USER) { ++g_disconnects; }

class PortmoorSdk : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Sdk().Load()); }

    void SetUp() override {
        SimRecorderConfig config = TwoChannelRecorderConfig();
        m_recorder.reset(new CSimRecorder(config));
        ASSERT_TRUE(m_recorder->Start("127.0.0.1", 0));

        ASSERT_TRUE(PROXY_Init());
        m_localPort = FreeLocalPort();
        PROXY_DEVICE_INFO info = DirectDevice(m_recorder->Port(), m_localPort, "admin", "admin");
        m_device = PROXY_AddDevice(GetParam(), &info);
        ASSERT_TRUE(m_device) << PROXY_GetLastError();

        g_disconnects = 0;
        ASSERT_EQ(1, Sdk().Init(OnDisconnect, 0));
        QVNET_NET_PARAMS params = SdkTestNetworkParams();
        Sdk().SetNetworkParams(&params);
    }

    void TearDown() override {
        Sdk().Cleanup();
        EXPECT_TRUE(PROXY_Cleanup());
        m_recorder->Stop();
    }

    int32_t Login(QVNET_DEVICE_INFO* info = nullptr) {
        QVNET_DEVICE_INFO local;
        int32_t error = -1;
        // Any user name: the proxy answers the login from the plug-in's own.
        return Sdk().LoginDevice("127.0.0.1", m_localPort, "someone", "anything", 0, 0, info ? info : &local, &error);
    }

    std::unique_ptr<CSimRecorder> m_recorder;
    uint16_t m_localPort = 0;
    HANDLE m_device = nullptr;
    TempDir m_temp;
};

TEST_P(PortmoorSdk, QueriesSearchAndDownloadThroughTheProxy) {
    QVNET_DEVICE_INFO info;
    const int32_t login = Login(&info);
    ASSERT_GT(login, 0);
    EXPECT_EQ(4, reinterpret_cast<const uint8_t*>(&info)[52]) << "channel count of the recorder's own reply";
    EXPECT_EQ(1, m_recorder->Device().LoginCount()) << "only the plug-in logged in at the recorder";
    EXPECT_EQ(1, Status(m_device).clientCount);

    ASSERT_NO_FATAL_FAILURE(ExpectRelayedQueriesAndDownload(login, m_temp.File(L"a.duz"), 30000));

    EXPECT_EQ(1, Sdk().LogoutDevice(login));
    EXPECT_TRUE(WaitFor([&] { return Status(m_device).clientCount == 0; }));
    EXPECT_TRUE(WaitFor([&] { return m_recorder->Device().OpenTransfers() == 0; }));
    EXPECT_EQ(0, g_disconnects.load());
}

TEST_P(PortmoorSdk, RecorderLossDisconnectsTheSdkAndItsReturnLetsItBackIn) {
    const int32_t login = Login();
    ASSERT_GT(login, 0);
    m_recorder->GoOffline();
    EXPECT_TRUE(WaitFor([&] { return g_disconnects.load() == 1; }, 15000));
    EXPECT_TRUE(WaitFor([&] { return Status(m_device).listening == 0; }));
    ASSERT_TRUE(m_recorder->GoOnline());
    ASSERT_TRUE(WaitFor([&] { return Status(m_device).listening == 1; }, 15000));
    const int32_t again = Login();
    ASSERT_GT(again, 0);
    int32_t count = 0;
    std::vector<char> names(8192);
    EXPECT_EQ(1, Sdk().ReadChannelNames(again, names.data(), 8192, &count, 3000));
    EXPECT_EQ(4, count);
}

INSTANTIATE_TEST_SUITE_P(QuorlanAndVeddix, PortmoorSdk, ::testing::Values(PROXY_DEVICE_PRIVATE, PROXY_DEVICE_STANDARD));

}  // namespace
