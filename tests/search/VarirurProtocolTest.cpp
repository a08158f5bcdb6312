// The search protocol's pure code: request bytes, reply classification, the
// found-device record and the dotted-address parser.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "search/CLanReplyParser.h"
#include "search/LanDeviceInfo.h"
#include "search/LanPacket.h"

using Bytes = std::vector<uint8_t>;

namespace {

Bytes Header(uint8_t command, uint8_t extensionLength, uint32_t bodyLength, uint8_t form) {
    Bytes packet(32, 0);
    packet[0] = command;
    packet[2] = extensionLength;
    lan::WriteLe32(&packet[4], bodyLength);
    packet[16] = form;
    return packet;
}

// A search reply whose length fields match its parts.
Bytes SearchReply(uint8_t form, const Bytes& body, const Bytes& extension) {
    Bytes packet = Header(0xB3, uint8_t(extension.size()), uint32_t(body.size()), form);
    packet.insert(packet.end(), body.begin(), body.end());
    packet.insert(packet.end(), extension.begin(), extension.end());
    return packet;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Sequence(size_t count, uint8_t first) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = uint8_t(first + i);
    return bytes;
}

LAN_DEVICE_RECORD PatternRecord() {
    LAN_DEVICE_RECORD record;
    for (size_t i = 0; i < sizeof(record.bytes); ++i) record.bytes[i] = uint8_t(0x40 + i);
    return record;
}

uint32_t Word(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    return lan::ReadLe32(bytes);
}

}  // namespace

TEST(LanRequests, SearchRequestsAreHeaderOnlyWithTheirForm) {
    for (uint8_t form : {uint8_t(2), uint8_t(39)}) {
        Bytes expected(32, 0);
        expected[0] = 0xA3;
        expected[1] = 1;
        expected[16] = form;
        EXPECT_EQ(lan::BuildSearchRequest(form), expected) << int(form);
    }
}

TEST(LanRequests, ShortLoginCarriesCredentialsInTheHeaderAndTheExtensionAfter) {
    const Bytes extension = {0xE1, 0xE2, 0xE3};
    const Bytes packet = lan::BuildLoginRequest("admin", "12345", extension.data(), 3);
    Bytes expected(35, 0);
    expected[0] = 0xA0;
    expected[1] = 1;
    expected[2] = 3;
    memcpy(&expected[8], "admin", 5);
    memcpy(&expected[16], "12345", 5);
    memcpy(&expected[32], extension.data(), 3);
    EXPECT_EQ(packet, expected);
}

TEST(LanRequests, EightCharactersStayShortWithoutTerminators) {
    const Bytes packet = lan::BuildLoginRequest("abcdefgh", "ABCDEFGH", nullptr, 0);
    ASSERT_EQ(packet.size(), 32u);
    EXPECT_EQ(std::string(packet.begin() + 8, packet.begin() + 24), "abcdefghABCDEFGH");
    EXPECT_EQ(lan::ReadLe32(&packet[4]), 0u);
    for (size_t i = 24; i < 32; ++i) EXPECT_EQ(packet[i], 0) << i;
}

TEST(LanRequests, NineCharactersSwitchToTheLongForm) {
    struct Case {
        const char* user;
        const char* password;
    } cases[] = {{"abcdefghi", "pw"}, {"u", "123456789"}};
    const Bytes extension = {0x11, 0x22};
    for (const Case& c : cases) {
        const std::string body = std::string(c.user) + "&&" + c.password;
        const Bytes packet = lan::BuildLoginRequest(c.user, c.password, extension.data(), 2);
        Bytes expected = Header(0xA0, 2, uint32_t(body.size()), 0);
        expected[1] = 1;
        expected.insert(expected.end(), body.begin(), body.end());
        expected.insert(expected.end(), extension.begin(), extension.end());
        EXPECT_EQ(packet, expected) << c.user;
        EXPECT_EQ(packet.size(), 34 + strlen(c.user) + strlen(c.password) + 2);
    }
}

