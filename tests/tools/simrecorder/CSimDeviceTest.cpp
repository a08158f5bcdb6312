#include "tools/simrecorder/CSimDevice.h"

#include <gtest/gtest.h>

#include <cstring>

#include "standins/qvnetsdk/SdkWire.h"

using namespace qvwire;

namespace {

SimRecorderConfig Config() {
    SimRecorderConfig config;
    SimCatalogueRule rule;
    rule.firstDay = {2026, 6, 1, 0, 0, 0};
    rule.fileMinutes = 10;
    config.rules.push_back(rule);
    return config;
}

std::vector<uint8_t> Request(uint8_t command, uint32_t sequence, std::initializer_list<uint32_t> args = {},
                             const std::vector<uint8_t>& body = {}) {
    PacketHeader header;
    header.command = command;
    header.sequence = sequence;
    int i = 0;
    for (uint32_t a : args) header.args[i++] = a;
    return BuildPacket(header, body);
}

struct Exchange {
    CSimDevice::Action action;
    PacketHeader header;
    std::vector<uint8_t> reply;
};

Exchange Send(CSimDevice& device, SimConnectionState& state, const std::vector<uint8_t>& packet) {
    Exchange e;
    e.action = device.Handle(state, packet.data(), packet.size(), e.reply);
    if (!e.reply.empty()) DecodeHeader(e.reply.data(), e.reply.size(), e.header);
    return e;
}

void LogIn(CSimDevice& device, SimConnectionState& state) {
    const Exchange e = Send(device, state, BuildLoginRequest("admin", "admin"));
    ASSERT_EQ(e.action, CSimDevice::kReply);
    ASSERT_EQ(e.reply.size(), kLoginReplySize);
    ASSERT_EQ(e.reply[8], 0);
    ASSERT_TRUE(state.loggedIn);
}

}  // namespace

TEST(SimDevice, AnswersEachOwnRequestWithItsCommandAndSequence) {
    CSimDevice device(Config());
    SimConnectionState state;
    Exchange early = Send(device, state, Request(kCmdQuery, 5, {kQueryRecordStates}));
    EXPECT_EQ(early.header.status, static_cast<uint32_t>(kStatusBadRequest)) << "nothing before a login";
    LogIn(device, state);
    const uint8_t commands[] = {kCmdQuery, kCmdSet, kCmdFind, kCmdOpen, kCmdRead, kCmdClose, kCmdTalk, kCmdJob, 0x9E};
    uint32_t sequence = 100;
    for (uint8_t command : commands) {
        const Exchange e = Send(device, state, Request(command, ++sequence));
        ASSERT_EQ(e.action, CSimDevice::kReply) << int(command);
        EXPECT_EQ(e.header.command, command);
        EXPECT_EQ(e.header.sequence, sequence);
    }
    EXPECT_EQ(Send(device, state, Request(0x9E, 1)).header.status, static_cast<uint32_t>(kStatusUnsupported));
    const Exchange keepAlive = Send(device, state, BuildKeepAlive(kCmdKeepAlive));
    EXPECT_EQ(keepAlive.reply, BuildKeepAlive(kCmdKeepAliveReply));
}

TEST(SimDevice, IgnoresWhatARelaySendsOnItsOwn) {
    CSimDevice device(Config());
    SimConnectionState state;
    LogIn(device, state);
    const uint8_t commands[] = {0x11, 0x68, 0xC9, 0xC2, 0xA3, 0xF1, 0x12};
    for (uint8_t command : commands) {
        const Exchange e = Send(device, state, Request(command, 1));
        EXPECT_EQ(e.action, CSimDevice::kNoReply) << int(command);
    }
    // A packet whose length field disagrees with what arrived is ignored too.
    std::vector<uint8_t> cut = Request(kCmdQuery, 1, {kQueryClock});
    cut.push_back(0);
    EXPECT_EQ(Send(device, state, cut).action, CSimDevice::kNoReply);
}

TEST(SimDevice, StreamsAFileBlockByBlockAndDropsOnceWhenAsked) {
    CSimDevice device(Config());
    SimConnectionState state;
    LogIn(device, state);
    const std::vector<RECORD_FILE_DESC> files = device.Catalogue().Query(0, 0, 0, INT64_MAX);
    ASSERT_FALSE(files.empty());
    OpenRequest open;
    open.file = files[3];
    Exchange opened = Send(device, state, Request(kCmdOpen, 1, {kOpenFile}, EncodeOpenRequest(open)));
    ASSERT_EQ(opened.header.status, static_cast<uint32_t>(kStatusOk));
    const uint32_t id = opened.header.args[0];
    const uint64_t total = opened.header.args[1];
    streamfmt::StreamParams streamParams;
    ASSERT_TRUE(device.Catalogue().ParamsOfFile(files[3], streamParams));
    ASSERT_EQ(total, streamfmt::StreamLength(streamParams));
    EXPECT_EQ(device.OpenTransfers(), 1);

    std::vector<uint8_t> received;
    while (received.size() < total) {
        Exchange block =
            Send(device, state, Request(kCmdRead, 2, {id, static_cast<uint32_t>(received.size()), 0, 100000}));
        ASSERT_EQ(block.header.status, static_cast<uint32_t>(kStatusOk));
        ASSERT_GT(block.header.bodyLength, 0u);
        ASSERT_LE(block.header.bodyLength, kMaxBlock);
        received.insert(received.end(), block.reply.begin() + kHeaderSize, block.reply.end());
    }
    EXPECT_EQ(received, streamfmt::BuildStream(streamParams));
    EXPECT_EQ(Send(device, state, Request(kCmdRead, 3, {id, static_cast<uint32_t>(total), 0, 100})).header.bodyLength,
              0u);

    device.Faults().dropAfterBytes = 1;
    EXPECT_EQ(Send(device, state, Request(kCmdRead, 4, {id, 0, 0, 100})).action, CSimDevice::kDrop);
    EXPECT_EQ(Send(device, state, Request(kCmdRead, 5, {id, 0, 0, 100})).action, CSimDevice::kReply) << "fires once";
    EXPECT_EQ(Send(device, state, Request(kCmdRead, 6, {id + 1, 0, 0, 100})).header.status,
              static_cast<uint32_t>(kStatusNoSuch));
    device.EndConnection(state);
    EXPECT_EQ(device.OpenTransfers(), 0);
}

TEST(SimDevice, RestartAndShutdownAnswerFirst) {
    CSimDevice device(Config());
    SimConnectionState state;
    LogIn(device, state);
    Exchange restart = Send(device, state, Request(kCmdSet, 1, {kSetRestart}));
    EXPECT_EQ(restart.action, CSimDevice::kRestart);
    EXPECT_EQ(restart.header.status, static_cast<uint32_t>(kStatusOk));
    EXPECT_EQ(Send(device, state, Request(kCmdSet, 2, {kSetShutdown})).action, CSimDevice::kShutdown);
}
