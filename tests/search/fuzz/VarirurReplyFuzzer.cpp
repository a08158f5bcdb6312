// Drives the search reply parser and the found-device record builders with
// arbitrary datagrams. The first byte splits the input into two datagrams fed
// to one parser, so that state kept from one reply meets the next.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "search/CLanReplyParser.h"
#include "search/LanDeviceInfo.h"
#include "search/LanPacket.h"

namespace {

void FeedDatagram(CLanReplyParser* parser, const uint8_t* data, size_t size) {
    // An exact-size copy: any read past the datagram is caught.
    std::vector<uint8_t> datagram(data, data + size);
    LAN_DEVICE_RECORD record;
    memset(&record, 0, sizeof(record));
    DEVICE_NET_INFO info;
    switch (parser->Parse(datagram.data(), datagram.size(), &record, 1)) {
        case CLanReplyParser::kBinaryDevice:
            MakeInfoFromRecord(record, parser->Extension(), parser->ExtensionLength(), &info);
            // The record goes back out in a modify request with the extension.
            lan::BuildModifyRequest(record, parser->Extension(), parser->ExtensionLength());
            break;
        case CLanReplyParser::kTextDevice:
            MakeInfoFromText(datagram.data() + parser->TextBodyOffset(), parser->TextBodyLength(), &info);
            break;
        case CLanReplyParser::kLoginAnswer: parser->LoginResult(32); break;
        case CLanReplyParser::kModifyAnswer: {
            const char* text;
            parser->ModifyOutcome(&text);
            break;
        }
        default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t split = data[0] < size - 1 ? data[0] : size - 1;
    const uint8_t* payload = data + 1;
    const size_t payloadSize = size - 1;
    CLanReplyParser parser;
    FeedDatagram(&parser, payload, split);
    FeedDatagram(&parser, payload + split, payloadSize - split);

    const std::string text(reinterpret_cast<const char*>(payload), payloadSize);
    uint32_t word;
    ParseIpv4Text(text.c_str(), &word);
    lan::BuildLoginRequest(text.c_str(), text.c_str() + text.size() / 2, payload,
                           payloadSize < 255 ? payloadSize : 255);
    return 0;
}
