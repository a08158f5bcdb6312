// The stand-in plug-ins as the proxy drives them: loaded and bound by the
// proxy's loader from an installation folder, opened against a device
// double on 127.0.0.1.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "proxy/CPluginModule.h"
#include "proxy/PluginCatalog.h"
#include "tests/standins/plugins/PluginFolder.h"
#include "tests/proxy/support/CTestDevice.h"
#include "tests/proxy/support/SdkTestClient.h"
#include "tests/support/WaitFor.h"

namespace {

struct Delivery {
    PLUGIN_DATA_TARGET target;
    std::vector<uint8_t> data;
};

// What a plug-in reported through its two callbacks.
struct Reports {
    std::mutex mutex;
    std::vector<int> states;
    std::vector<Delivery> deliveries;

    static int PLUGIN_CALL OnMessage(int kind, int state, void* user) {
        auto* self = static_cast<Reports*>(user);
        std::lock_guard<std::mutex> lock(self->mutex);
        if (kind == 0) self->states.push_back(state);
        return 0;
    }
    static int PLUGIN_CALL OnData(PLUGIN_DATA_TARGET* targets, int count, uint8_t* data, int length, void* user) {
        auto* self = static_cast<Reports*>(user);
        std::lock_guard<std::mutex> lock(self->mutex);
        for (int i = 0; i < count; ++i)
            self->deliveries.push_back({targets[i], std::vector<uint8_t>(data, data + length)});
        return 0;
    }
    size_t StateCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return states.size();
    }
    int LastState() {
        std::lock_guard<std::mutex> lock(mutex);
        return states.empty() ? -1 : states.back();
    }
    size_t DeliveryCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return deliveries.size();
    }
};

PLUGIN_DEVICE_RECORD DirectRecord(uint16_t port, const char* user, const char* password) {
    PLUGIN_DEVICE_RECORD record = {};
    std::strcpy(record.regAddress, "127.0.0.1");
    record.regPort = port;
    std::strcpy(record.userName, user);
    std::strcpy(record.password, password);
    std::strcpy(record.registrationId, "SERIAL-1");
    return record;
}

class StandinPlugin : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        EnsureWinsock();
        const PluginNames* names = PluginNamesOfType(GetParam());
        ASSERT_TRUE(names);
        std::wstring file(names->file, names->file + std::strlen(names->file));
        ASSERT_TRUE(m_folder.Add(file.c_str(), file.c_str()));
        m_module.reset(new CPluginModule(*names));
        ASSERT_TRUE(m_module->Load(m_folder.ProxyModule()));
        ASSERT_TRUE(m_device.Start());
    }
    void TearDown() override {
        if (m_handle) fn().close(m_handle);
        m_module.reset();
    }
    const PluginFunctions& fn() { return m_module->Functions(); }
    PLUGIN_HANDLE Open(const char* password = "pw") {
        PLUGIN_DEVICE_RECORD record = DirectRecord(m_device.Port(), "admin", password);
        m_handle = fn().open(&record, record.regPort, record.userName, record.password, record.registrationId);
        if (m_handle) fn().setCallBack(m_handle, &Reports::OnMessage, &Reports::OnData, &m_reports);
        return m_handle;
    }
    PARSE_RESULT Parse(const std::vector<uint8_t>& packet, int clientId) {
        SDK_COMMAND command = {packet.data(), static_cast<int32_t>(packet.size()), clientId, 0};
        PARSE_RESULT result;
        std::memset(&result, 0xCC, sizeof(result));
        EXPECT_EQ(0, fn().parse(m_handle, &command, &result));
        return result;
    }
    int Send(const std::vector<uint8_t>& packet, int session, int sub) {
        return fn().send(m_handle, const_cast<uint8_t*>(packet.data()), static_cast<int>(packet.size()), session, sub);
    }

    PluginFolder m_folder;
    std::unique_ptr<CPluginModule> m_module;
    CTestDevice m_device{"admin", "pw", 6};
    Reports m_reports;
    PLUGIN_HANDLE m_handle = nullptr;
};

