#include "DeviceLoginFixture.h"

FARPROC TestExport(int ordinal) { return GetProcAddress(GetModuleHandleW(L"qvnetsdk.dll"), MAKEINTRESOURCEA(ordinal)); }

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

uint16_t ClosedPort() {
    CSimDdnsResponder probe;
    probe.Start();
    const uint16_t port = probe.Port();
    probe.Stop();
    return port;
}

QVNET_API Intercept::original;

std::function<void()> Intercept::duringStatus;

std::atomic<int> Intercept::failConfigType{-100};

std::atomic<int> Intercept::namesReported{-1};

std::atomic<int> Intercept::calls{0};

std::atomic<int> Intercept::v5Calls{0};
