#include <cstring>

#include "tests/proxy/support/ProxyFixture.h"

PROXY_DEVICE_STATUS Status(HANDLE device) {
    static PROXY_DEVICE_STATUS status;
    std::memset(&status, 0xEE, sizeof(status));
    if (!PROXY_QueryDeviceStatus(device, &status)) std::memset(&status, 0, sizeof(status));
    return status;
}
