// Kestrin.dll loaded as the proxy loads it, with a registering device on
// 127.0.0.1 at the other end.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "plugins/kestrin/AutoPluginTypes.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "tests/plugins/kestrin/CRegisteringDevice.h"
#include "tests/plugins/kestrin/KestrinPluginFixture.h"
#include "tests/plugins/kestrin/PacketBytes.h"
#include "tests/support/WaitFor.h"

using namespace kestrin;

namespace {

TEST_F(KestrinPlugin, RefusesNullHandlesAndBadRecordLists) {
    uint8_t bytes[32] = {};
    SDK_COMMAND command{bytes, 32, 1, 0};
    PARSE_RESULT result;
    int info = 0;
    EXPECT_EQ(close(nullptr), -1);
    EXPECT_EQ(setCallBack(nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(sendData(nullptr, bytes, 32, 1, 0), -1);
    EXPECT_EQ(parse(nullptr, &command, &result), -1);
    EXPECT_EQ(closeCommand(nullptr, 1), -1);
    EXPECT_EQ(deviceInfo(nullptr, &info), -1);
    EXPECT_EQ(heartbeat(nullptr), 1);
    EXPECT_EQ(connect(nullptr, nullptr, nullptr), 0);

    std::vector<PLUGIN_DEVICE_RECORD> five(5, Record(port, "DEV-1", 1, 1));
    EXPECT_EQ(open(nullptr, 1), nullptr);
    EXPECT_EQ(open(five.data(), 0), nullptr);
    EXPECT_EQ(open(five.data(), 5), nullptr);
}

TEST_F(KestrinPlugin, DeviceLogsInAndGoesOnLineWithItsLastSubConnection) {
    OpenDevice({Record(port, "DEV-1", 1, 4)});
    CRegisteringDevice dev(port, "dev-1", 4, 0x01020304);  // ids compare without case
    ASSERT_TRUE(dev.ConnectMain());
    const std::vector<uint8_t>& login = dev.login();
    ASSERT_EQ(login.size(), kHeaderSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&login[8])), "admin");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&login[16])), "1234");

    // Before the login reply there is no sub-connection and no SDK login.
    SOCKET early = dev.Dial();
    ASSERT_TRUE(CRegisteringDevice::SendOn(early, CRegisteringDevice::Registration("DEV-1", 1)));
    EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(early, 5000));
    closesocket(early);
    PARSE_RESULT none = Parse(Packet(kCmdLogin), 77);
    EXPECT_EQ(none.replyLength, 0);
    EXPECT_EQ(none.action, 0);
    EXPECT_EQ(none.registerClient, 0);

    ASSERT_TRUE(dev.AnswerLogin(64));
    for (int k = 1; k <= 5; ++k) {
        std::vector<uint8_t> handshake;
        ASSERT_TRUE(dev.OpenSub(k, &handshake)) << k;
        EXPECT_EQ(ReadLe32(&handshake[8]), 0x01020304u);
        EXPECT_EQ(handshake[12], k == 5 ? 2 : 1);
        EXPECT_EQ(handshake[13], k);
        if (k < 5) {
            EXPECT_TRUE(log.States().empty()) << k;
        }
    }
    EXPECT_TRUE(log.WaitStates({0, 1}));

    PARSE_RESULT answer = Parse(Packet(kCmdLogin), 77);
    ASSERT_EQ(answer.replyLength, 64);
    EXPECT_EQ(answer.action, kParseLogin);
    EXPECT_EQ(answer.registerClient, 1);
    EXPECT_EQ(answer.reply[0], kCmdLoginReply);
    EXPECT_EQ(ReadLe32(&answer.reply[16]), 77u);
    EXPECT_EQ(answer.reply[10], 4);  // the device's total from its record
    EXPECT_EQ(answer.reply[40], 40);

    int info = 0;
    EXPECT_EQ(deviceInfo(device, &info), 0);
    EXPECT_EQ(info, 4);
}

TEST_F(KestrinPlugin, RefusedRegistrationsAreClosed) {
    CRegisteringDevice dev(port, "DEV-1", 2, 9);
    OpenOnlineDevice(dev, 2);
    struct Case {
        const char* what;
        std::vector<uint8_t> packet;
    } cases[] = {
        {"unknown id", CRegisteringDevice::Registration("OTHER", 0)},
        {"index above 40", CRegisteringDevice::Registration("DEV-1", 41)},
        {"slot taken", CRegisteringDevice::Registration("DEV-1", 2)},
        {"id of 128 bytes", CRegisteringDevice::Registration(std::string(128, 'D'), 0)},
        {"id with a NUL", CRegisteringDevice::Registration(std::string("DEV-1\0x", 7), 0)},
    };
    for (const Case& c : cases) {
        SOCKET s = dev.Dial();
        ASSERT_TRUE(CRegisteringDevice::SendOn(s, c.packet)) << c.what;
        EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(s, 5000)) << c.what;
        closesocket(s);
    }
    EXPECT_EQ(log.States(), (std::vector<int>{0, 1}));
}

