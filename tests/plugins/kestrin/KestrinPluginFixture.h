// Kestrin.dll loaded and bound as the proxy does it, with the proxy's two
// callbacks recorded.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "plugins/kestrin/AutoPluginTypes.h"
#include "tests/plugins/kestrin/CRegisteringDevice.h"
#include "tests/support/WaitFor.h"

typedef int(KESTRIN_CALL* InitFn)();
typedef void*(KESTRIN_CALL* OpenFn)(PLUGIN_DEVICE_RECORD*, int);
typedef int(KESTRIN_CALL* HandleFn)(void*);
typedef int(KESTRIN_CALL* SetCallBackFn)(void*, PluginMessageCallback, PluginDataCallback, void*);
typedef int(KESTRIN_CALL* SendFn)(void*, uint8_t*, int, int, int);
typedef int(KESTRIN_CALL* ConnectFn)(void*, void*, void*);
typedef int(KESTRIN_CALL* ParseFn)(void*, SDK_COMMAND*, PARSE_RESULT*);
typedef int(KESTRIN_CALL* CloseCommandFn)(void*, int);
typedef int(KESTRIN_CALL* InfoFn)(void*, int*);

// What the proxy's two callbacks received.
class CallbackLog {
public:
    struct Data {
        std::vector<PLUGIN_DATA_TARGET> targets;
        std::vector<uint8_t> bytes;
    };

    static int KESTRIN_CALL OnMessage(int kind, int state, void* user) {
        CallbackLog* self = static_cast<CallbackLog*>(user);
        std::lock_guard<std::mutex> guard(self->m_lock);
        if (kind == 0) self->m_states.push_back(state);
        return 0;
    }
    static int KESTRIN_CALL OnData(PLUGIN_DATA_TARGET* targets, int count, uint8_t* data, int length, void* user) {
        CallbackLog* self = static_cast<CallbackLog*>(user);
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_data.push_back(
            {std::vector<PLUGIN_DATA_TARGET>(targets, targets + count), std::vector<uint8_t>(data, data + length)});
        return 0;
    }

    std::vector<int> States() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_states;
    }
    bool WaitStates(const std::vector<int>& wanted) {
        return WaitFor([&] { return States() == wanted; }, 5000);
    }
    // Waits for delivered data whose first byte is command.
    bool WaitData(uint8_t command, Data* out) {
        return WaitFor(
            [&] {
                std::lock_guard<std::mutex> guard(m_lock);
                for (size_t i = 0; i < m_data.size(); ++i) {
                    if (!m_data[i].bytes.empty() && m_data[i].bytes[0] == command) {
                        *out = m_data[i];
                        m_data.erase(m_data.begin() + long(i));
                        return true;
                    }
                }
                return false;
            },
            5000);
    }

private:
    std::mutex m_lock;
    std::vector<int> m_states;
    std::vector<Data> m_data;
};

inline PLUGIN_DEVICE_RECORD Record(int port, const char* id, int channels, int deviceInfo) {
    PLUGIN_DEVICE_RECORD r = {};
    std::strcpy(r.regAddress, "127.0.0.1");
    r.regPort = port;
    std::strcpy(r.userName, "admin");
    std::strcpy(r.password, "1234");
    std::strcpy(r.registrationId, id);
    r.channelCount = channels;
    r.deviceInfo = deviceInfo;
    return r;
}

class KestrinPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        m_module = LoadLibraryA("Kestrin.dll");
        ASSERT_NE(m_module, nullptr);
        Bind(init, "DVR_AUTO_Init");
        Bind(cleanup, "DVR_AUTO_Cleanup");
        Bind(open, "DVR_AUTO_OpenDeviceEx");
        Bind(close, "DVR_AUTO_CloseDevice");
        Bind(setCallBack, "DVR_AUTO_SetCallBack");
        Bind(sendData, "DVR_AUTO_SendData");
        Bind(heartbeat, "DVR_AUTO_Heartbeat");
        Bind(connect, "DVR_AUTO_Connect");
        Bind(parse, "DVR_AUTO_PraseCommand");
        Bind(closeCommand, "DVR_AUTO_CloseCommand");
        Bind(deviceInfo, "DVR_AUTO_GetDeviceInfo");
        ASSERT_EQ(init(), 0);
        port = CRegisteringDevice::FreeLoopbackPort();
    }
    void TearDown() override {
        if (device != nullptr) close(device);
        if (cleanup != nullptr) {
            EXPECT_EQ(cleanup(), 1);
        }
        if (m_module != nullptr) FreeLibrary(m_module);
        WSACleanup();
    }

    template <typename F>
    void Bind(F& fn, const char* name) {
        fn = reinterpret_cast<F>(GetProcAddress(m_module, name));
        ASSERT_NE(fn, nullptr) << name;
    }

    void OpenDevice(std::vector<PLUGIN_DEVICE_RECORD> records) {
        device = open(records.data(), int(records.size()));
        ASSERT_NE(device, nullptr);
        setCallBack(device, &CallbackLog::OnMessage, &CallbackLog::OnData, &log);
    }
    void OpenOnlineDevice(CRegisteringDevice& dev, int channels) {
        OpenDevice({Record(port, "DEV-1", channels, channels)});
        ASSERT_TRUE(dev.Register());
        ASSERT_TRUE(log.WaitStates({0, 1}));
    }
    int Send(std::vector<uint8_t> packet, int clientId, int tag) {
        return sendData(device, packet.data(), int(packet.size()), clientId, tag);
    }
    PARSE_RESULT Parse(const std::vector<uint8_t>& packet, int clientId) {
        SDK_COMMAND command{packet.data(), int32_t(packet.size()), clientId, 0};
        PARSE_RESULT result;
        std::memset(&result, 0xCC, sizeof result);
        EXPECT_EQ(parse(device, &command, &result), 0);
        return result;
    }

    InitFn init = nullptr;
    InitFn cleanup = nullptr;
    OpenFn open = nullptr;
    HandleFn close = nullptr;
    SetCallBackFn setCallBack = nullptr;
    SendFn sendData = nullptr;
    HandleFn heartbeat = nullptr;
    ConnectFn connect = nullptr;
    ParseFn parse = nullptr;
    CloseCommandFn closeCommand = nullptr;
    InfoFn deviceInfo = nullptr;
    void* device = nullptr;
    int port = 0;
    CallbackLog log;

private:
    HMODULE m_module = nullptr;
};
