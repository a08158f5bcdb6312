#include "plugins/kestrin/CAutoChannel.h"

#include <gtest/gtest.h>

#include <vector>

#include "PacketBytes.h"

using namespace kestrin;

namespace {

const AUTO_SESSION_VIEW kOnline = {true, 0, 4};
const AUTO_SESSION_VIEW kOffline = {false, 0, 4};

// A 48-byte 0x11 with the given value for channel and "no request" (2) elsewhere.
std::vector<uint8_t> StreamRequest(int channel, uint8_t value, uint8_t kind = 0) {
    std::vector<uint8_t> p = Packet(kCmdStream, 16);
    for (int i = 0; i < 16; ++i) p[8 + i] = 2;
    p[8 + channel] = value;
    p[32 + channel] = kind;
    for (int i = 26; i < 32; ++i) p[i] = uint8_t(0x60 + i);
    return p;
}

std::vector<uint8_t> StateSubscription(int type, bool unsubscribe) {
    std::vector<uint8_t> p = Packet(kCmdStateSubscribe);
    p[8] = unsubscribe ? 3 : 1;
    p[12] = uint8_t(type);
    return p;
}

std::vector<uint8_t> WithByte(uint8_t command, size_t at, uint8_t value, size_t body = 0) {
    std::vector<uint8_t> p = Packet(command, body);
    p[at] = value;
    return p;
}

CAutoChannel::SendAction Send(CAutoChannel& channel, const std::vector<uint8_t>& p, int32_t client,
                              std::vector<uint8_t>* out = nullptr, const AUTO_SESSION_VIEW& view = kOnline,
                              int32_t tag = 0, int merge = 0) {
    return channel.SendCommand(p.data(), p.size(), client, tag, merge, view, out);
}

std::vector<int32_t> Clients(const CAutoChannel::Route& route) {
    std::vector<int32_t> ids;
    for (const PLUGIN_DATA_TARGET& t : route.targets) ids.push_back(t.sessionId);
    return ids;
}

}  // namespace

TEST(CAutoChannelTest, LiveStreamIsStartedOnceAndStoppedByTheLastClient) {
    CAutoChannel channel;
    std::vector<uint8_t> out;
    ASSERT_EQ(CAutoChannel::kSendBuilt, Send(channel, StreamRequest(3, 1, 1), 100, &out));
    ASSERT_EQ(48u, out.size());
    EXPECT_EQ(0x11, out[0]);
    EXPECT_EQ(16u, ReadLe32(out.data() + 4));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(i == 3 ? 1 : 2, out[8 + i]) << i;
    EXPECT_EQ(1, out[32 + 3]);
    for (int i = 26; i < 32; ++i) EXPECT_EQ(0x60 + i, out[i]);

    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StreamRequest(3, 1), 200, &out));
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StreamRequest(3, 1), 200, &out));

    std::vector<uint8_t> data = WithByte(kCmdStreamData, 8, 3, 100);
    CAutoChannel::Route route = channel.OnDeviceData(2, data.data(), data.size());
    EXPECT_EQ(CAutoChannel::Route::kDeliver, route.kind);
    EXPECT_EQ((std::vector<int32_t>{100, 200}), Clients(route));
    EXPECT_EQ(2, route.targets[1].subIndex);

    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StreamRequest(3, 0), 100, &out));
    ASSERT_EQ(CAutoChannel::kSendBuilt, Send(channel, StreamRequest(3, 0), 200, &out));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(i == 3 ? 0 : 2, out[8 + i]) << i;
    // The stop carries the kind of the stream that was running.
    EXPECT_EQ(1, out[32 + 3]);
    EXPECT_EQ(0u, channel.StreamSubscriberCount());

    route = channel.OnDeviceData(2, data.data(), data.size());
    EXPECT_EQ(CAutoChannel::Route::kDeliver, route.kind);
    EXPECT_TRUE(route.targets.empty());
    std::vector<uint8_t> empty = WithByte(kCmdStreamData, 8, 3);
    EXPECT_EQ(CAutoChannel::Route::kDrop, channel.OnDeviceData(2, empty.data(), empty.size()).kind);
}