TEST(LanRequests, NullCredentialsCountAsEmpty) {
    const Bytes packet = lan::BuildLoginRequest(nullptr, nullptr, nullptr, 0);
    Bytes expected(32, 0);
    expected[0] = 0xA0;
    expected[1] = 1;
    EXPECT_EQ(packet, expected);
}

TEST(LanRequests, ModifyCarriesTheRecordWithNewWordsAndTheExtension) {
    LAN_DEVICE_RECORD record = PatternRecord();
    const LAN_DEVICE_RECORD original = record;
    lan::SetRecordAddresses(&record, Word(10, 0, 0, 7), Word(255, 255, 0, 0), Word(10, 0, 0, 1));
    const Bytes extension = {0xAA, 0xBB};
    const Bytes packet = lan::BuildModifyRequest(record, extension.data(), 2);

    ASSERT_EQ(packet.size(), 122u);
    Bytes header(32, 0);
    header[0] = 0xC1;
    header[1] = 1;
    header[2] = 2;
    header[4] = 88;
    header[16] = 2;
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 32), header);
    const uint8_t* body = &packet[32];
    EXPECT_EQ(Bytes(body + 24, body + 36), Bytes({10, 0, 0, 7, 255, 255, 0, 0, 10, 0, 0, 1}));
    // Every byte outside the three words travels unchanged.
    for (size_t i = 0; i < 88; ++i)
        if (i < 24 || i >= 36) {
            EXPECT_EQ(body[i], original.bytes[i]) << i;
        }
    EXPECT_EQ(Bytes(packet.begin() + 120, packet.end()), extension);
}

TEST(LanReplyParser, ClassifiesEveryKindOfPacket) {
    const LAN_DEVICE_RECORD record = PatternRecord();
    const Bytes recordBytes(record.bytes, record.bytes + 88);
    Bytes login = Header(0xB0, 0, 0, 0);
    Bytes modify = Header(0xC1, 0, 0, 0);
    struct Case {
        const char* name;
        Bytes packet;
        int mode;
        int kind;
    } cases[] = {
        {"binary", SearchReply(2, recordBytes, {}), 1, CLanReplyParser::kBinaryDevice},
        {"text", SearchReply(39, Text("a::b"), {}), 1, CLanReplyParser::kTextDevice},
        {"login", login, 1, CLanReplyParser::kLoginAnswer},
        {"modify", modify, 1, CLanReplyParser::kModifyAnswer},
        {"other mode", SearchReply(2, recordBytes, {}), 0, CLanReplyParser::kIgnored},
        {"own search request", lan::BuildSearchRequest(2), 1, CLanReplyParser::kIgnored},
        {"own login request", lan::BuildLoginRequest("a", "b", nullptr, 0), 1, CLanReplyParser::kIgnored},
        // The library's own modify request looks like a successful answer.
        {"own modify request", lan::BuildModifyRequest(record, nullptr, 0), 1, CLanReplyParser::kModifyAnswer},
        {"unknown command", Header(0x42, 0, 0, 0), 1, CLanReplyParser::kIgnored},
        {"binary of wrong size", SearchReply(2, Bytes(87, 1), {}), 1, CLanReplyParser::kIgnored},
        {"unknown form", SearchReply(5, recordBytes, {}), 1, CLanReplyParser::kIgnored},
        {"one byte too long",
         [&] {
             Bytes p = SearchReply(2, recordBytes, {});
             p.push_back(0);
             return p;
         }(),
         1, CLanReplyParser::kIgnored},
        // 32 + 0xFFFFFFFF + 33 wraps to 64 in 32 bits.
        {"wrapping length",
         [] {
             Bytes p = Header(0xB3, 33, 0xFFFFFFFFu, 2);
             p.resize(64, 0);
             return p;
         }(),
         1, CLanReplyParser::kIgnored},
    };
    for (const Case& c : cases) {
        CLanReplyParser parser;
        LAN_DEVICE_RECORD out;
        memset(&out, 0, sizeof(out));
        EXPECT_EQ(parser.Parse(c.packet.data(), c.packet.size(), &out, c.mode), c.kind) << c.name;
        if (c.kind == CLanReplyParser::kBinaryDevice) {
            EXPECT_EQ(memcmp(out.bytes, record.bytes, 88), 0) << c.name;
        }
        const char* text;
        if (c.kind == CLanReplyParser::kModifyAnswer) {
            EXPECT_EQ(parser.ModifyOutcome(&text), 0) << c.name;
        }
    }
}

