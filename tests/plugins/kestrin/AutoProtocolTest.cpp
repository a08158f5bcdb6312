#include "plugins/kestrin/AutoProtocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PacketBytes.h"

using namespace kestrin;

namespace {

std::vector<uint8_t> Registration(const std::string& id, int index) {
    std::vector<uint8_t> p = PacketWithText(kCmdRegister, id);
    p[8] = kRegistrationSubType;
    p[28] = uint8_t(index);
    return p;
}

}  // namespace

TEST(AutoProtocolTest, RegistrationIsAcceptedOnlyWithUsableFields) {
    struct Case {
        const char* what;
        std::vector<uint8_t> packet;
        int status;
    };
    std::vector<Case> cases;
    cases.push_back({"main connection", Registration("DVR-0001", 0), kRegistrationOk});
    cases.push_back({"id of 127 bytes", Registration(std::string(127, 'x'), 40), kRegistrationOk});
    cases.push_back({"id of 128 bytes", Registration(std::string(128, 'x'), 0), kRegistrationBadId});
    // 991 bytes keep the packet under 1024 but would overrun the 128-byte id field.
    cases.push_back({"id of 991 bytes", Registration(std::string(991, 'x'), 0), kRegistrationBadId});
    cases.push_back({"packet of 1024 bytes", Registration(std::string(992, 'x'), 0), kNotRegistration});
    cases.push_back({"empty id", Registration("", 0), kRegistrationBadId});
    std::vector<uint8_t> withNul = Registration("ab_cd", 0);
    withNul[32 + 2] = 0;
    cases.push_back({"NUL inside the id", withNul, kRegistrationBadId});
    std::vector<uint8_t> otherSubType = Registration("DVR", 0);
    otherSubType[8] = 6;
    cases.push_back({"sub-type 6", otherSubType, kNotRegistration});
    std::vector<uint8_t> otherCommand = Registration("DVR", 0);
    otherCommand[0] = kCmdLoginReply;
    cases.push_back({"other command", otherCommand, kNotRegistration});
    std::vector<uint8_t> idPastEnd = Registration("DVR", 0);
    WriteLe32(idPastEnd.data() + 4, 4);
    cases.push_back({"id length past the packet", idPastEnd, kRegistrationBadId});
    std::vector<uint8_t> shortHeader = Registration("DVR", 0);
    shortHeader.resize(31);
    cases.push_back({"31 bytes", shortHeader, kNotRegistration});

    for (const Case& c : cases) {
        AUTO_REGISTRATION reg;
        std::memset(&reg, 0x55, sizeof reg);
        EXPECT_EQ(c.status, ParseRegistration(c.packet.data(), c.packet.size(), &reg)) << c.what;
        if (c.status == kRegistrationOk) {
            std::string id(c.packet.begin() + 32, c.packet.end());
            EXPECT_EQ(id, reg.id) << c.what;
            EXPECT_EQ(c.packet[28], reg.connectionIndex) << c.what;
        }
    }
}

TEST(AutoProtocolTest, RegistrationIdsCompareWithoutCase) {
    EXPECT_TRUE(RegistrationIdEquals("dvr-00a1", "DVR-00A1"));
    EXPECT_FALSE(RegistrationIdEquals("dvr-00a1", "DVR-00A"));
    EXPECT_FALSE(RegistrationIdEquals("dvr", nullptr));
}

TEST(AutoProtocolTest, ShortLoginCarriesEightCharacterTextsUnterminated) {
    uint8_t out[kMaxLoginPacket];
    ASSERT_EQ(32, BuildLoginPacket("admin123", "pass5678", out, sizeof out));
    const uint8_t expected[32] = {0xA0, 0,   0,   0x50, 0,   0,   0,   0,   'a', 'd', 'm', 'i', 'n', '1', '2',  '3',
                                  'p',  'a', 's', 's',  '5', '6', '7', '8', 4,   1,   0,   0,   0,   0,   0xA1, 0xAA};
    EXPECT_EQ(0, std::memcmp(expected, out, 32));

    ASSERT_EQ(32, BuildLoginPacket("ad", "", out, sizeof out));
    EXPECT_EQ('d', out[9]);
    EXPECT_EQ(0, out[10]);
    EXPECT_EQ(0, out[16]);
}

TEST(AutoProtocolTest, LongLoginJoinsTextsInTheBody) {
    uint8_t out[kMaxLoginPacket];
    int n = BuildLoginPacket("admin1234", "pw", out, sizeof out);
    ASSERT_EQ(32 + 13, n);
    EXPECT_EQ(13u, ReadLe32(out + 4));
    for (int i = 8; i < 24; ++i) EXPECT_EQ(0, out[i]) << i;
    EXPECT_EQ(4, out[24]);
    EXPECT_EQ(0xAA, out[31]);
    EXPECT_EQ("admin1234&&pw", std::string(out + 32, out + n));

    std::string u31(31, 'u'), p31(31, 'p');
    ASSERT_EQ(int(kMaxLoginPacket), BuildLoginPacket(u31.c_str(), p31.c_str(), out, sizeof out));
    EXPECT_EQ(u31 + "&&" + p31, std::string(out + 32, out + kMaxLoginPacket));

    std::string u32(32, 'u');
    EXPECT_EQ(-1, BuildLoginPacket(u32.c_str(), "pw", out, sizeof out));
    EXPECT_EQ(-1, BuildLoginPacket("admin1234", "pw", out, 44));
    EXPECT_EQ(-1, BuildLoginPacket(nullptr, "pw", out, sizeof out));
}