TEST_F(KestrinPlugin, CommandsGoToTheDeviceAndRepliesToTheClientThatAsked) {
    CRegisteringDevice dev(port, "DEV-1", 4, 9);
    OpenOnlineDevice(dev, 4);
    std::vector<uint8_t> packet;

    // Answered locally: keep-alive, sub-connection, and a list query of 0.
    PARSE_RESULT keepAlive = Parse(Packet(kCmdKeepAlive), 7);
    EXPECT_EQ(keepAlive.reply[0], kCmdKeepAliveAnswer);
    EXPECT_EQ(keepAlive.forward, 0);
    EXPECT_EQ(Parse(Packet(0xA6), 7).forward, 1);
    std::vector<uint8_t> silent = Packet(kCmdListQuery);
    ASSERT_EQ(Send(silent, 7, 0), 0);

    std::vector<uint8_t> query = PacketWithText(0xA6, "query");
    ASSERT_EQ(Send(query, 7, 0), 0);
    ASSERT_TRUE(dev.ReadCommand(0, 0xA6, &packet));
    EXPECT_EQ(packet, query);
    ASSERT_TRUE(dev.Send(0, PacketWithText(kCmdAnswerB5, "answer")));
    CallbackLog::Data reply;
    ASSERT_TRUE(log.WaitData(kCmdAnswerB5, &reply));
    ASSERT_EQ(reply.targets.size(), 1u);
    EXPECT_EQ(reply.targets[0].sessionId, 7);
    EXPECT_EQ(reply.targets[0].subIndex, 0);
    EXPECT_EQ(BodyText(reply.bytes), "answer");

    // Two clients watch channel 2: the device is asked once, its stream
    // reaches both.
    std::vector<uint8_t> watch = Packet(kCmdStream, 16);
    watch[8 + 2] = 1;
    ASSERT_EQ(Send(watch, 7, 3), 0);
    ASSERT_EQ(Send(watch, 9, 3), 0);
    ASSERT_TRUE(dev.ReadCommand(0, kCmdStream, &packet));
    EXPECT_EQ(packet[8 + 2], 1);
    EXPECT_EQ(packet[8 + 1], 2);
    std::vector<uint8_t> frame = PacketWithText(kCmdStreamData, "frame-bytes");
    frame[8] = 2;
    ASSERT_TRUE(dev.Send(3, frame));
    CallbackLog::Data stream;
    ASSERT_TRUE(log.WaitData(kCmdStreamData, &stream));
    ASSERT_EQ(stream.targets.size(), 2u);
    EXPECT_EQ(stream.targets[0].sessionId, 7);
    EXPECT_EQ(stream.targets[1].sessionId, 9);
    EXPECT_EQ(stream.targets[0].subIndex, 3);
    EXPECT_EQ(stream.bytes, frame);

    // The first client leaves: nothing for the device; the second leaves:
    // one stop for channel 2. Nothing else was sent meanwhile (no list query).
    EXPECT_EQ(closeCommand(device, 7), 0);
    EXPECT_EQ(closeCommand(device, 9), 0);
    ASSERT_TRUE(dev.ReadCommand(0, kCmdStream, &packet));
    EXPECT_EQ(packet[8 + 2], 0);
    EXPECT_EQ(packet[8 + 1], 2);
}

TEST_F(KestrinPlugin, DeviceThatStopsReadingIsClosedInsteadOfQueuedWithoutBound) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    OpenOnlineDevice(dev, 1);
    // The device reads nothing while far more is sent to it than the socket
    // buffers and the send queue hold.
    std::vector<uint8_t> query = PacketWithText(0xA6, std::string(16 * 1024, 'q'));
    for (int i = 0; i < 3000; ++i) Send(query, 7, 0);
    EXPECT_TRUE(dev.WaitClosed(0, 20000));
    EXPECT_TRUE(WaitFor([&] {
        heartbeat(device);
        return log.States() == std::vector<int>{0, 1, 0};
    })) << "the lost device is reported off line";
}

