// DEVICE_RECORD: one configured device as every part of the program sees it.
// The record is copied whole between the registry, the engine, the worker
// queues and the dialogs, so its layout is fixed (29240 bytes, natural
// alignment, 64-bit time values). Texts are narrow strings in the ANSI code
// page, NUL-terminated inside their fixed width.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <time.h>

#include "app/core/DeviceListIds.h"

const int kMaxChannels = 256;
const int kMaxAlarms = 64;
const int kMaxTalkFormats = 64;
const int kTalkFormatBlockSize = 4932;
const int kTalkFormatEntrySize = 76;
const uint16_t kDefaultDevicePort = 37777;
const uint16_t kDefaultDdnsPort = 7070;

struct CHANNEL_SLOT {
    CHANNEL_SLOT();
    char name[33];
    int32_t channelId;
    int32_t value1, value2, value3, value4;
    int32_t flagA;  // bit 0 of the channel flags
    int32_t flagB;  // 1 when bit 1 or bit 2 of the channel flags is set
};

struct ALARM_SLOT {
    ALARM_SLOT();
    char name[33];
    int32_t alarmId;
    int32_t reserved1, reserved2;
};

struct DEVICE_RECORD {
    // All zero except port 37777 and DDNSPort 7070.
    DEVICE_RECORD();
    // The all-zero record (id 0, port 0) that answers a failed lookup.
    static DEVICE_RECORD Empty();
    // After a logout: session fields and channel flags cleared, logoutTime now.
    void ResetLoginState();

    char title[33];
    char desc[257];
    int32_t id;
    char ip[257];
    char type[33];
    char manufacturer[65];
    char model[33];
    char user[9];
    char password[9];
    int32_t UseDDNS;
    char DDNSIP[257];
    uint16_t DDNSPort;
    char DDNSDevName[173];
    uint16_t port;
    int32_t loggedIn;
    int32_t loginHandle;
    int32_t channelCount;
    int32_t talkOpen;
    int32_t talkHandle;
    // 32-bit count at 0, then 76-byte entries from 4, as the SDK returns them.
    uint8_t talkFormats[kTalkFormatBlockSize];
    int32_t talkFormatInUse[kMaxTalkFormats];
    int32_t multiplay;
    int32_t deviceStatus2;
    int32_t deviceStatus3;
    CHANNEL_SLOT channels[kMaxChannels];
    int8_t alarmInCount;
    ALARM_SLOT alarmIn[kMaxAlarms];
    int8_t alarmOutCount;
    ALARM_SLOT alarmOut[kMaxAlarms];
    int32_t fileJobActive;
    int32_t fileJobHandle;
    int32_t diskSumB;
    int32_t diskSumA;
    int32_t diskCount;
    uint8_t recordState[kMaxChannels];
    __time64_t loginTime;
    __time64_t logoutTime;
    int32_t lastLoginError;
    int32_t channelFlagsLoaded;
    int32_t logintype;
    char cardsn[33];
};

// The toolchain's own time_t may be 32-bit; the record's times are always the
// 64-bit seconds of __time64_t.
static_assert(sizeof(__time64_t) == 8, "login and logout times are 64-bit seconds");
static_assert(sizeof(CHANNEL_SLOT) == 64, "channel slot is 64 bytes");
static_assert(sizeof(ALARM_SLOT) == 48, "alarm slot is 48 bytes");
static_assert(sizeof(DEVICE_RECORD) == 29240, "DEVICE_RECORD is 29240 bytes");
static_assert(offsetof(DEVICE_RECORD, id) == 292, "id");
static_assert(offsetof(DEVICE_RECORD, ip) == 296, "ip");
static_assert(offsetof(DEVICE_RECORD, user) == 684, "user");
static_assert(offsetof(DEVICE_RECORD, UseDDNS) == 704, "UseDDNS");
static_assert(offsetof(DEVICE_RECORD, DDNSPort) == 966, "DDNSPort");
static_assert(offsetof(DEVICE_RECORD, port) == 1142, "port");
static_assert(offsetof(DEVICE_RECORD, loggedIn) == 1144, "loggedIn");
static_assert(offsetof(DEVICE_RECORD, channelCount) == 1152, "channelCount");
static_assert(offsetof(DEVICE_RECORD, talkFormats) == 1164, "talkFormats");
static_assert(offsetof(DEVICE_RECORD, multiplay) == 6352, "multiplay");
static_assert(offsetof(DEVICE_RECORD, channels) == 6364, "channels");
static_assert(offsetof(DEVICE_RECORD, alarmInCount) == 22748, "alarmInCount");
static_assert(offsetof(DEVICE_RECORD, alarmIn) == 22752, "alarmIn");
static_assert(offsetof(DEVICE_RECORD, alarmOutCount) == 25824, "alarmOutCount");
static_assert(offsetof(DEVICE_RECORD, fileJobActive) == 28900, "fileJobActive");
static_assert(offsetof(DEVICE_RECORD, recordState) == 28920, "recordState");
static_assert(offsetof(DEVICE_RECORD, loginTime) == 29176, "loginTime");
static_assert(offsetof(DEVICE_RECORD, logintype) == 29200, "logintype");
static_assert(offsetof(DEVICE_RECORD, cardsn) == 29204, "cardsn");

// Copies at most maxBytes bytes of text into a fixed field of `width` bytes
// (maxBytes < width), zero-filling the rest. Returns the bytes copied.
size_t CopyFixedText(char* field, size_t width, const char* text, size_t maxBytes);
template <size_t N>
size_t CopyFixedText(char (&field)[N], const char* text) {
    return CopyFixedText(field, N, text, N - 1);
}