TEST_P(StandinPlugin, OpensReportsOnLineAndAnswersLocally) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(1, m_reports.LastState()) << "on line at once";
    EXPECT_EQ(1, m_device.Logins());
    if (fn().deviceInfo) {
        int info = 0;
        EXPECT_EQ(0, fn().deviceInfo(m_handle, &info));
        EXPECT_EQ(6, info);
    }

    PARSE_RESULT login = Parse(SdkLogin("someone", "else"), 41);
    EXPECT_EQ(kParseLogin, login.action);
    EXPECT_EQ(1, login.registerClient);
    EXPECT_EQ(0, login.sessionIndex);
    ASSERT_EQ(64, login.replyLength);
    EXPECT_EQ(0xB0, login.reply[0]);
    EXPECT_EQ(0, login.reply[8]) << "the device's own verdict";
    EXPECT_EQ(6, login.reply[10]);
    EXPECT_EQ(41u, PacketU32(std::vector<uint8_t>(login.reply, login.reply + 32), 16)) << "login id = client id";

    PARSE_RESULT sub = Parse(SdkSubConnection(41, 3), 42);
    EXPECT_EQ(kParseSubConnection, sub.action);
    EXPECT_EQ(1, sub.registerClient);
    EXPECT_EQ(0, sub.connect);
    EXPECT_EQ(41, sub.mainSessionId);
    EXPECT_EQ(3, sub.sessionIndex);
    EXPECT_EQ(32, sub.replyLength);
    EXPECT_EQ(0xF1, sub.reply[0]);
    EXPECT_EQ(3, sub.reply[13]);

    PARSE_RESULT keepAlive = Parse(SdkPacket(0xA1), 41);
    EXPECT_EQ(kParseOther, keepAlive.action);
    EXPECT_EQ(0, keepAlive.forward);
    EXPECT_EQ(32, keepAlive.replyLength);
    EXPECT_EQ(0xB1, keepAlive.reply[0]);

    PARSE_RESULT other = Parse(SdkPacket(0x90, 1), 41);
    EXPECT_EQ(kParseOther, other.action);
    EXPECT_EQ(1, other.forward);
    EXPECT_EQ(0, other.replyLength);

    EXPECT_EQ(0, Send(SdkLogin("a", "b"), 41, 0)) << "absorbed, never sent to the device";
    EXPECT_TRUE(m_device.Requests().empty());
}

TEST_P(StandinPlugin, RepliesFindTheirConnectionEvenWithEqualSequences) {
    ASSERT_TRUE(Open());
    ASSERT_EQ(0, Send(SdkPacket(0x90, 5, 1, "first"), 11, 0));
    ASSERT_EQ(0, Send(SdkPacket(0x91, 5, 2, "second"), 12, 2));
    ASSERT_TRUE(WaitFor([&] { return m_reports.DeliveryCount() == 2; }));
    std::lock_guard<std::mutex> lock(m_reports.mutex);
    for (const Delivery& d : m_reports.deliveries) {
        EXPECT_EQ(5u, PacketU32(d.data, 8)) << "the SDK's own sequence comes back";
        if (d.data[0] == 0x90) {
            EXPECT_EQ(11, d.target.sessionId);
            EXPECT_EQ(0, d.target.subIndex);
            EXPECT_EQ("first", std::string(d.data.begin() + 32, d.data.end()));
        } else {
            EXPECT_EQ(12, d.target.sessionId);
            EXPECT_EQ(2, d.target.subIndex);
        }
    }
}

TEST_P(StandinPlugin, ClosingASessionClosesTheTransfersItLeftOpen) {
    ASSERT_TRUE(Open());
    ASSERT_EQ(0, Send(SdkPacket(0x93, 1), 21, 0));
    ASSERT_EQ(0, Send(SdkPacket(0x93, 2), 22, 0));
    ASSERT_TRUE(WaitFor([&] { return m_reports.DeliveryCount() == 2; }));
    ASSERT_EQ(0, fn().closeCommand(m_handle, 21));
    ASSERT_TRUE(WaitFor([&] { return m_device.Requests().size() == 3; }));
    const auto requests = m_device.Requests();
    EXPECT_EQ(0x95, requests[2].first);
    uint32_t transferOf21 = 0;
    {
        std::lock_guard<std::mutex> lock(m_reports.mutex);
        for (const Delivery& d : m_reports.deliveries) {
            if (d.target.sessionId == 21) transferOf21 = PacketU32(d.data, 16);
        }
    }
    EXPECT_EQ(transferOf21, requests[2].second);
    EXPECT_EQ(2u, m_reports.DeliveryCount()) << "the plug-in's own close is answered to nobody";
}

