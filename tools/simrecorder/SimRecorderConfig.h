// Everything that makes one simulated recorder: identity, credentials,
// channels, the blocks its queries answer and the rules of its record files.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sdk/qvnetsdk/qvnetsdk.h"

// Files of `fileMinutes` minutes on every listed channel, for `days` days from
// `firstDay` (its date only), between two seconds of each day.
struct SimCatalogueRule {
    uint32_t channelMask = 0;  // bit c = channel c; 0 = every channel
    QVNET_TIME firstDay = {};
    uint32_t days = 1;
    uint32_t fileMinutes = 60;
    uint32_t dayStartSecond = 0;
    uint32_t dayEndSecond = 86400;
    uint8_t recordType = 0;
    uint8_t recordKind = 0;
};

struct SimListedFile {
    uint32_t channel = 0;
    QVNET_TIME start = {};
    QVNET_TIME end = {};
    uint8_t recordType = 0;
    uint8_t recordKind = 0;
};

struct SimRecorderConfig {
    std::string serial = "QVSIM0001";
    std::string user = "admin";
    std::string password = "admin";
    uint32_t channelCount = 4;
    std::vector<std::string> channelNames;  // missing names are "CAM n"
    uint8_t alarmInCount = 4;
    uint8_t alarmOutCount = 2;
    uint8_t deviceType = 0;
    uint8_t diskCount = 1;
    uint8_t protocolVersion = 5;
    // Blocks the queries answer; empty ones get defaults (CSimDevice).
    std::vector<uint8_t> status;                             // status type 257, 12 bytes
    std::map<uint32_t, std::vector<uint8_t>> deviceConfigs;  // by configuration type
    std::vector<uint8_t> recordPlan;                         // 1184 bytes per channel
    std::vector<uint8_t> recordStates;                       // 256 bytes
    int64_t clockOffsetSeconds = 0;                          // device clock minus host clock

    std::vector<SimCatalogueRule> rules;
    std::vector<SimListedFile> files;
    uint16_t fps = 1;
    uint16_t width = 32;
    uint16_t height = 24;

    // What the LAN search answer reports.
    std::string mac = "02:51:56:00:00:01";
    std::string mask = "255.255.255.0";
    std::string gateway = "127.0.0.1";
    std::string name = "simrecorder";
    uint32_t restartMs = 300;  // off line time after a restart command
};
