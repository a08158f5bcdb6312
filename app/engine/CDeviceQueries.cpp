#include "app/engine/CDeviceQueries.h"

#include <string.h>

#include <algorithm>
#include <vector>

#include "app/engine/CNetSdk.h"
#include "app/engine/DeviceDefaultNames.h"
#include "app/engine/DeviceSdkBlocks.h"

namespace {

const int kChannelNameBytes = 32;
const int kChannelNameBufferSize = 8192;
const int kMaxFoundFiles = 200;

QVNET_TIME ToDeviceTime(__time64_t time) {
    QVNET_TIME out = {};
    SYSTEMTIME local = {};
    if (!CTime(time).GetAsSystemTime(local)) return out;
    out = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return out;
}

__time64_t FromDeviceTime(const QVNET_TIME& time) {
    return CTime(static_cast<int>(time.year), static_cast<int>(time.month), static_cast<int>(time.day),
                 static_cast<int>(time.hour), static_cast<int>(time.minute), static_cast<int>(time.second))
        .GetTime();
}

void FillChannelsFromNames(DEVICE_RECORD& record, const char* names, int named) {
    const int count = std::min(std::max<int>(record.channelCount, 0), kMaxChannels);
    for (int i = 0; i < count; ++i) {
        CHANNEL_SLOT& slot = record.channels[i];
        if (i < named) {
            char name[33] = {};
            memcpy(name, names + kChannelNameBytes * i, kChannelNameBytes);
            if (name[0] != '\0') {
                CopyFixedText(slot.name, name);
            } else {
                DefaultChannelName(slot.name, i);
            }
        } else if (named < 0) {
            DefaultChannelName(slot.name, i);
        } else {
            continue;  // the device named fewer channels: keep the old name and id
        }
        slot.channelId = record.id * 10000 + i;
    }
}

bool IsTalkFormatIndexValid(const DEVICE_RECORD& record, int index) {
    const int32_t count = ReadInt32(record.talkFormats);
    return index >= 0 && index < kMaxTalkFormats && index < count;
}

// Talk audio of the SDK's threads: captured audio goes to the device, the
// device's audio to the speakers. Touches no program state.
void QVNET_CALL DeviceTalkAudioCallback(int32_t talkHandle, const char* buffer, int32_t length, uint8_t kind,
                                        QVNET_USER) {
    try {
        if (kind == 0) {
            NetSdk().SendTalkAudio(talkHandle, buffer, length);
        } else if (kind == 1) {
            NetSdk().PlayDeviceAudio(buffer, length);
        }
    } catch (...) {}
}

// Record states of the channels from the record plan and the files found in
// the ten minutes around the device clock. 0, -4 no plan, -5 no clock.
int ReadChannelRecordStates(const DEVICE_RECORD& record, uint8_t* states) {
    const int32_t handle = record.loginHandle;
    const int channels = std::min(std::max<int>(record.channelCount, 0), kMaxChannels);
    std::vector<uint8_t> plan(static_cast<size_t>(channels) * kPlanBytesPerChannel + 4, 0);
    int32_t planLength = 0;
    const int32_t planSize = channels * kPlanBytesPerChannel;
    if (channels == 0 || NetSdk().ReadChannelConfig(handle, 5, -1, plan.data(), planSize, &planLength, 500) == 0 ||
        planLength == 0)
        return -4;
    int code = 0;
    QVNET_TIME now = {};
    if (NetSdk().ReadDeviceClock(handle, &now, 1000) != 1) {
        code = -5;
        now = ToDeviceTime(_time64(nullptr));
    }
    const __time64_t deviceTime = FromDeviceTime(now);
    struct tm local = {};
    _localtime64_s(&local, &deviceTime);
    const int secondOfDay = static_cast<int>(now.hour * 3600 + now.minute * 60 + now.second);
    const QVNET_TIME windowStart = ToDeviceTime(deviceTime - 600);
    const QVNET_TIME windowEnd = ToDeviceTime(deviceTime + 600);
    const size_t planBytes = std::min<size_t>(static_cast<size_t>(std::max(planLength, 0)), plan.size());
    std::vector<RECORD_FILE_DESC> found(kMaxFoundFiles);
    for (int j = 0; j < channels; ++j) {
        const size_t offset = static_cast<size_t>(j) * kPlanBytesPerChannel;
        const int planned =
            offset < planBytes ? IsPlannedAt(plan.data() + offset, planBytes - offset, local.tm_wday, secondOfDay) : 0;
        int32_t count = 0, result = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) Sleep(100);
            count = 0;
            result = NetSdk().FindRecordFiles(handle, j, 0, &windowStart, &windowEnd, nullptr, found.data(),
                                              static_cast<int32_t>(found.size() * sizeof(RECORD_FILE_DESC)), &count,
                                              3000, 0);
            if (result == 1 && count > 0) break;
        }
        count = std::min(count, kMaxFoundFiles);
        if (result != 0 && count > 0) {
            for (int f = 0; f < count; ++f) {
                if (found[f].recordType == 0) {
                    states[j] = planned ? 2 : 1;
                    break;
                }
            }
        } else {
            states[j] = planned ? 3 : 0;
        }
    }
    return code;
}

