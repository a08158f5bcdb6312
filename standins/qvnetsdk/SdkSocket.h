// Blocking Winsock helpers shared by the SDK and the simulated recorder.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "common/UniqueHandle.h"
#include "standins/qvnetsdk/CPacketFramer.h"

namespace qvsock {

// WSAStartup / WSACleanup pair; Winsock counts the calls itself.
bool Startup();
void Cleanup();

// Connects a TCP socket to an IPv4 dotted address within waitMs. Returns the
// connected blocking socket (TCP_NODELAY on), or INVALID_SOCKET. The opening
// functions hand a raw socket over: the caller owns it (most put it in a
// CUniqueSocket at once).
SOCKET Connect(const char* ip, uint16_t port, uint32_t waitMs);
// Binds (and for TCP listens on) ip:port; port 0 takes a free one. Returns
// the socket or INVALID_SOCKET; `boundPort` receives the port.
SOCKET Listen(const char* ip, uint16_t port, uint16_t& boundPort);
SOCKET BindUdp(const char* ip, uint16_t port, uint16_t& boundPort);

// Sends every byte; false when the connection failed.
bool SendAll(SOCKET s, const uint8_t* data, size_t length);
inline bool SendAll(SOCKET s, const std::vector<uint8_t>& data) { return SendAll(s, data.data(), data.size()); }

// True when the socket became readable within waitMs.
bool WaitReadable(SOCKET s, uint32_t waitMs);

// Reads until the framer yields a whole packet. Returns false when the
// connection closed or failed, when a packet announced an oversized body, or
// when `stop` became true (checked every pollMs while nothing arrives, and
// before every read). Bytes already waiting are read at once, up to 256 KiB
// at a time straight into the framer; readiness is awaited only when none
// are, and a framer left idle for pollMs gives its storage back.
bool ReceivePacket(SOCKET s, CPacketFramer& framer, std::vector<uint8_t>& packet, const std::atomic<bool>& stop,
                   uint32_t pollMs = 200);
// As above, with the header decoded and only the body copied out.
bool ReceivePacket(SOCKET s, CPacketFramer& framer, qvwire::PacketHeader& header, std::vector<uint8_t>& body,
                   const std::atomic<bool>& stop, uint32_t pollMs = 200);

// Waits up to waitMs for a packet whose command byte is `command`, skipping
// others. False on time-out, a broken connection or an oversized packet.
bool ReceiveCommand(SOCKET s, uint8_t command, uint32_t waitMs, std::vector<uint8_t>& packet);

}  // namespace qvsock
