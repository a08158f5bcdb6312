// The device dialogs' commit into a live record: the fields the operator
// edits, merged without touching what a login wrote.
#include "app/engine/CDeviceManager.h"

#include <string.h>

namespace {

template <size_t N>
void CopyField(char (&target)[N], const char (&source)[N]) {
    CopyFixedText(target, source);
}

void MergeSlotNames(CHANNEL_SLOT* target, const CHANNEL_SLOT* source, int count) {
    for (int i = 0; i < count; ++i) CopyField(target[i].name, source[i].name);
}

void MergeSlotNames(ALARM_SLOT* target, const ALARM_SLOT* source, int count) {
    for (int i = 0; i < count; ++i) CopyField(target[i].name, source[i].name);
}

int ClampCount(int count, int limit) { return count < 0 ? 0 : (count > limit ? limit : count); }

}  // namespace

void CDeviceManager::MergeDeviceFields(DEVICE_RECORD& target, const DEVICE_RECORD& edited) {
    CopyField(target.title, edited.title);
    CopyField(target.desc, edited.desc);
    CopyField(target.ip, edited.ip);
    CopyField(target.user, edited.user);
    CopyField(target.password, edited.password);
    CopyField(target.type, edited.type);
    CopyField(target.model, edited.model);
    CopyField(target.cardsn, edited.cardsn);
    target.port = edited.port;
    target.logintype = edited.logintype;
    target.UseDDNS = edited.UseDDNS;
    if (edited.UseDDNS) {
        CopyField(target.DDNSIP, edited.DDNSIP);
        CopyField(target.DDNSDevName, edited.DDNSDevName);
        target.DDNSPort = edited.DDNSPort;
    } else {
        memset(target.DDNSIP, 0, sizeof(target.DDNSIP));
        memset(target.DDNSDevName, 0, sizeof(target.DDNSDevName));
        target.DDNSPort = kDefaultDdnsPort;
    }
    memcpy(target.talkFormats, edited.talkFormats, sizeof(target.talkFormats));
    target.multiplay = edited.multiplay;
    target.deviceStatus2 = edited.deviceStatus2;
    target.deviceStatus3 = edited.deviceStatus3;
    target.channelCount = edited.channelCount;
    MergeSlotNames(target.channels, edited.channels, ClampCount(edited.channelCount, kMaxChannels));
    target.alarmInCount = edited.alarmInCount;
    MergeSlotNames(target.alarmIn, edited.alarmIn, ClampCount(edited.alarmInCount, kMaxAlarms));
    target.alarmOutCount = edited.alarmOutCount;
    MergeSlotNames(target.alarmOut, edited.alarmOut, ClampCount(edited.alarmOutCount, kMaxAlarms));
    // The file job and disk figures after the slots belong to the session.
}

int CDeviceManager::MergeDeviceFields(int id, const DEVICE_RECORD& edited) {
    bool found = m_registry.Update(id, [&edited](DEVICE_RECORD& stored) {
        MergeDeviceFields(stored, edited);
        return true;
    });
    return found ? 0 : -1;
}
