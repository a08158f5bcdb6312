#include "app/engine/DEVICE_RECORD.h"

#include <string.h>

CHANNEL_SLOT::CHANNEL_SLOT() { memset(static_cast<void*>(this), 0, sizeof(*this)); }

ALARM_SLOT::ALARM_SLOT() { memset(static_cast<void*>(this), 0, sizeof(*this)); }

DEVICE_RECORD::DEVICE_RECORD() {
    memset(static_cast<void*>(this), 0, sizeof(*this));
    port = kDefaultDevicePort;
    DDNSPort = kDefaultDdnsPort;
}

DEVICE_RECORD DEVICE_RECORD::Empty() {
    DEVICE_RECORD record;
    memset(static_cast<void*>(&record), 0, sizeof(record));
    return record;
}

void DEVICE_RECORD::ResetLoginState() {
    loggedIn = 0;
    loginHandle = 0;
    talkOpen = 0;
    talkHandle = 0;
    lastLoginError = 0;
    channelFlagsLoaded = 0;
    loginTime = 0;
    for (int i = 0; i < kMaxChannels; ++i) {
        channels[i].flagA = 0;
        channels[i].flagB = 0;
    }
    logoutTime = _time64(nullptr);
}

size_t CopyFixedText(char* field, size_t width, const char* text, size_t maxBytes) {
    if (width == 0) return 0;
    if (maxBytes >= width) maxBytes = width - 1;
    size_t length = text ? strnlen(text, maxBytes) : 0;
    if (length != 0) memcpy(field, text, length);
    memset(field + length, 0, width - length);
    return length;
}
