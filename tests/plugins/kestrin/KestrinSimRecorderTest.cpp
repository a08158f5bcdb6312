// Kestrin.dll with the simulated recorder in its self-registering mode: the
// recorder registers, logs in and opens its sub-connections; SDK packets
// handed to the plug-in as the proxy hands them reach the recorder, and its
// answers come back through the data callback.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"
#include "tests/plugins/kestrin/KestrinPluginFixture.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimRegistrar.h"

using namespace qvwire;

namespace {

const char kRegistrationId[] = "SIM-REG-01";

class KestrinWithRecorder : public KestrinPlugin {
protected:
    void SetUp() override {
        KestrinPlugin::SetUp();
        SimRecorderConfig config;
        config.channelCount = 2;
        SimCatalogueRule rule;
        rule.firstDay = {2026, 6, 1, 0, 0, 0};
        rule.fileMinutes = 10;
        rule.dayEndSecond = 3600;
        config.rules.push_back(rule);
        recorder.reset(new CSimRecorder(config));
        PLUGIN_DEVICE_RECORD record = Record(port, kRegistrationId, 2, 2);
        std::strcpy(record.password, "admin");
        OpenDevice({record});
        registrar.reset(new CSimRegistrar(*recorder, kRegistrationId, config.channelCount));
        ASSERT_TRUE(registrar->Start("127.0.0.1", uint16_t(port)));
        ASSERT_TRUE(log.WaitStates({0, 1}));
    }
    void TearDown() override {
        registrar.reset();
        KestrinPlugin::TearDown();
        recorder.reset();
    }

    // One SDK request from client 5 through the plug-in; its answer.
    PacketHeader Exchange(uint8_t command, uint32_t sequence, std::initializer_list<uint32_t> args,
                          const std::vector<uint8_t>& body, std::vector<uint8_t>* reply) {
        PacketHeader header;
        header.command = command;
        header.sequence = sequence;
        int i = 0;
        for (uint32_t a : args) header.args[i++] = a;
        std::vector<uint8_t> packet = BuildPacket(header, body);
        PARSE_RESULT parsed = Parse(packet, 5);
        EXPECT_EQ(parsed.forward, 1);
        EXPECT_EQ(Send(packet, 5, 0), 0);
        CallbackLog::Data data;
        PacketHeader answer;
        if (!log.WaitData(command, &data)) return answer;
        EXPECT_EQ(data.targets.size(), 1u);
        EXPECT_EQ(data.targets[0].sessionId, 5);
        DecodeHeader(data.bytes.data(), data.bytes.size(), answer);
        EXPECT_EQ(answer.sequence, sequence);
        *reply = data.bytes;
        return answer;
    }

    std::unique_ptr<CSimRecorder> recorder;
    std::unique_ptr<CSimRegistrar> registrar;
};

TEST_F(KestrinWithRecorder, LoginIsAnsweredFromTheRecordersOwnReply) {
    EXPECT_TRUE(WaitFor([&] { return registrar->IsRegistered(); }));
    PARSE_RESULT login = Parse(BuildLoginRequest("admin", "admin"), 41);
    ASSERT_EQ(login.action, kParseLogin);
    ASSERT_EQ(login.replyLength, int(kLoginReplySize));
    uint8_t result = 0xFF;
    uint32_t loginId = 0;
    QVNET_DEVICE_INFO info;
    ASSERT_TRUE(ParseLoginReply(login.reply, size_t(login.replyLength), result, loginId, info));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(loginId, 41u);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(FieldText(info.serial, sizeof info.serial), "QVSIM0001");
    EXPECT_EQ(recorder->Device().LoginCount(), 1) << "the SDK login never reaches the recorder";
}

TEST_F(KestrinWithRecorder, RecordFileQueryAndByteExactDownload) {
    FindRequest find;
    find.channel = 1;
    find.start = {2026, 6, 1, 0, 0, 0};
    find.end = {2026, 6, 1, 23, 59, 59};
    find.maxCount = 100;
    std::vector<uint8_t> reply;
    PacketHeader found = Exchange(kCmdFind, 1, {}, EncodeFindRequest(find), &reply);
    ASSERT_EQ(found.status, uint32_t(kStatusOk));
    ASSERT_EQ(found.args[0], 6u);  // six ten-minute files in the first hour
    RECORD_FILE_DESC file;
    std::memcpy(&file, reply.data() + kHeaderSize + 2 * sizeof file, sizeof file);
    EXPECT_EQ(file.channel, 1u);

    OpenRequest open;
    open.file = file;
    PacketHeader opened = Exchange(kCmdOpen, 2, {kOpenFile}, EncodeOpenRequest(open), &reply);
    ASSERT_EQ(opened.status, uint32_t(kStatusOk));
    const uint64_t total = opened.args[1] | (uint64_t(opened.args[2]) << 32);
    std::vector<uint8_t> received;
    for (uint32_t sequence = 3; received.size() < total; ++sequence) {
        PacketHeader block =
            Exchange(kCmdRead, sequence, {opened.args[0], uint32_t(received.size()), 0, kMaxBlock}, {}, &reply);
        ASSERT_EQ(block.status, uint32_t(kStatusOk));
        ASSERT_GT(block.bodyLength, 0u);
        received.insert(received.end(), reply.begin() + kHeaderSize, reply.end());
    }
    streamfmt::StreamParams streamParams;
    ASSERT_TRUE(recorder->Device().Catalogue().ParamsOfFile(file, streamParams));
    EXPECT_EQ(received, streamfmt::BuildStream(streamParams));
}

TEST_F(KestrinWithRecorder, RecorderThatDropsOffRegistersAgain) {
    registrar->Drop();
    ASSERT_TRUE(WaitFor(
        [&] {
            heartbeat(device);
            return log.States().size() >= 3;
        },
        10000));
    EXPECT_TRUE(log.WaitStates({0, 1, 0, 0, 1}));
    EXPECT_TRUE(WaitFor([&] { return registrar->Registrations() == 2; }));
    PARSE_RESULT login = Parse(BuildLoginRequest("admin", "admin"), 8);
    EXPECT_EQ(login.action, kParseLogin);
    EXPECT_EQ(recorder->Device().LoginCount(), 2);
}

}  // namespace