TEST_P(StandinPlugin, DeviceLossAndReturnAreReported) {
    ASSERT_TRUE(Open());
    const uint16_t port = m_device.Port();
    m_device.Stop();
    ASSERT_TRUE(WaitFor([&] { return m_reports.LastState() == 0; }));
    EXPECT_EQ(-1, Send(SdkPacket(0x90, 1), 1, 0)) << "no device connection";
    ASSERT_TRUE(m_device.Start(port));
    ASSERT_TRUE(WaitFor([&] { return m_reports.LastState() == 1; }));
    EXPECT_EQ(0, Send(SdkPacket(0x90, 1), 1, 0));
}

TEST_P(StandinPlugin, RefusedLoginLeavesSdkLoginsUnanswered) {
    ASSERT_TRUE(Open("wrong"));
    EXPECT_EQ(0u, m_reports.StateCount());
    PARSE_RESULT login = Parse(SdkLogin("admin", "pw"), 5);
    const PARSE_RESULT zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &login, sizeof(zero)));
    EXPECT_EQ(-1, Send(SdkPacket(0x90, 1), 5, 0));
}

TEST_P(StandinPlugin, NoCallbackOnceCloseHasReturned) {
    ASSERT_TRUE(Open());
    const size_t states = m_reports.StateCount();
    ASSERT_EQ(0, fn().close(m_handle));
    // Its connection is gone by the time close returns, without an off-line
    // report: the worker that would report it has ended.
    EXPECT_TRUE(WaitFor([&] { return m_device.OpenConnections() == 0; }));
    EXPECT_EQ(states, m_reports.StateCount());
    EXPECT_EQ(-1, fn().close(m_handle)) << "the handle is gone";
    EXPECT_EQ(-1, Send(SdkPacket(0x90, 1), 1, 0));
    m_handle = nullptr;
}

TEST_P(StandinPlugin, OpenRefusesWhatCannotNameADevice) {
    PLUGIN_DEVICE_RECORD record = DirectRecord(0, "admin", "pw");
    EXPECT_EQ(nullptr, fn().open(&record, 0, record.userName, record.password, record.registrationId));
    EXPECT_EQ(nullptr, fn().open(nullptr, 80, record.userName, record.password, record.registrationId));
    record.regAddress[0] = '\0';
    EXPECT_EQ(nullptr, fn().open(&record, 80, record.userName, record.password, record.registrationId));
}

INSTANTIATE_TEST_SUITE_P(QuorlanAndVeddix, StandinPlugin, ::testing::Values(0, 2));

TEST(PluginLoader, MissingFileLeavesEveryFunctionUnresolved) {
    PluginFolder folder;
    CPluginModule quorlan(*PluginNamesOfType(0));
    EXPECT_FALSE(quorlan.Load(folder.ProxyModule()));
    EXPECT_FALSE(quorlan.IsLoaded());
    const PluginFunctions none = {};
    EXPECT_EQ(0, std::memcmp(&none, &quorlan.Functions(), sizeof(none)));
}

TEST(PluginLoader, StartIsSkippedWithoutStopAndOtherFunctionsStillBind) {
    PluginFolder folder;
    ASSERT_TRUE(folder.Add(L"PartialPlugin.dll", L"Veddix.dll"));
    CPluginModule veddix(*PluginNamesOfType(2));
    ASSERT_TRUE(veddix.Load(folder.ProxyModule()));
    const PluginFunctions& fn = veddix.Functions();
    EXPECT_TRUE(fn.init);
    EXPECT_FALSE(fn.cleanup);
    EXPECT_TRUE(fn.open);
    EXPECT_TRUE(fn.heartbeat);
    EXPECT_FALSE(fn.parse);
    EXPECT_FALSE(fn.deviceInfo) << "Veddix has no device information function";
    EXPECT_EQ(1, fn.init()) << "the loader did not call it before";
    veddix.Unload();
    EXPECT_FALSE(veddix.IsLoaded());
    EXPECT_FALSE(veddix.Functions().open) << "pointers are cleared after unloading";
}

}  // namespace
