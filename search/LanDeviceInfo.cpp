#include "search/LanDeviceInfo.h"

#include <stdio.h>
#include <string.h>

using namespace lan;

namespace {

// Text bodies are read into a buffer of this size as a zero-terminated string.
constexpr size_t kTextBufferSize = 8000;
constexpr int kMaxTextParts = 10;
constexpr int kPartIp = 5;
constexpr int kPartAddress2 = 6;
constexpr int kPartAddress3 = 7;
constexpr int kPartLabel = 8;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads one number of dotted text; returns false when there is none or it overflows.
bool ParseIpv4Part(const char** cursor, uint32_t* value) {
    const char* p = *cursor;
    uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    const char* digitsStart = p;
    uint64_t result = 0;
    for (;; ++p) {
        uint32_t digit;
        if (*p >= '0' && *p <= '9')
            digit = uint32_t(*p - '0');
        else if (base == 16 && *p >= 'a' && *p <= 'f')
            digit = uint32_t(*p - 'a' + 10);
        else if (base == 16 && *p >= 'A' && *p <= 'F')
            digit = uint32_t(*p - 'A' + 10);
        else
            break;
        if (digit >= base) return false;
        result = result * base + digit;
        if (result > 0xFFFFFFFFu) return false;
    }
    if (p == digitsStart && base != 8) return false;
    *value = uint32_t(result);
    *cursor = p;
    return true;
}

// Text parts of a record: pointers into one buffer, split at "::" in place.
struct TextParts {
    char buffer[kTextBufferSize];
    const char* part[kMaxTextParts];
    int count;
};

void SplitTextRecord(const uint8_t* body, size_t length, TextParts* parts) {
    const size_t taken = length < kTextBufferSize - 1 ? length : kTextBufferSize - 1;
    memcpy(parts->buffer, body, taken);
    parts->buffer[taken] = '\0';
    parts->count = 0;
    char* p = parts->buffer;
    while (*p != '\0' && parts->count < kMaxTextParts) {
        parts->part[parts->count++] = p;
        char* separator = strstr(p, "::");
        if (!separator) break;
        *separator = '\0';
        p = separator + 2;
    }
}

const char* PartOrEmpty(const TextParts& parts, int index) { return index < parts.count ? parts.part[index] : ""; }

void CopyText(char* dest, size_t destSize, const char* text) {
    const size_t length = strnlen(text, destSize - 1);
    memcpy(dest, text, length);
    dest[length] = '\0';
}

// inet_addr gives INADDR_NONE for text that is not an address.
uint32_t AddressWordOrNone(const char* text) {
    uint32_t word;
    return ParseIpv4Text(text, &word) ? word : 0xFFFFFFFFu;
}

}  // namespace

bool ParseIpv4Text(const char* text, uint32_t* word) {
    if (!text) return false;
    uint32_t parts[4];
    int count = 0;
    const char* p = text;
    for (;;) {
        if (count == 4 || !ParseIpv4Part(&p, &parts[count])) return false;
        ++count;
        if (*p != '.') break;
        ++p;
    }
    if (*p != '\0' && !IsSpace(*p)) return false;
    // The last part fills every byte the earlier parts left.
    uint32_t host = 0;
    for (int i = 0; i < count - 1; ++i) {
        if (parts[i] > 0xFF) return false;
        host |= parts[i] << (24 - 8 * i);
    }
    const uint32_t lastMax = count == 1 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> (8 * (count - 1)));
    if (parts[count - 1] > lastMax) return false;
    host |= parts[count - 1];
    // Wire order: the first byte of the text is the first byte in memory.
    const uint8_t bytes[4] = {uint8_t(host >> 24), uint8_t(host >> 16), uint8_t(host >> 8), uint8_t(host)};
    *word = ReadLe32(bytes);
    return true;
}

void FormatIpv4Text(uint32_t word, char* out, size_t outSize) {
    snprintf(out, outSize, "%u.%u.%u.%u", unsigned(word & 0xFF), unsigned((word >> 8) & 0xFF),
             unsigned((word >> 16) & 0xFF), unsigned(word >> 24));
}

void MakeInfoFromRecord(const LAN_DEVICE_RECORD& record, const uint8_t* extension, size_t extensionLength,
                        DEVICE_NET_INFO* info) {
    memset(info, 0, sizeof(*info));
    info->ip = ReadLe32(&record.bytes[kRecIp]);
    info->address2 = ReadLe32(&record.bytes[kRecAddress2]);
    info->address3 = ReadLe32(&record.bytes[kRecAddress3]);
    info->word4 = ReadLe32(&record.bytes[kRecWord4]);
    info->port = ReadLe16(&record.bytes[kRecPort]);
    FormatIpv4Text(info->ip, info->ipText, sizeof(info->ipText));
    // Extension bytes 0-15 as they come; byte 16 widened to a 16-bit word.
    const size_t copied = extensionLength < 16 ? extensionLength : 16;
    if (copied > 0) memcpy(info->extra, extension, copied);
    if (extensionLength > 16) info->extra[16] = extension[16];
}

bool MakeInfoFromText(const uint8_t* body, size_t length, DEVICE_NET_INFO* info) {
    memset(info, 0, sizeof(*info));
    TextParts parts;
    SplitTextRecord(body, length, &parts);
    const char* ipText = PartOrEmpty(parts, kPartIp);
    uint32_t ip;
    if (!ParseIpv4Text(ipText, &ip) || ip == 0) return false;
    info->ip = ip;
    info->address2 = AddressWordOrNone(PartOrEmpty(parts, kPartAddress2));
    info->address3 = AddressWordOrNone(PartOrEmpty(parts, kPartAddress3));
    CopyText(info->ipText, sizeof(info->ipText), ipText);
    CopyText(reinterpret_cast<char*>(info->extra), sizeof(info->extra), PartOrEmpty(parts, kPartLabel));
    return true;
}
