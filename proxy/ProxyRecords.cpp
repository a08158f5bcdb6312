#include "proxy/ProxyRecords.h"

#include <cstring>

void CopyTextField(char* dest, size_t destSize, const char* src, size_t srcSize) {
    if (!dest || destSize == 0) return;
    size_t length = 0;
    if (src) {
        while (length < srcSize && length + 1 < destSize && src[length] != '\0') ++length;
        std::memcpy(dest, src, length);
    }
    dest[length] = '\0';
}

void FillPluginRecord(const PROXY_DEVICE_INFO& in, bool withCounts, PLUGIN_DEVICE_RECORD& out) {
    std::memset(&out, 0, sizeof(out));
    CopyTextField(out.regAddress, in.regAddress);
    out.regPort = in.regPort;
    CopyTextField(out.userName, in.userName);
    CopyTextField(out.password, in.password);
    CopyTextField(out.registrationId, in.registrationId);
    if (withCounts) {
        out.streamMode = in.streamMode;
        out.channelCount = in.channelCount;
        out.deviceInfo = in.deviceInfo;
    }
}
