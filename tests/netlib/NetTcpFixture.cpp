#include "NetTcpFixture.h"

int SendRetrying(CNetTcpConnection& connection, int context, const std::string& data) {
    for (;;) {
        const int result = connection.Send(context, MakeBuffer(data));
        if (result != -3) return result;
        Sleep(1);
    }
}

std::string Message(uint32_t tag, uint32_t sequence, uint32_t length) {
    std::string message(12, '\0');
    memcpy(&message[0], &tag, 4);
    memcpy(&message[4], &sequence, 4);
    memcpy(&message[8], &length, 4);
    return message + Pattern(length, tag * 100000 + sequence);
}

::testing::AssertionResult WholeAndInOrder(const std::string& stream, int tags, uint32_t count) {
    std::map<uint32_t, uint32_t> next;
    size_t at = 0;
    while (at < stream.size()) {
        if (stream.size() - at < 12) return ::testing::AssertionFailure() << "truncated header at " << at;
        uint32_t tag, sequence, length;
        memcpy(&tag, &stream[at], 4);
        memcpy(&sequence, &stream[at + 4], 4);
        memcpy(&length, &stream[at + 8], 4);
        if (stream.size() - at - 12 < length) return ::testing::AssertionFailure() << "truncated payload at " << at;
        if (sequence != next[tag])
            return ::testing::AssertionFailure() << "tag " << tag << " expected " << next[tag] << " got " << sequence;
        if (stream.compare(at + 12, length, Pattern(length, tag * 100000 + sequence)) != 0)
            return ::testing::AssertionFailure() << "corrupt payload of tag " << tag << " message " << sequence;
        ++next[tag];
        at += 12 + length;
    }
    if (static_cast<int>(next.size()) != tags) return ::testing::AssertionFailure() << next.size() << " tags seen";
    for (const auto& seen : next)
        if (seen.second != count)
            return ::testing::AssertionFailure() << "tag " << seen.first << " ended at " << seen.second;
    return ::testing::AssertionSuccess();
}