TEST(LanReplyParser, PacketsShorterThanTheHeaderAreIgnored) {
    const LAN_DEVICE_RECORD record = PatternRecord();
    const Bytes replies[] = {SearchReply(2, Bytes(record.bytes, record.bytes + 88), {1, 2, 3}), Header(0xB0, 0, 0, 0),
                             Header(0xC1, 0, 0, 0)};
    for (const Bytes& reply : replies) {
        for (size_t length = 0; length < 32; ++length) {
            // An exact-size copy, so that reading past it is a fault of its own.
            std::vector<uint8_t> truncated(reply.begin(), reply.begin() + length);
            CLanReplyParser parser;
            EXPECT_EQ(parser.Parse(truncated.data(), length, nullptr, 1), CLanReplyParser::kIgnored)
                << "command " << int(reply[0]) << " length " << length;
        }
    }
    // Every truncation of a search reply past the header fails the length check.
    const Bytes full = replies[0];
    for (size_t length = 32; length < full.size(); ++length) {
        CLanReplyParser parser;
        EXPECT_EQ(parser.Parse(full.data(), length, nullptr, 1), CLanReplyParser::kIgnored) << length;
        EXPECT_EQ(parser.ExtensionLength(), 0u);
    }
}

TEST(LanReplyParser, EachSearchReplyKeepsExactlyItsOwnExtension) {
    const LAN_DEVICE_RECORD record = PatternRecord();
    const Bytes body(record.bytes, record.bytes + 88);
    const Bytes extension = Sequence(17, 0x80);
    CLanReplyParser parser;

    ASSERT_EQ(parser.Parse(SearchReply(2, body, extension).data(), 32 + 88 + 17, nullptr, 1),
              CLanReplyParser::kBinaryDevice);
    EXPECT_EQ(Bytes(parser.Extension(), parser.Extension() + parser.ExtensionLength()), extension);

    // A rejected packet leaves the extension as it was.
    Bytes tooLong = SearchReply(2, body, {9, 9});
    tooLong.push_back(0);
    parser.Parse(tooLong.data(), tooLong.size(), nullptr, 1);
    EXPECT_EQ(Bytes(parser.Extension(), parser.Extension() + parser.ExtensionLength()), extension);

    // A reply without extension bytes has none: another device's must never
    // address it.
    const Bytes bare = SearchReply(39, Text("x"), {});
    ASSERT_EQ(parser.Parse(bare.data(), bare.size(), nullptr, 1), CLanReplyParser::kTextDevice);
    EXPECT_EQ(parser.ExtensionLength(), 0u);
    EXPECT_EQ(parser.TextBodyOffset(), 32u);
    EXPECT_EQ(parser.TextBodyLength(), 1u);
}

TEST(LanReplyParser, LoginRepliesMapToTheCallersResult) {
    struct Case {
        uint8_t state;
        uint8_t error;
        int result;
    } cases[] = {
        {0, 0, 35}, {0, 9, 35}, {1, 0, -1}, {1, 1, -2},   {1, 2, -7}, {1, 3, -3}, {1, 4, -4},
        {1, 5, -5}, {1, 6, -6}, {1, 7, -7}, {1, 255, -7}, {3, 0, -8}, {3, 4, -8}, {2, 1, 35},
    };
    for (const Case& c : cases) {
        CLanReplyParser parser;
        Bytes reply = Header(0xB0, 0, 0, 0);
        reply[8] = c.state;
        reply[9] = c.error;
        ASSERT_EQ(parser.Parse(reply.data(), reply.size(), nullptr, 1), CLanReplyParser::kLoginAnswer);
        EXPECT_EQ(parser.LoginResult(35), c.result) << int(c.state) << "/" << int(c.error);
    }
}

