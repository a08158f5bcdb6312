// Helpers of the proxy tests: device records, a free local port, status.
#pragma once

#include <cstdint>
#include <string>

#include "proxy/Portmoor.h"

// A port on 127.0.0.1 that nothing listens on right now, from below the
// ephemeral range.
uint16_t FreeLocalPort();
// A record for a device reached directly at 127.0.0.1:devicePort whose SDK
// clients come to 127.0.0.1:localPort.
PROXY_DEVICE_INFO DirectDevice(uint16_t devicePort, uint16_t localPort, const char* user = "admin",
                               const char* password = "pw");
// Through the linked Portmoor (proxy_fixture); all zero when the query fails.
PROXY_DEVICE_STATUS Status(HANDLE device);
