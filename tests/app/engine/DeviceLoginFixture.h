// Device login against simulated recorders through the real network SDK over
// sockets on 127.0.0.1: the SDK set-up, the call interceptor and the fixture.
#pragma once

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
#include "standins/qvnetsdk/QvNetTestExports.h"
#include "tools/simrecorder/CSimDdnsResponder.h"
#include "tools/simrecorder/CSimRecorder.h"

FARPROC TestExport(int ordinal);

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

std::vector<uint8_t> Ints(std::initializer_list<int32_t> values, size_t size);

// A free port on 127.0.0.1 that nothing listens on.
uint16_t ClosedPort();

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
        const int32_t result =
            original.FindRecordFiles(h, channel, type, start, end, card, buffer, size, count, wait, reserved);
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
                posted.push_back(
                    {static_cast<int>(msg.message), static_cast<int>(msg.wParam), static_cast<int>(msg.lParam)});
            }
        }
        return posted;
    }

    SimRecorderConfig config;
    CDeviceManager manager;
    HWND m_window = nullptr;
    std::vector<std::unique_ptr<CSimRecorder>> m_recorders;
};
