// Blocking TCP helpers of the stand-in plug-ins.
#pragma once

#include <winsock2.h>

#include <cstddef>
#include <cstdint>

namespace standin {

// A connected socket, or INVALID_SOCKET when the connection is refused or
// not made within waitMs.
SOCKET ConnectTo(const char* address, uint16_t port, uint32_t waitMs);
// True when every byte was sent.
bool SendAll(SOCKET s, const uint8_t* data, size_t length);
// 1 when s has bytes (or its end) to read, 0 when waitMs passed, -1 on error.
int WaitReadable(SOCKET s, uint32_t waitMs);

}  // namespace standin
