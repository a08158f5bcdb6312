#include "search/CLanReplyParser.h"

#include <string.h>

using namespace lan;

int CLanReplyParser::Parse(const uint8_t* packet, size_t length, LAN_DEVICE_RECORD* out, int mode) {
    if (mode != 1 || !packet || length < kHeaderSize) return kIgnored;
    switch (packet[kOffCommand]) {
        case lan::kSearchReply: return ParseSearchReply(packet, length, out);
        case lan::kLoginReply:
            if (packet[kOffState] != 0) m_loginError = packet[kOffError];
            m_loginState = packet[kOffState];
            return kLoginAnswer;
        case lan::kModify: m_modifyResult = packet[kOffState]; return kModifyAnswer;
        default: return kIgnored;
    }
}

int CLanReplyParser::ParseSearchReply(const uint8_t* packet, size_t length, LAN_DEVICE_RECORD* out) {
    // 64-bit sum: a body length near 4 GiB must not wrap into a match.
    const uint64_t bodyLength = ReadLe32(&packet[kOffBodyLength]);
    const uint64_t extensionLength = packet[kOffExtensionLength];
    if (uint64_t(kHeaderSize) + bodyLength + extensionLength != length) return kIgnored;
    const uint8_t* extension = packet + kHeaderSize + bodyLength;
    m_extension.assign(extension, extension + extensionLength);

    const uint8_t form = packet[kOffForm];
    if (form == kFormBinary && bodyLength == kRecordSize) {
        if (out) memcpy(out->bytes, packet + kHeaderSize, kRecordSize);
        return kBinaryDevice;
    }
    if (form == kFormText) {
        m_textBodyLength = size_t(bodyLength);
        return kTextDevice;
    }
    return kIgnored;
}

int CLanReplyParser::LoginResult(int bytesSent) const {
    if (m_loginState == 3) return -8;
    if (m_loginState != 1) return bytesSent;
    switch (m_loginError) {
        case 0: return -1;
        case 1: return -2;
        case 3: return -3;
        case 4: return -4;
        case 5: return -5;
        case 6: return -6;
        default: return -7;
    }
}

int CLanReplyParser::ModifyOutcome(const char** text) const {
    // GBK text as the devices' owners read it: "IP address changed!",
    // "IP address change failed!", "Invalid data!", "Cannot change!".
    static const char kChanged[] = "IP\xB5\xD8\xD6\xB7\xD0\xDE\xB8\xC4\xB3\xC9\xB9\xA6!";
    static const char kFailed[] = "IP\xB5\xD8\xD6\xB7\xD0\xDE\xB8\xC4\xCA\xA7\xB0\xDC!";
    static const char kInvalid[] = "\xCA\xFD\xBE\xDD\xB2\xBB\xBA\xCF\xB7\xA8!";
    static const char kRefused[] = "\xB2\xBB\xC4\xDC\xD0\xDE\xB8\xC4!";
    switch (m_modifyResult) {
        case 0: *text = kChanged; return 0;
        case 1: *text = kFailed; return 1;
        case 3: *text = kInvalid; return 2;
        case 4: *text = kRefused; return 3;
        default: *text = ""; return -1;
    }
}
