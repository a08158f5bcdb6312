#include "plugins/kestrin/AutoProtocol.h"

#include <cstring>

#include "plugins/kestrin/AutoStrings.h"

namespace kestrin {

namespace {

const uint8_t kBuiltMarker = 0x50;  // byte 3 of login and sub-connection packets

size_t BoundedLength(const char* text, size_t limit) {
    size_t n = 0;
    while (n <= limit && text[n] != '\0') ++n;
    return n;
}

}  // namespace

size_t AvailableBody(const uint8_t* packet, size_t length) {
    if (packet == nullptr || length < kHeaderSize) return 0;
    size_t present = length - kHeaderSize;
    uint32_t announced = ReadLe32(packet + 4);
    return announced < present ? announced : present;
}

uint8_t SubCodeOf(const uint8_t* packet, size_t length) {
    return (packet != nullptr && length >= kHeaderSize) ? packet[kSubCodeOffset] : 0;
}

size_t TableEntrySize(uint8_t subCode) {
    switch (subCode) {
        case kSubTable127: return 180;
        case kSubTable126: return 40;
        case kSubTable123: return 16;
        default: return 0;
    }
}

int ClampChannelCount(int channelCount) {
    if (channelCount < 0) return 0;
    return channelCount > kMaxChannels ? kMaxChannels : channelCount;
}

uint8_t RequestForReply(uint8_t replyCommand) {
    switch (replyCommand) {
        case kCmdAnswerB2: return kCmdQueryA2;
        case kCmdQueryAnswer: return kCmdQuery;
        case kCmdRegister: return kCmdQueryA4;
        case kCmdAnswerB5: return kCmdQueryA6;
        case kCmdAnswerB6: return kCmdQueryA5;
        case kCmdListAnswer: return kCmdListQuery;
        case kCmdAnswerBA: return kCmdQueryC7;
        case kCmdAnswerC0: return kCmdQueryC0;
        case kCmdAnswerE4: return kCmdQueryCD;
        default: return replyCommand;
    }
}

int ParseRegistration(const uint8_t* data, size_t length, AUTO_REGISTRATION* out) {
    if (data == nullptr || out == nullptr || length < kHeaderSize || length >= kRegistrationPacketLimit ||
        data[0] != kCmdRegister || data[8] != kRegistrationSubType) {
        return kNotRegistration;
    }
    uint32_t idLength = ReadLe32(data + 4);
    if (idLength == 0 || idLength >= kRegistrationIdSize || idLength > length - kHeaderSize) return kRegistrationBadId;
    const uint8_t* id = data + kHeaderSize;
    if (std::memchr(id, 0, idLength) != nullptr) return kRegistrationBadId;
    std::memcpy(out->id, id, idLength);
    std::memset(out->id + idLength, 0, kRegistrationIdSize - idLength);
    out->connectionIndex = data[28];
    return kRegistrationOk;
}

bool RegistrationIdEquals(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    return SameTextIgnoringCase(a, b, std::strlen(a) + 1);
}

void BuildKeepAlivePacket(uint8_t out[kHeaderSize]) {
    std::memset(out, 0, kHeaderSize);
    out[0] = kCmdKeepAlive;
}

int BuildLoginPacket(const char* userName, const char* password, uint8_t* out, size_t capacity) {
    if (userName == nullptr || password == nullptr || out == nullptr) return -1;
    size_t userLength = BoundedLength(userName, kMaxCredentialLength);
    size_t passwordLength = BoundedLength(password, kMaxCredentialLength);
    if (userLength > kMaxCredentialLength || passwordLength > kMaxCredentialLength) return -1;

    const size_t kShortField = 8;
    bool shortForm = userLength <= kShortField && passwordLength <= kShortField;
    size_t bodyLength = shortForm ? 0 : userLength + 2 + passwordLength;
    if (capacity < kHeaderSize + bodyLength) return -1;

    std::memset(out, 0, kHeaderSize);
    out[0] = kCmdLogin;
    out[3] = kBuiltMarker;
    WriteLe32(out + 4, uint32_t(bodyLength));
    out[24] = 4;
    out[25] = 1;
    out[30] = 0xA1;
    out[31] = 0xAA;
    if (shortForm) {
        // Eight-character texts fill their field without a terminator.
        std::memcpy(out + 8, userName, userLength);
        std::memcpy(out + 16, password, passwordLength);
    } else {
        uint8_t* body = out + kHeaderSize;
        std::memcpy(body, userName, userLength);
        body[userLength] = '&';
        body[userLength + 1] = '&';
        std::memcpy(body + userLength + 2, password, passwordLength);
    }
    return int(kHeaderSize + bodyLength);
}

void BuildSubConnectPacket(uint32_t loginId, int connectionIndex, int channelCount, uint8_t out[kHeaderSize]) {
    std::memset(out, 0, kHeaderSize);
    out[0] = kCmdSubConnect;
    out[3] = kBuiltMarker;
    WriteLe32(out + 8, loginId);
    out[12] = IsLastSubConnection(connectionIndex, channelCount) ? 2 : 1;
    out[13] = uint8_t(connectionIndex);
}

int ParseLoginReply(const uint8_t* data, size_t length, AUTO_LOGIN_REPLY* out) {
    if (data == nullptr || out == nullptr || length < kHeaderSize || length > kMaxLoginReply ||
        data[0] != kCmdLoginReply) {
        return -1;
    }
    out->channelCount = data[10];
    out->loginId = ReadLe32(data + 16);
    return 0;
}

int BuildLoginAnswer(const uint8_t* loginReply, size_t replyLength, int32_t clientId, int totalChannels, uint8_t* out,
                     size_t capacity) {
    if (loginReply == nullptr || out == nullptr || replyLength < kHeaderSize || replyLength > capacity) {
        return -1;
    }
    std::memmove(out, loginReply, replyLength);
    WriteLe32(out + 16, uint32_t(clientId));
    out[10] = uint8_t(totalChannels);
    return int(replyLength);
}

int BuildSubConnectAnswer(const uint8_t* request, size_t length, uint8_t out[kHeaderSize]) {
    if (request == nullptr || length < kHeaderSize) return -1;
    uint8_t answer[kHeaderSize] = {};
    answer[0] = kCmdSubConnect;
    answer[3] = request[3];
    std::memcpy(answer + 8, request + 8, 6);
    std::memcpy(out, answer, kHeaderSize);
    return int(kHeaderSize);
}

void BuildKeepAliveAnswer(uint8_t out[kHeaderSize]) {
    std::memset(out, 0, kHeaderSize);
    out[0] = kCmdKeepAliveAnswer;
}

int BuildOfflineQueryAnswer(const uint8_t* request, size_t length, uint8_t* out, size_t capacity) {
    if (request == nullptr || out == nullptr || length < kHeaderSize || capacity < kOfflineQueryAnswerSize) {
        return -1;
    }
    std::memset(out, 0, kOfflineQueryAnswerSize);
    out[0] = kCmdQueryAnswer;
    WriteLe32(out + 4, uint32_t(kOfflineQueryAnswerSize - kHeaderSize));
    std::memcpy(out + 8, request + 8, kHeaderSize - 8);
    return int(kOfflineQueryAnswerSize);
}

}  // namespace kestrin
