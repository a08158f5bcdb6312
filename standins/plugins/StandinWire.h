// What the stand-in plug-ins add to the SDK's direct protocol: the answer
// to an SDK sub-connection request, which only a relay gives. Pure code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {

const uint8_t kCmdSubConnection = 0xF1;
const size_t kSequenceOffset = 8;
const size_t kStatusOffset = 12;
const size_t kArg0Offset = 16;
const size_t kLoginIdOffset = 16;
const size_t kChannelCountOffset = 10;

// The answer to a sub-connection request: bytes 3, 8..11, 12 and 13 copied
// from the request (at least 32 bytes), everything else 0.
void BuildSubConnectionAnswer(const uint8_t* request, uint8_t* answer);

}  // namespace standin