TEST(LanReplyParser, ModifyRepliesMapToResultAndText) {
    struct Case {
        uint8_t byte8;
        int result;
        const char* text;
    } cases[] = {
        {0, 0, "IP\xB5\xD8\xD6\xB7\xD0\xDE\xB8\xC4\xB3\xC9\xB9\xA6!"},
        {1, 1, "IP\xB5\xD8\xD6\xB7\xD0\xDE\xB8\xC4\xCA\xA7\xB0\xDC!"},
        {3, 2, "\xCA\xFD\xBE\xDD\xB2\xBB\xBA\xCF\xB7\xA8!"},
        {4, 3, "\xB2\xBB\xC4\xDC\xD0\xDE\xB8\xC4!"},
        {2, -1, ""},
        {200, -1, ""},
    };
    for (const Case& c : cases) {
        CLanReplyParser parser;
        Bytes reply = Header(0xC1, 0, 88, 2);
        reply.resize(120, 0);
        reply[8] = c.byte8;
        ASSERT_EQ(parser.Parse(reply.data(), reply.size(), nullptr, 1), CLanReplyParser::kModifyAnswer);
        const char* text = nullptr;
        EXPECT_EQ(parser.ModifyOutcome(&text), c.result) << int(c.byte8);
        EXPECT_STREQ(text, c.text) << int(c.byte8);
    }
}

TEST(LanDeviceInfo, BinaryRecordFillsTheFixedLayout) {
    LAN_DEVICE_RECORD record;
    memset(&record, 0x5A, sizeof(record));
    lan::SetRecordAddresses(&record, Word(192, 168, 1, 10), Word(255, 255, 255, 0), Word(192, 168, 1, 1));
    lan::WriteLe32(&record.bytes[36], 0x01020304);
    record.bytes[66] = 0x40;  // port 8000, little-endian
    record.bytes[67] = 0x1F;
    const Bytes extension = Sequence(17, 0x90);

    DEVICE_NET_INFO info;
    MakeInfoFromRecord(record, extension.data(), extension.size(), &info);
    uint8_t raw[104];
    memcpy(raw, &info, sizeof(raw));
    EXPECT_EQ(Bytes(raw, raw + 18), Bytes({192, 168, 1, 10, 255, 255, 255, 0, 192, 168, 1, 1, 4, 3, 2, 1, 0x40, 0x1F}));
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 18), "192.168.1.10");
    EXPECT_EQ(Bytes(raw + 82, raw + 98), Bytes(extension.begin(), extension.begin() + 16));
    EXPECT_EQ(Bytes(raw + 98, raw + 104), Bytes({0xA0, 0, 0, 0, 0, 0}));

    // A short extension leaves the rest 0.
    MakeInfoFromRecord(record, extension.data(), 5, &info);
    memcpy(raw, &info, sizeof(raw));
    EXPECT_EQ(Bytes(raw + 82, raw + 104), [&] {
        Bytes tail(22, 0);
        memcpy(tail.data(), extension.data(), 5);
        return tail;
    }());
}

TEST(LanDeviceInfo, TextRecordUsesPartsFiveToEight) {
    struct Case {
        const char* name;
        std::string body;
    } cases[] = {
        {"full", "p0::p1::p2::p3::p4::192.168.1.10::255.255.255.0::192.168.1.1::x::p9::p10"},
        {"empty leading parts", "::::::::::192.168.1.10::255.255.255.0::192.168.1.1::x::"},
        // Past 255 bytes, the fields still come from the body.
        {"long body", std::string(300, 'z') + "::p1::p2::p3::p4::192.168.1.10::255.255.255.0::"
                                              "192.168.1.1::x"},
    };
    for (const Case& c : cases) {
        DEVICE_NET_INFO info;
        const Bytes body = Text(c.body);
        ASSERT_TRUE(MakeInfoFromText(body.data(), body.size(), &info)) << c.name;
        EXPECT_EQ(info.ip, Word(192, 168, 1, 10)) << c.name;
        EXPECT_EQ(info.address2, Word(255, 255, 255, 0)) << c.name;
        EXPECT_EQ(info.address3, Word(192, 168, 1, 1)) << c.name;
        EXPECT_EQ(info.word4, 0u);
        EXPECT_EQ(info.port, 0);
        EXPECT_STREQ(info.ipText, "192.168.1.10") << c.name;
        EXPECT_STREQ(reinterpret_cast<const char*>(info.extra), "x") << c.name;
    }
}

