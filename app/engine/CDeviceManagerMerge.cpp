// What the operator types about a device, taken into records: the typed
// values of AddDevice and ModifyDevice, and the device dialogs' commit into
// a live record, merged without touching what a login wrote.
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

// What the user types about a device; every text is cut to its field (the
// address keeps its whole field: dynamic-DNS host names run long).
void SetTypedValues(DEVICE_RECORD& record, const DEVICE_RECORD& typed) {
    CopyFixedText(record.title, typed.title);
    CopyFixedText(record.desc, typed.desc);
    CopyFixedText(record.ip, typed.ip);
    CopyFixedText(record.type, typed.type);
    CopyFixedText(record.manufacturer, typed.manufacturer);
    CopyFixedText(record.model, typed.model);
    CopyFixedText(record.user, typed.user);
    CopyFixedText(record.password, typed.password);
    CopyFixedText(record.DDNSIP, typed.DDNSIP);
    CopyFixedText(record.DDNSDevName, typed.DDNSDevName);
    CopyFixedText(record.cardsn, typed.cardsn);
    record.port = typed.port;
    record.UseDDNS = typed.UseDDNS;
    record.DDNSPort = typed.DDNSPort;
    record.logintype = typed.logintype;
}

DEVICE_RECORD TypedRecord(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                          const char* manufacturer, const char* model, const char* user, const char* password,
                          int useDdns, const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType,
                          const char* cardsn) {
    DEVICE_RECORD typed;
    typed.id = id;
    CopyFixedText(typed.title, title);
    CopyFixedText(typed.desc, desc);
    CopyFixedText(typed.ip, ip);
    CopyFixedText(typed.type, type);
    CopyFixedText(typed.manufacturer, manufacturer);
    CopyFixedText(typed.model, model);
    CopyFixedText(typed.user, user);
    CopyFixedText(typed.password, password);
    CopyFixedText(typed.DDNSIP, ddnsIp);
    CopyFixedText(typed.DDNSDevName, ddnsDevName);
    CopyFixedText(typed.cardsn, cardsn);
    typed.port = static_cast<uint16_t>(port);
    typed.UseDDNS = useDdns;
    typed.DDNSPort = static_cast<uint16_t>(ddnsPort);
    typed.logintype = loginType;
    return typed;
}

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

int CDeviceManager::AddDevice(const DEVICE_RECORD& typed) {
    int id = typed.id;
    if (id > kMaxDeviceId) id = id % 1000 + 10000;
    if (id < kMinDeviceId) id += 1000;
    DEVICE_RECORD record;
    record.id = id;
    SetTypedValues(record, typed);
    return AddDeviceRecord(record);
}

int CDeviceManager::ModifyDevice(int id, const DEVICE_RECORD& typed) {
    return m_registry.Update(id,
                             [&typed](DEVICE_RECORD& record) {
                                 SetTypedValues(record, typed);
                                 return true;
                             })
               ? 0
               : -1;
}

int CDeviceManager::AddDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                              const char* manufacturer, const char* model, const char* user, const char* password,
                              int useDdns, const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType,
                              const char* cardsn) {
    return AddDevice(TypedRecord(id, title, desc, ip, port, type, manufacturer, model, user, password, useDdns, ddnsIp,
                                 ddnsPort, ddnsDevName, loginType, cardsn));
}

int CDeviceManager::ModifyDevice(int id, const char* title, const char* desc, const char* ip, int port,
                                 const char* type, const char* manufacturer, const char* model, const char* user,
                                 const char* password, int useDdns, const char* ddnsIp, int ddnsPort,
                                 const char* ddnsDevName, int loginType, const char* cardsn) {
    return ModifyDevice(id, TypedRecord(id, title, desc, ip, port, type, manufacturer, model, user, password, useDdns,
                                        ddnsIp, ddnsPort, ddnsDevName, loginType, cardsn));
}