TEST(CAutoChannelTest, StreamModeForcesTheKindAndOfflineSessionsSendNothing) {
    struct Case {
        int mode;
        uint8_t requested;
        uint8_t sent;
    };
    const Case cases[] = {{0, 1, 1}, {0, 0, 0}, {1, 1, 0}, {2, 0, 1}};
    for (const Case& c : cases) {
        CAutoChannel channel;
        std::vector<uint8_t> out;
        AUTO_SESSION_VIEW view = {true, c.mode, 4};
        ASSERT_EQ(CAutoChannel::kSendBuilt, Send(channel, StreamRequest(5, 1, c.requested), 1, &out, view));
        EXPECT_EQ(c.sent, out[32 + 5]) << c.mode;
    }
    // The 32-byte request has no kinds: the stream starts with kind 0.
    CAutoChannel channel;
    std::vector<uint8_t> shortRequest = StreamRequest(5, 1, 1);
    shortRequest.resize(32);
    std::vector<uint8_t> out;
    ASSERT_EQ(CAutoChannel::kSendBuilt, Send(channel, shortRequest, 1, &out));
    EXPECT_EQ(0, out[32 + 5]);
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StreamRequest(6, 1), 1, &out, kOffline));
    EXPECT_EQ(1u, channel.StreamSubscriberCount());
}

TEST(CAutoChannelTest, StateAndServiceSubscriptionsAreShared) {
    CAutoChannel channel;
    EXPECT_EQ(CAutoChannel::kSendAsIs, Send(channel, StateSubscription(4, false), 1, nullptr, kOnline, 7, 1));
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StateSubscription(4, false), 2));
    std::vector<uint8_t> report = WithByte(kCmdStateReport, 12, 4, 4);
    CAutoChannel::Route route = channel.OnDeviceData(0, report.data(), report.size());
    EXPECT_EQ((std::vector<int32_t>{1, 2}), Clients(route));
    EXPECT_EQ(0, route.merge);  // the last matching entry's flag
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StateSubscription(4, true), 1));
    EXPECT_EQ(CAutoChannel::kSendAsIs, Send(channel, StateSubscription(4, true), 2));
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, StateSubscription(4, true), 2));

    EXPECT_EQ(CAutoChannel::kSendAsIs, Send(channel, WithByte(kCmdServiceStartC2, 8, 2), 1));
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, WithByte(kCmdServiceStartCB, 8, 2), 2));
    std::vector<uint8_t> serviceData = WithByte(kCmdServiceData, 8, 2, 10);
    EXPECT_EQ((std::vector<int32_t>{1, 2}), Clients(channel.OnDeviceData(0, serviceData.data(), serviceData.size())));
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, WithByte(kCmdServiceStop, 8, 2), 1));
    EXPECT_EQ(CAutoChannel::kSendAsIs, Send(channel, WithByte(kCmdServiceStop, 8, 2), 2));
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, WithByte(kCmdServiceStartC2, 8, 2), 1, nullptr, kOffline));
}

TEST(CAutoChannelTest, CommandsThatNeverReachTheDevice) {
    CAutoChannel channel;
    for (uint8_t command : {0x0A, 0xA0, 0xA1, 0xF1})
        EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, Packet(command), 1)) << int(command);
    EXPECT_EQ(CAutoChannel::kSendNothing, Send(channel, WithByte(kCmdListQuery, 8, 0), 1));
    for (uint8_t command : {0x12, 0xCA, 0xCC})
        EXPECT_EQ(CAutoChannel::kSendAsIs, Send(channel, Packet(command), 1)) << int(command);
    EXPECT_EQ(0u, channel.PendingCount());
    std::vector<uint8_t> tiny = Packet(0x55);
    EXPECT_EQ(CAutoChannel::kSendNothing, channel.SendCommand(tiny.data(), 31, 1, 0, 0, kOnline, nullptr));
}

TEST(CAutoChannelTest, OfflineChannelQueryIsAnsweredAtOnce) {
    CAutoChannel channel;
    std::vector<uint8_t> query = WithByte(kCmdQuery, 16, 125);
    query[25] = 3;
    std::vector<uint8_t> out;
    ASSERT_EQ(CAutoChannel::kAnswerSdk, Send(channel, query, 9, &out, kOffline));
    ASSERT_EQ(kOfflineQueryAnswerSize, out.size());
    EXPECT_EQ(0xB3, out[0]);
    EXPECT_EQ(3, out[25]);
    EXPECT_EQ(0u, channel.PendingCount());
    EXPECT_EQ(CAutoChannel::kSendAsIs, Send(channel, query, 9, &out, kOnline));
    EXPECT_EQ(1u, channel.PendingCount());
}