TEST(LanDeviceInfo, TextRecordWithoutAUsableAddressNamesNoDevice) {
    const char* bodies[] = {
        "",
        "p0::p1::p2::p3::p4",
        "p0::p1::p2::p3::p4::",
        "p0::p1::p2::p3::p4::::255.255.255.0",
        "p0::p1::p2::p3::p4::0.0.0.0::255.255.255.0",
        "p0::p1::p2::p3::p4::not-an-address::1.1.1.1",
        "p0::p1::p2::p3::p4::192.168.1.256::1.1.1.1",
    };
    for (const char* text : bodies) {
        DEVICE_NET_INFO info;
        const Bytes body = Text(text);
        EXPECT_FALSE(MakeInfoFromText(body.data(), body.size(), &info)) << text;
    }
}

TEST(LanDeviceInfo, TextRecordLimitsAndMissingParts) {
    DEVICE_NET_INFO info;
    // Missing address parts take inet_addr's "none"; the short text is cut at 21.
    Bytes body = Text("::::::::::10.1.2.3::bad::::" + std::string(40, 'L'));
    ASSERT_TRUE(MakeInfoFromText(body.data(), body.size(), &info));
    EXPECT_EQ(info.address2, 0xFFFFFFFFu);
    EXPECT_EQ(info.address3, 0xFFFFFFFFu);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.extra)), std::string(21, 'L'));

    // Only the first 7999 bytes of a body are read.
    body = Text(std::string(7951, 'z') + "::p1::p2::p3::p4::10.1.2.3::1.1.1.1::2.2.2.2::label");
    ASSERT_TRUE(MakeInfoFromText(body.data(), body.size(), &info));
    EXPECT_STREQ(reinterpret_cast<const char*>(info.extra), "la");

    // A body that is not text past a zero byte ends there.
    body = Text("::::::::::10.1.2.3::1.1.1.1::2.2.2.2::ab");
    body.insert(body.end() - 1, 0);
    ASSERT_TRUE(MakeInfoFromText(body.data(), body.size(), &info));
    EXPECT_STREQ(reinterpret_cast<const char*>(info.extra), "a");
}

TEST(LanDeviceInfo, DottedTextParsesLikeInetAddr) {
    struct Case {
        const char* text;
        bool valid;
        uint32_t word;
    } cases[] = {
        {"192.168.1.10", true, Word(192, 168, 1, 10)},
        {"10.1", true, Word(10, 0, 0, 1)},
        {"10.1.2", true, Word(10, 1, 0, 2)},
        {"3232235786", true, Word(192, 168, 1, 10)},
        {"0x7f.1", true, Word(127, 0, 0, 1)},
        {"010.0.0.1", true, Word(8, 0, 0, 1)},
        {"1.2.3.4 trailing", true, Word(1, 2, 3, 4)},
        {"255.255.255.255", true, 0xFFFFFFFFu},
        {"", false, 0},
        {"1.2.3.4.5", false, 0},
        {"1.2.3.256", false, 0},
        {"1.2.65536", false, 0},
        {"1..2", false, 0},
        {"1.2.3.", false, 0},
        {"a.b.c.d", false, 0},
        {"08.1.1.1", false, 0},
        {"4294967296", false, 0},
        {"1.2.3.4x", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t word = 0;
        EXPECT_EQ(ParseIpv4Text(c.text, &word), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(word, c.word) << c.text;
        }
    }
}

TEST(VarirurExports, FourNamedUndecoratedExportsInOrdinalOrder) {
    HMODULE library = LoadLibraryW(L"Varirur.dll");
    ASSERT_NE(library, nullptr);
    const char* names[] = {"NET_SearchDev", "NET_LoginDev", "NET_ModifyDevIP", "NET_FinishOperate"};
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(library, names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(library, MAKEINTRESOURCEA(ordinal))) << ordinal;
    }
    FreeLibrary(library);
}
