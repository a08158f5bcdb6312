#include "app/engine/DeviceSdkBlocks.h"

#include <string.h>

#include "common/LittleEndian.h"

int32_t ReadInt32(const uint8_t* data) { return static_cast<int32_t>(ReadLe32(data)); }

const char* DeviceTypeText(int typeCode) {
    switch (typeCode) {
        case 3:
        case 21:
        case 22:
        case 23:
        case 24:
        case 26: return "NVS";
        case 19: return "IPSD";
        case 20: return "IPC";
        case 29: return "SVR";
        case 30: return "SVR_BS";
        default: return "DVR";
    }
}

void BuildLoginUserName(const char (&user)[9], bool shift, char (&out)[9]) {
    memset(out, 0, sizeof(out));
    const size_t length = strnlen(user, 8);
    memcpy(out, user, length);
    if (!shift) return;
    if (length < 8) {
        for (int i = 0; i < 8; ++i) out[i] = static_cast<char>(static_cast<uint8_t>(out[i]) + 3);
    } else {
        out[0] = static_cast<char>(static_cast<uint8_t>(out[0]) + 3);
    }
}

int FilterTalkFormats(const uint8_t* block, size_t length, uint8_t (&out)[kTalkFormatBlockSize]) {
    memset(out, 0, sizeof(out));
    if (!block || length < 4) return 0;
    size_t available = (length - 4) / kTalkFormatEntrySize;
    if (available > static_cast<size_t>(kMaxTalkFormats)) available = kMaxTalkFormats;
    int32_t reported = ReadInt32(block);
    size_t entries = reported < 0 ? 0 : static_cast<size_t>(reported);
    if (entries > available) entries = available;
    int kept = 0;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* entry = block + 4 + i * kTalkFormatEntrySize;
        const int32_t type = ReadInt32(entry);
        if (type < 0 || type > 5) continue;
        memcpy(out + 4 + kept * kTalkFormatEntrySize, entry, kTalkFormatEntrySize);
        ++kept;
    }
    out[0] = static_cast<uint8_t>(kept);
    return kept;
}

bool SumDiskBlock(const uint8_t* block, size_t length, int32_t* sumA, int32_t* sumB, int32_t* count) {
    if (!block || length != static_cast<size_t>(kDiskBlockSize)) return false;
    int32_t entries = ReadInt32(block);
    if (entries < 0) entries = 0;
    if (entries > kMaxDiskEntries) entries = kMaxDiskEntries;
    int64_t a = 0, b = 0;
    for (int32_t i = 0; i < entries; ++i) {
        a += ReadInt32(block + 4 + 12 * i);
        b += ReadInt32(block + 8 + 12 * i);
    }
    *sumA = static_cast<int32_t>(a);
    *sumB = static_cast<int32_t>(b);
    *count = entries;
    return true;
}

bool ApplyChannelFlags(const uint8_t* block, size_t length, DEVICE_RECORD& record) {
    if (!block || length != static_cast<size_t>(kChannelFlagBlockSize)) return false;
    const int32_t flags = ReadInt32(block + 12);
    for (int i = 0; i < kMaxChannels; ++i) {
        record.channels[i].flagA = flags & 1;
        record.channels[i].flagB = (flags & 6) ? 1 : 0;
    }
    record.channelFlagsLoaded = 1;
    return true;
}

int IsPlannedAt(const uint8_t* channelPlan, size_t length, int weekday, int secondOfDay) {
    if (!channelPlan || length < static_cast<size_t>(kPlanBytesPerChannel) || weekday < 0 || weekday > 6) return 0;
    for (int section = 0; section < 6; ++section) {
        const uint8_t* v = channelPlan + 4 * (1 + weekday * 42 + section * 7);
        if ((ReadInt32(v) & 4) == 0) continue;
        const int begin = ReadInt32(v + 4) * 3600 + ReadInt32(v + 8) * 60 + ReadInt32(v + 12);
        const int end = ReadInt32(v + 16) * 3600 + ReadInt32(v + 20) * 60 + ReadInt32(v + 24);
        if (begin <= secondOfDay && secondOfDay <= end) return 1;
    }
    return 0;
}

const wchar_t* TalkFormatKey(int formatType) {
    switch (formatType) {
        case 0: return L"NoHead PCM";
        case 1: return L"HaveHead PCM";
        case 2: return L"G711a";
        case 3: return L"AMR";
        case 4: return L"G711u";
        case 5: return L"G726";
        default: return L"";
    }
}
