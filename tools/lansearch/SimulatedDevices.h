// The devices that the LAN device responder plays, shared with the tests that
// talk to it: what each one answers and with which bytes. The responder
// keeps its own little-endian codec on purpose, written apart from the
// search library's, so the tests check one against the other.
#pragma once

#include <stdint.h>

namespace simdev {

// Address words in wire order: the first dotted number is the first byte.
constexpr uint32_t Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return uint32_t(a) | uint32_t(b) << 8 | uint32_t(c) << 16 | uint32_t(d) << 24;
}

// Device A answers the binary search with an 88-byte record (twice per
// request), logs in with kUser/kPassword and takes IP changes.
constexpr uint32_t kDeviceAIp = Address(10, 77, 0, 21);
constexpr uint32_t kDeviceAMask = Address(255, 255, 255, 0);
constexpr uint32_t kDeviceAGateway = Address(10, 77, 0, 1);
constexpr uint32_t kDeviceAWord4 = 0x12345678;
constexpr uint16_t kDeviceAPort = 8000;
constexpr uint8_t kDeviceAExtensionFirst = 0xA0;  // 17 bytes counting up from here
constexpr int kDeviceAExtensionLength = 17;
constexpr const char* kUser = "admin";
constexpr const char* kPassword = "secret";
constexpr const char* kLongUser = "administrator";  // accepted in the long form too
// Device A refuses a wrong password with state 1, error 1, and an IP change
// to address 0 with result byte 3 (invalid data).

// Device B answers the text search with a text record (twice per request)
// without extension bytes, and never answers a login. Addressed with another
// device's extension, its login would be answered by that device.
constexpr const char* kDeviceBText = "B::model::serial::fw::hw::10.77.0.22::255.255.0.0::10.77.0.254::camera-b::";
constexpr uint32_t kDeviceBIp = Address(10, 77, 0, 22);

// Broken replies sent with every binary search, naming a device that must
// never be found: one a byte too long, one cut inside the header.
constexpr uint32_t kBrokenDeviceIp = Address(10, 77, 0, 99);

}  // namespace simdev
