// What the tests of the network SDK, the proxy and the engine share: the day
// the simulated recorders hold recordings for, and a download progress
// record that a file-download callback fills.
#pragma once

#include <atomic>
#include <cstdint>

#include "sdk/qvnetsdk/qvnetsdk.h"
#include "tools/simrecorder/SimRecorderConfig.h"

// The day every test recorder's catalogue starts on.
const QVNET_TIME kSdkTestDay = {2026, 3, 2, 0, 0, 0};

// A time of that day.
inline QVNET_TIME SdkTestTime(uint32_t hour, uint32_t minute, uint32_t second = 0) {
    QVNET_TIME t = kSdkTestDay;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

// Short waits that keep a test on loopback from stalling on a lost reply.
inline QVNET_NET_PARAMS SdkTestNetworkParams() {
    QVNET_NET_PARAMS params = {};
    params.connectWaitMs = 2000;
    params.replyWaitMs = 3000;
    params.loginWaitMs = 3000;
    params.transferWaitMs = 5000;
    return params;
}

// The last progress a download by file reported (KB).
struct DownloadProgress {
    std::atomic<uint32_t> total{0};
    std::atomic<uint32_t> done{0};
};

// File-download callback; the user value is the DownloadProgress.
inline void QVNET_CALL OnDownloadProgress(int32_t, uint32_t total, uint32_t done, QVNET_USER user) {
    DownloadProgress* p = reinterpret_cast<DownloadProgress*>(user);
    p->total = total;
    p->done = done;
}

// A recorder with two channels, "Gate" and "Yard", holding 5-minute files
// over the test day.
inline SimRecorderConfig TwoChannelRecorderConfig() {
    SimRecorderConfig config;
    config.channelNames = {"Gate", "Yard"};
    SimCatalogueRule rule;
    rule.firstDay = kSdkTestDay;
    rule.fileMinutes = 5;
    config.rules.push_back(rule);
    return config;
}
