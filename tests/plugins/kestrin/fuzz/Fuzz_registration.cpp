// Registration and login packets: parsing what a device sends, and building
// the login from arbitrary credentials.
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "plugins/kestrin/AutoProtocol.h"

using namespace kestrin;

namespace {

std::string Text(const std::vector<uint8_t>& bytes) {
    std::string s(bytes.begin(), bytes.end());
    return s.substr(0, s.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AUTO_REGISTRATION reg;
    if (ParseRegistration(data, size, &reg) == kRegistrationOk) {
        size_t length = strnlen(reg.id, sizeof reg.id);
        FUZZ_CHECK(length > 0 && length < sizeof reg.id);
        FUZZ_CHECK(length == ReadLe32(data + 4));
        FUZZ_CHECK(std::memcmp(reg.id, data + kHeaderSize, length) == 0);
        FUZZ_CHECK(RegistrationIdEquals(reg.id, reg.id));
        FUZZ_CHECK(reg.connectionIndex == data[28]);
    }

    AUTO_LOGIN_REPLY reply;
    if (ParseLoginReply(data, size, &reply) == 0) {
        uint8_t answer[kMaxLoginReply];
        FUZZ_CHECK(BuildLoginAnswer(data, size, 1234, reply.channelCount, answer, sizeof answer) == int(size));
    }

    FuzzInput in(data, size);
    std::string user = Text(in.Bytes(in.Byte() % 40));
    std::string password = Text(in.Bytes(in.Byte() % 40));
    uint8_t login[kMaxLoginPacket];
    int n = BuildLoginPacket(user.c_str(), password.c_str(), login, sizeof login);
    if (user.size() <= kMaxCredentialLength && password.size() <= kMaxCredentialLength) {
        FUZZ_CHECK(n >= int(kHeaderSize) && size_t(n) <= sizeof login);
        FUZZ_CHECK(ReadLe32(login + 4) == uint32_t(n) - kHeaderSize);
    } else {
        FUZZ_CHECK(n == -1);
    }
    return 0;
}