TEST_F(KestrinPlugin, RecordsOfOneDeviceShareItsChannelsAndMergeTheirAnswers) {
    OpenDevice({Record(port, "REC-A", 4, 8), Record(port, "REC-B", 4, 8)});
    CRegisteringDevice first(port, "rec-a", 4, 11), second(port, "rec-b", 4, 22);
    ASSERT_TRUE(first.Register());
    ASSERT_TRUE(log.WaitStates({0, 1}));
    ASSERT_TRUE(second.Register());
    ASSERT_TRUE(log.WaitStates({0, 1, 0, 1}));
    std::vector<uint8_t> packet;

    std::vector<uint8_t> control = Packet(kCmdStreamControl);
    control[9] = 6;
    ASSERT_EQ(Send(control, 7, 0), 0);
    ASSERT_TRUE(second.ReadCommand(0, kCmdStreamControl, &packet));
    EXPECT_EQ(packet[9], 2);

    const size_t kEntry = 180, kTable = 16 * kEntry;
    std::vector<uint8_t> query = Packet(kCmdQuery);
    query[kSubCodeOffset] = kSubTable127;
    ASSERT_EQ(Send(query, 7, 5), 0);
    CRegisteringDevice* records[] = {&first, &second};
    for (int r = 0; r < 2; ++r) {
        ASSERT_TRUE(records[r]->ReadCommand(0, kCmdQuery, &packet)) << r;
        std::vector<uint8_t> answer = Packet(kCmdQueryAnswer, kTable);
        answer[kSubCodeOffset] = kSubTable127;
        for (size_t e = 0; e < 16; ++e) answer[kHeaderSize + e * kEntry] = uint8_t(0x10 * (r + 1) + e);
        ASSERT_TRUE(records[r]->Send(0, answer));
    }
    CallbackLog::Data merged;
    ASSERT_TRUE(log.WaitData(kCmdQueryAnswer, &merged));
    ASSERT_EQ(merged.targets.size(), 1u);
    EXPECT_EQ(merged.targets[0].sessionId, 7);
    EXPECT_EQ(merged.targets[0].subIndex, 5);
    ASSERT_EQ(merged.bytes.size(), kHeaderSize + kTable);
    for (size_t e = 0; e < 8; ++e)
        EXPECT_EQ(merged.bytes[kHeaderSize + e * kEntry], e < 4 ? 0x10 + e : 0x20 + (e - 4)) << e;
}

TEST_F(KestrinPlugin, NewMainConnectionRestartsTheSession) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    OpenOnlineDevice(dev, 1);
    SOCKET oldMain = dev.Link(0), oldSub = dev.Link(2);
    SOCKET fresh = dev.Dial();
    ASSERT_TRUE(CRegisteringDevice::SendOn(fresh, CRegisteringDevice::Registration("DEV-1", 0)));
    std::vector<uint8_t> login;
    do {
        ASSERT_TRUE(CRegisteringDevice::ReadOn(fresh, &login, 5000));
    } while (login[0] != kCmdLogin);
    EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(oldMain, 5000));
    EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(oldSub, 5000));
    EXPECT_TRUE(log.WaitStates({0, 1, 0}));
    closesocket(fresh);
}

TEST_F(KestrinPlugin, LostConnectionIsReportedAtTheNextHeartbeat) {
    CRegisteringDevice dev(port, "DEV-1", 2, 9);
    OpenOnlineDevice(dev, 2);
    dev.Drop(2);
    // The loss alone reports nothing; the heartbeat that notices it closes
    // the rest and reports off line.
    EXPECT_EQ(log.States(), (std::vector<int>{0, 1}));
    ASSERT_TRUE(WaitFor(
        [&] {
            heartbeat(device);
            return log.States() == std::vector<int>{0, 1, 0};
        },
        5000));
    EXPECT_TRUE(dev.WaitClosed(0));
    EXPECT_TRUE(dev.WaitClosed(3));

    // It registers again and comes back.
    ASSERT_TRUE(dev.Register());
    EXPECT_TRUE(log.WaitStates({0, 1, 0, 0, 1}));
}

TEST_F(KestrinPlugin, UnframeablePacketClosesTheConnection) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    OpenOnlineDevice(dev, 1);
    std::vector<uint8_t> huge = Packet(0xB5);
    WriteLe32(&huge[4], 51169);  // one byte beyond what a packet may carry
    ASSERT_TRUE(dev.Send(1, huge));
    EXPECT_TRUE(dev.WaitClosed(1));
    ASSERT_TRUE(WaitFor(
        [&] {
            heartbeat(device);
            return log.States() == std::vector<int>{0, 1, 0};
        },
        5000));
}

}  // namespace
