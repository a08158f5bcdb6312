// Feeds the framer a stream in pieces of fuzzer-chosen sizes and checks that
// it yields exactly the packets that framing the whole stream at once gives,
// with oversized packets skipped to the byte.
#include <vector>

#include "FuzzInput.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CAutoFramer.h"

namespace {

const size_t kFramerCapacity = 2048;
const size_t kPollCapacity = 600;

std::vector<std::vector<uint8_t>> FrameAtOnce(const std::vector<uint8_t>& stream) {
    std::vector<std::vector<uint8_t>> packets;
    size_t pos = 0;
    while (stream.size() - pos >= kestrin::kHeaderSize) {
        uint64_t total = kestrin::kHeaderSize + uint64_t(kestrin::ReadLe32(&stream[pos + 4]));
        if (total > kPollCapacity) {
            if (total > stream.size() - pos) break;
            pos += size_t(total);
            continue;
        }
        if (total > stream.size() - pos) break;
        packets.emplace_back(stream.begin() + pos, stream.begin() + pos + total);
        pos += size_t(total);
    }
    return packets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    std::vector<size_t> pieces(in.Byte() % 8 + 1);
    for (size_t& piece : pieces) piece = size_t(in.Byte()) + 1;
    std::vector<uint8_t> stream = in.Rest();

    // One framer for the whole run: its buffer is set up once, and every
    // input starts from and ends with a reset, which is checked below.
    static CAutoFramer framer;
    static const bool allocated = framer.Allocate(kFramerCapacity);
    FUZZ_CHECK(allocated && framer.Unread() == 0);
    std::vector<std::vector<uint8_t>> got;
    std::vector<uint8_t> out(kPollCapacity);
    size_t pos = 0;
    for (size_t i = 0; pos < stream.size(); ++i) {
        size_t n = std::min(pieces[i % pieces.size()], stream.size() - pos);
        FUZZ_CHECK(framer.Append(stream.data() + pos, n) == CAutoFramer::kAppended);
        pos += n;
        for (;;) {
            size_t length = 0;
            CAutoFramer::NextResult r = framer.Next(out.data(), out.size(), &length);
            if (r == CAutoFramer::kNeedMore) break;
            if (r == CAutoFramer::kPacket) {
                FUZZ_CHECK(length >= kestrin::kHeaderSize && length <= out.size());
                got.emplace_back(out.begin(), out.begin() + length);
            }
        }
        FUZZ_CHECK(framer.Unread() < kPollCapacity);
    }
    FUZZ_CHECK(got == FrameAtOnce(stream));
    framer.Reset();
    FUZZ_CHECK(framer.Unread() == 0);
    return 0;
}