TEST(AutoProtocolTest, SubConnectHandshakeMarksTheLastConnection) {
    uint8_t out[32];
    for (int index = 1; index <= 3; ++index) {
        BuildSubConnectPacket(0x11223344, index, 2, out);
        const uint8_t expected[32] = {
            0xF1, 0, 0, 0x50, 0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, uint8_t(index == 3 ? 2 : 1), uint8_t(index)};
        EXPECT_EQ(0, std::memcmp(expected, out, 32)) << index;
    }
    EXPECT_TRUE(SubConnectionsFit(39));
    EXPECT_FALSE(SubConnectionsFit(40));  // index 41 has no slot
    EXPECT_FALSE(SubConnectionsFit(255));
    BuildKeepAlivePacket(out);
    EXPECT_EQ(0xA1, out[0]);
    for (int i = 1; i < 32; ++i) EXPECT_EQ(0, out[i]);
}

TEST(AutoProtocolTest, LoginReplyIsReadAndAnsweredWithTheClientsId) {
    std::vector<uint8_t> reply = Packet(kCmdLoginReply, 32);
    reply[10] = 4;
    WriteLe32(reply.data() + 16, 0xCAFE);
    reply[40] = 0x77;
    AUTO_LOGIN_REPLY parsed;
    ASSERT_EQ(0, ParseLoginReply(reply.data(), reply.size(), &parsed));
    EXPECT_EQ(4, parsed.channelCount);
    EXPECT_EQ(0xCAFEu, parsed.loginId);

    uint8_t answer[kMaxLoginReply];
    ASSERT_EQ(64, BuildLoginAnswer(reply.data(), reply.size(), 0x01020304, 12, answer, sizeof answer));
    EXPECT_EQ(0x01020304u, ReadLe32(answer + 16));
    EXPECT_EQ(12, answer[10]);
    EXPECT_EQ(0x77, answer[40]);
    EXPECT_EQ(-1, BuildLoginAnswer(reply.data(), 31, 1, 1, answer, sizeof answer));
    EXPECT_EQ(-1, BuildLoginAnswer(reply.data(), reply.size(), 1, 1, answer, 63));

    std::vector<uint8_t> tooLong = Packet(kCmdLoginReply, kMaxLoginReply - 31);
    EXPECT_EQ(-1, ParseLoginReply(tooLong.data(), tooLong.size(), &parsed));
    tooLong.pop_back();
    EXPECT_EQ(0, ParseLoginReply(tooLong.data(), tooLong.size(), &parsed));
    EXPECT_EQ(-1, ParseLoginReply(reply.data(), 31, &parsed));
}

TEST(AutoProtocolTest, LocalAnswersCopyTheNamedRequestBytes) {
    std::vector<uint8_t> request = Packet(kCmdSubConnect);
    for (size_t i = 1; i < 32; ++i) request[i] = uint8_t(0x80 + i);
    uint8_t out[32];
    ASSERT_EQ(32, BuildSubConnectAnswer(request.data(), request.size(), out));
    for (size_t i = 0; i < 32; ++i) {
        bool copied = i == 3 || (i >= 8 && i <= 13);
        EXPECT_EQ(i == 0 ? 0xF1 : copied ? request[i] : 0, out[i]) << i;
    }
    BuildKeepAliveAnswer(out);
    EXPECT_EQ(0xB1, out[0]);

    std::vector<uint8_t> query = Packet(kCmdQuery);
    for (size_t i = 8; i < 32; ++i) query[i] = uint8_t(i);
    std::vector<uint8_t> offline(kOfflineQueryAnswerSize, 0xEE);
    ASSERT_EQ(1212, BuildOfflineQueryAnswer(query.data(), query.size(), offline.data(), offline.size()));
    EXPECT_EQ(0xB3, offline[0]);
    EXPECT_EQ(1180u, ReadLe32(offline.data() + 4));
    for (size_t i = 8; i < 32; ++i) EXPECT_EQ(i, offline[i]);
    for (size_t i = 32; i < offline.size(); ++i) ASSERT_EQ(0, offline[i]) << i;
    EXPECT_EQ(-1, BuildOfflineQueryAnswer(query.data(), query.size(), offline.data(), 1211));
}

TEST(AutoProtocolTest, RepliesMapToTheirRequests) {
    const uint8_t pairs[][2] = {{0xB2, 0xA2}, {0xB3, 0xA3}, {0xB4, 0xA4}, {0xB5, 0xA6}, {0xB6, 0xA5}, {0xB8, 0xA8},
                                {0xBA, 0xC7}, {0xC0, 0x1D}, {0xE4, 0xCD}, {0x83, 0x83}, {0xC1, 0xC1}};
    for (const auto& pair : pairs) EXPECT_EQ(pair[1], RequestForReply(pair[0])) << int(pair[0]);
}