TEST(CAutoChannelTest, RepliesFindTheirRequestsAndUnsolicitedOnesLeaveTheQueue) {
    CAutoChannel channel;
    Send(channel, Packet(kCmdQueryA4), 1, nullptr, kOnline, 11, 0);
    Send(channel, Packet(kCmdQuery), 2, nullptr, kOnline, 22, 1);
    Send(channel, Packet(0x40), 3);
    ASSERT_EQ(3u, channel.PendingCount());

    // Nobody asked for 0xB6: nothing is delivered and nobody's request is lost.
    std::vector<uint8_t> unsolicited = Packet(kCmdAnswerB6);
    EXPECT_EQ(CAutoChannel::Route::kDrop, channel.OnDeviceData(0, unsolicited.data(), unsolicited.size()).kind);
    EXPECT_EQ(3u, channel.PendingCount());

    // 0xB3 answers 0xA3; the older 0xA4 will never be answered now.
    std::vector<uint8_t> answer = Packet(kCmdQueryAnswer);
    CAutoChannel::Route route = channel.OnDeviceData(0, answer.data(), answer.size());
    EXPECT_EQ((std::vector<int32_t>{2}), Clients(route));
    EXPECT_EQ(1, route.merge);
    EXPECT_EQ(1u, channel.PendingCount());
    std::vector<uint8_t> same = Packet(0x40);
    EXPECT_EQ((std::vector<int32_t>{3}), Clients(channel.OnDeviceData(0, same.data(), same.size())));

    Send(channel, Packet(kCmdQueryA2), 4);
    EXPECT_EQ(size_t(CAutoChannel::kRepliesPerA2), channel.PendingCount());
    for (uint8_t command : {0xB1, 0xF1}) {
        std::vector<uint8_t> dropped = Packet(command);
        EXPECT_EQ(CAutoChannel::Route::kDrop, channel.OnDeviceData(0, dropped.data(), dropped.size()).kind);
    }
    std::vector<uint8_t> login = Packet(kCmdLoginReply, 32);
    EXPECT_EQ(CAutoChannel::Route::kLoginReply, channel.OnDeviceData(0, login.data(), login.size()).kind);
}

TEST(CAutoChannelTest, QueueAndSubscriberListsAreBounded) {
    CAutoChannel channel;
    for (size_t i = 0; i < CAutoChannel::kMaxPending + 5; ++i) Send(channel, Packet(0x40), int32_t(i));
    EXPECT_EQ(CAutoChannel::kMaxPending, channel.PendingCount());
    // The oldest entries made room.
    std::vector<uint8_t> reply = Packet(0x40);
    EXPECT_EQ((std::vector<int32_t>{5}), Clients(channel.OnDeviceData(0, reply.data(), reply.size())));

    for (int32_t client = 0; client < int32_t(CAutoChannel::kMaxSubscribers) + 10; ++client)
        Send(channel, StreamRequest(1, 1), client);
    EXPECT_EQ(CAutoChannel::kMaxSubscribers, channel.StreamSubscriberCount());
    std::vector<uint8_t> data = WithByte(kCmdStreamData, 8, 1, 4);
    EXPECT_EQ(CAutoChannel::kMaxSubscribers, channel.OnDeviceData(0, data.data(), data.size()).targets.size());
}

TEST(CAutoChannelTest, DepartingClientIsWithdrawnEverywhere) {
    CAutoChannel channel;
    Send(channel, StreamRequest(2, 1), 1);
    Send(channel, StreamRequest(2, 1), 2);
    Send(channel, StreamRequest(7, 1), 1);
    Send(channel, StateSubscription(3, false), 1);
    Send(channel, StateSubscription(161, false), 1);
    Send(channel, WithByte(kCmdServiceStartC2, 8, 4), 1);

    std::vector<std::vector<uint8_t>> sent = channel.CloseCommand(1, kOnline);
    ASSERT_EQ(4u, sent.size());
    EXPECT_EQ(0x11, sent[0][0]);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(i == 7 ? 0 : 2, sent[0][8 + i]) << i;
    EXPECT_EQ(3, sent[1][12]);
    EXPECT_EQ(161, sent[2][12]);
    EXPECT_EQ(0xC9, sent[3][0]);
    EXPECT_EQ(4, sent[3][8]);
    EXPECT_EQ(1u, channel.StreamSubscriberCount());

    // Off line nothing is sent, yet the client's entries go.
    Send(channel, StateSubscription(5, false), 2);
    EXPECT_TRUE(channel.CloseCommand(2, kOffline).empty());
    EXPECT_EQ(0u, channel.StreamSubscriberCount());
    std::vector<uint8_t> report = WithByte(kCmdStateReport, 12, 5, 4);
    EXPECT_TRUE(channel.OnDeviceData(0, report.data(), report.size()).targets.empty());

    Send(channel, StreamRequest(2, 1), 3);
    Send(channel, Packet(0x40), 3);
    channel.Reset();
    EXPECT_EQ(0u, channel.PendingCount());
    EXPECT_EQ(0u, channel.StreamSubscriberCount());
}
