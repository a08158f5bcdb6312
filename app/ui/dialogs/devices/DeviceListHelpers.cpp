#include "DeviceListHelpers.h"

#include <string.h>

namespace {

const int kLoginTypeSelfRegistering = 2;

template <size_t N>
bool SameText(const char (&a)[N], const char (&b)[N]) {
    return strncmp(a, b, N - 1) == 0;
}

}  // namespace

int IsSameDeviceAddress(const DEVICE_RECORD& a, const DEVICE_RECORD& b) {
    if (a.logintype != b.logintype) return 0;
    if (a.logintype == kLoginTypeSelfRegistering) return a.port == b.port ? 1 : 0;
    if ((a.UseDDNS != 0) != (b.UseDDNS != 0)) return 0;
    if (a.UseDDNS)
        return SameText(a.DDNSIP, b.DDNSIP) && SameText(a.DDNSDevName, b.DDNSDevName) && a.DDNSPort == b.DDNSPort;
    return SameText(a.ip, b.ip) && a.port == b.port ? 1 : 0;
}
