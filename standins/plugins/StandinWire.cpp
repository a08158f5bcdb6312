#include "standins/plugins/StandinWire.h"

#include <cstring>

namespace standin {

void BuildSubConnectionAnswer(const uint8_t* request, uint8_t* answer) {
    std::memset(answer, 0, 32);
    answer[0] = kCmdSubConnection;
    answer[3] = request[3];
    std::memcpy(answer + 8, request + 8, 6);
}

}  // namespace standin