// Disks: configuration type 4, else type 10. False when neither reads.
bool ReadDiskSums(DEVICE_RECORD& record) {
    for (int32_t type : {4, 10}) {
        std::vector<uint8_t> block(kDiskBlockSize, 0);
        int32_t length = 0;
        if (NetSdk().ReadDeviceConfig(record.loginHandle, type, block.data(), kDiskBlockSize, &length, 1000) == 1 &&
            SumDiskBlock(block.data(), static_cast<size_t>(length), &record.diskSumA, &record.diskSumB,
                         &record.diskCount))
            return true;
    }
    return false;
}

}  // namespace

void CDeviceQueries::FillAlarms(DEVICE_RECORD& record, bool outputsToo) {
    for (int i = 0; i < record.alarmInCount; ++i) {
        ALARM_SLOT& slot = record.alarmIn[i];
        slot.alarmId = record.id * 10000 + 1000 + i;
        if (slot.name[0] == '\0') DefaultSlotName(slot.name, L"AlarmChannel", L"%s%d", i + 1);
    }
    if (!outputsToo) return;
    for (int i = 0; i < record.alarmOutCount; ++i) {
        ALARM_SLOT& slot = record.alarmOut[i];
        slot.alarmId = record.id * 10000 + 4000 + i;
        if (slot.name[0] == '\0') DefaultSlotName(slot.name, L"AlarmOutputChannel", L"%s%d", i + 1);
    }
}

void CDeviceQueries::ReadStatus(DEVICE_RECORD& record) {
    uint8_t status[12] = {};
    int32_t length = 0;
    if (NetSdk().ReadDeviceStatus(record.loginHandle, 257, reinterpret_cast<char*>(status), sizeof(status), &length,
                                  1000) == 1) {
        record.multiplay = ReadInt32(status);
        record.deviceStatus2 = ReadInt32(status + 4);
        record.deviceStatus3 = ReadInt32(status + 8);
    } else {
        record.multiplay = 0;
    }
}

void CDeviceQueries::ReadChannelNames(DEVICE_RECORD& record) {
    std::vector<char> names(kChannelNameBufferSize, 0);
    int32_t count = 0;
    if (NetSdk().ReadChannelNames(record.loginHandle, names.data(), kChannelNameBufferSize, &count, 1000) == 1) {
        int named = record.channelCount;
        if (count > 0 && count < record.channelCount) named = count;
        named = std::min(std::max(named, 0), kMaxChannels);
        FillChannelsFromNames(record, names.data(), named);
    } else {
        FillChannelsFromNames(record, names.data(), -1);
    }
}

