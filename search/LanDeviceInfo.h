// The record a search callback receives for each found device, and how it is
// filled from a binary device record or from a text record. Pure code: no
// Winsock header, so it also builds natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// 104 bytes, little-endian; address words keep the byte order of the wire.
typedef struct DEVICE_NET_INFO {
    uint32_t ip;        // device address
    uint32_t address2;  // second address word
    uint32_t address3;  // third address word
    uint32_t word4;     // fourth record word (binary replies only)
    uint16_t port;      // 0 for text replies
    char ipText[64];    // dotted text, zero-terminated
    // Binary reply: extension bytes 0-15, byte 16 widened to 16 bits, then 0.
    // Text reply: a zero-terminated short text (at most 21 characters).
    uint8_t extra[22];
} DEVICE_NET_INFO;

#ifdef __cplusplus
}
static_assert(sizeof(DEVICE_NET_INFO) == 104, "DEVICE_NET_INFO is a wire-sized record");
static_assert(offsetof(DEVICE_NET_INFO, ipText) == 18, "DEVICE_NET_INFO layout");
static_assert(offsetof(DEVICE_NET_INFO, extra) == 82, "DEVICE_NET_INFO layout");

#include "search/LanPacket.h"

// Parses dotted IPv4 text the way inet_addr does ("a", "a.b", "a.b.c",
// "a.b.c.d"; each part decimal, 0x-hex or 0-octal; text after a space is
// ignored). Returns true and the address word in wire byte order, or false
// for empty or malformed text.
bool ParseIpv4Text(const char* text, uint32_t* word);

// Writes the dotted text of a wire-order address word (at least 16 bytes).
void FormatIpv4Text(uint32_t word, char* out, size_t outSize);

// Fills info from a binary device record and the reply's extension bytes
// (missing extension bytes are taken as 0).
void MakeInfoFromRecord(const LAN_DEVICE_RECORD& record, const uint8_t* extension, size_t extensionLength,
                        DEVICE_NET_INFO* info);

// Fills info from the body of a text record. Returns true when the record
// names a device: its address part is valid dotted text of a non-zero
// address; false otherwise (info is then unspecified).
bool MakeInfoFromText(const uint8_t* body, size_t length, DEVICE_NET_INFO* info);
#endif
