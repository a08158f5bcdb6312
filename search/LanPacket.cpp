#include "search/LanPacket.h"

#include <assert.h>
#include <string.h>

namespace lan {
namespace {

std::vector<uint8_t> RequestHeader(uint8_t command, size_t totalSize, size_t extensionLength, uint32_t bodyLength) {
    assert(extensionLength <= 255);
    std::vector<uint8_t> packet(totalSize, 0);
    packet[kOffCommand] = command;
    packet[kOffRequestFlag] = 1;
    packet[kOffExtensionLength] = uint8_t(extensionLength);
    WriteLe32(&packet[kOffBodyLength], bodyLength);
    return packet;
}

void AppendExtension(std::vector<uint8_t>* packet, const uint8_t* extension, size_t length) {
    if (length > 0) memcpy(packet->data() + packet->size() - length, extension, length);
}

}  // namespace

std::vector<uint8_t> BuildSearchRequest(uint8_t form) {
    std::vector<uint8_t> packet = RequestHeader(kSearchRequest, kHeaderSize, 0, 0);
    packet[kOffForm] = form;
    return packet;
}

std::vector<uint8_t> BuildLoginRequest(const char* user, const char* password, const uint8_t* extension,
                                       size_t extensionLength) {
    if (!user) user = "";
    if (!password) password = "";
    const size_t userLength = strlen(user);
    const size_t passwordLength = strlen(password);
    std::vector<uint8_t> packet;
    if (userLength <= kShortCredentialMax && passwordLength <= kShortCredentialMax) {
        packet = RequestHeader(kLoginRequest, kHeaderSize + extensionLength, extensionLength, 0);
        memcpy(&packet[kOffUser], user, userLength);
        memcpy(&packet[kOffPassword], password, passwordLength);
    } else {
        const size_t bodyLength = userLength + 2 + passwordLength;
        packet = RequestHeader(kLoginRequest, kHeaderSize + bodyLength + extensionLength, extensionLength,
                               uint32_t(bodyLength));
        uint8_t* body = &packet[kHeaderSize];
        memcpy(body, user, userLength);
        memcpy(body + userLength, "&&", 2);
        memcpy(body + userLength + 2, password, passwordLength);
    }
    AppendExtension(&packet, extension, extensionLength);
    return packet;
}

std::vector<uint8_t> BuildModifyRequest(const LAN_DEVICE_RECORD& record, const uint8_t* extension,
                                        size_t extensionLength) {
    std::vector<uint8_t> packet =
        RequestHeader(kModify, kHeaderSize + kRecordSize + extensionLength, extensionLength, kRecordSize);
    packet[kOffForm] = kFormBinary;
    memcpy(&packet[kHeaderSize], record.bytes, kRecordSize);
    AppendExtension(&packet, extension, extensionLength);
    return packet;
}

void SetRecordAddresses(LAN_DEVICE_RECORD* record, uint32_t ip, uint32_t address2, uint32_t address3) {
    WriteLe32(&record->bytes[kRecIp], ip);
    WriteLe32(&record->bytes[kRecAddress2], address2);
    WriteLe32(&record->bytes[kRecAddress3], address3);
}

}  // namespace lan