void CDeviceQueries::ReadChannelFlags(DEVICE_RECORD& record) {
    if (record.channelFlagsLoaded != 0) return;
    std::vector<uint8_t> block(kChannelFlagBlockSize, 0);
    int32_t length = 0;
    if (NetSdk().ReadDeviceConfig(record.loginHandle, 17, block.data(), kChannelFlagBlockSize, &length, 3000) == 1) {
        ApplyChannelFlags(block.data(), static_cast<size_t>(length), record);
    }
}

void CDeviceQueries::ReadTalkFormats(DEVICE_RECORD& record) {
    std::vector<uint8_t> block(kTalkFormatBlockSize, 0);
    int32_t length = 0;
    // A device without talk formats is still logged in: it just offers no talk.
    if (NetSdk().ReadDeviceConfig(record.loginHandle, 9, block.data(), kTalkFormatBlockSize, &length, 3000) != 1) {
        length = 0;
    }
    const size_t usable = std::min<size_t>(static_cast<size_t>(std::max(length, 0)), block.size());
    FilterTalkFormats(block.data(), usable, record.talkFormats);
}

void CDeviceQueries::ReadDisks(DEVICE_RECORD& record) { ReadDiskSums(record); }

int CDeviceQueries::CheckRecordState(DEVICE_RECORD& record, uint8_t* states) {
    int code = ReadDiskSums(record) ? 0 : -2;
    int32_t stateLength = 0;
    if (NetSdk().ReadRecordStates(record.loginHandle, reinterpret_cast<char*>(states), kMaxChannels, &stateLength,
                                  3000) == 0 ||
        stateLength == 0) {
        code = -3;
    }
    const int planCode = ReadChannelRecordStates(record, states);
    if (planCode != 0) code = planCode;
    ReadChannelFlags(record);
    return code;
}

int CDeviceQueries::SyncClock(const DEVICE_RECORD& record, __time64_t time, bool force) {
    const QVNET_TIME wanted = ToDeviceTime(time);
    if (force) return NetSdk().WriteDeviceClock(record.loginHandle, &wanted) != 0 ? 0 : -1;
    QVNET_TIME device = {};
    if (NetSdk().ReadDeviceClock(record.loginHandle, &device, 1000) != 1) return -1;
    const int64_t deviceDate = device.year * 372LL + device.month * 31LL + device.day;
    const int64_t wantedDate = wanted.year * 372LL + wanted.month * 31LL + wanted.day;
    const int64_t deviceSecond = device.hour * 3600LL + device.minute * 60LL + device.second;
    const int64_t wantedSecond = wanted.hour * 3600LL + wanted.minute * 60LL + wanted.second;
    const bool behind = deviceDate < wantedDate || (deviceDate == wantedDate && deviceSecond < wantedSecond);
    if (!behind) return -1;
    return NetSdk().WriteDeviceClock(record.loginHandle, &wanted) != 0 ? 0 : -1;
}

int32_t CDeviceQueries::OpenTalk(const DEVICE_RECORD& record, int formatIndex) {
    if (!IsTalkFormatIndexValid(record, formatIndex)) return 0;
    const uint8_t* format = record.talkFormats + 4 + formatIndex * kTalkFormatEntrySize;
    NetSdk().SetTalkEncoding(record.loginHandle, 2, format);
    const int32_t talkHandle = NetSdk().OpenTalk(record.loginHandle, &DeviceTalkAudioCallback, 5);
    NetSdk().LastErrorCode();
    if (talkHandle == 0) return 0;
    if (NetSdk().StartLocalAudio() == 0) {
        CloseTalk(talkHandle);
        return 0;
    }
    return talkHandle;
}

void CDeviceQueries::CloseTalk(int32_t talkHandle) {
    NetSdk().StopLocalAudio();
    NetSdk().CloseTalk(talkHandle);
}
