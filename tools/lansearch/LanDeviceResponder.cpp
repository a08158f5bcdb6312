// A simulated pair of LAN devices answering the UDP search protocol on port
// 5050. A native program: it runs in a network namespace of its own, beside
// the one where the library under test broadcasts.
//
//   LanDeviceResponder <log file>
//
// Writes "ready" to the log once bound, then one line per request received
// ("<command hex> <sender address>"). Runs until killed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "tools/lansearch/SimulatedDevices.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kPort = 5050;
constexpr size_t kHeader = 32;

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t GetLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Bytes ReplyHeader(uint8_t command, uint8_t extensionLength, uint32_t bodyLength, uint8_t form) {
    Bytes packet(kHeader, 0);
    packet[0] = command;
    packet[2] = extensionLength;
    PutLe32(&packet[4], bodyLength);
    packet[16] = form;
    return packet;
}

struct DeviceA {
    uint8_t record[88];
    Bytes extension;

    DeviceA() : extension(simdev::kDeviceAExtensionLength) {
        for (size_t i = 0; i < sizeof(record); ++i) record[i] = uint8_t(0xC0 ^ i);
        PutLe32(&record[24], simdev::kDeviceAIp);
        PutLe32(&record[28], simdev::kDeviceAMask);
        PutLe32(&record[32], simdev::kDeviceAGateway);
        PutLe32(&record[36], simdev::kDeviceAWord4);
        record[66] = uint8_t(simdev::kDeviceAPort);
        record[67] = uint8_t(simdev::kDeviceAPort >> 8);
        for (int i = 0; i < simdev::kDeviceAExtensionLength; ++i)
            extension[i] = uint8_t(simdev::kDeviceAExtensionFirst + i);
    }
};

class Responder {
public:
    Responder(int socket, FILE* log) : m_socket(socket), m_log(log) {}

    void Handle(const uint8_t* data, size_t length, const sockaddr_in& from) {
        if (length < kHeader || data[1] != 1) return;  // not a request (our own replies never come back: unicast)
        char sender[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &from.sin_addr, sender, sizeof(sender));
        fprintf(m_log, "%02x %s\n", data[0], sender);
        fflush(m_log);
        const size_t extensionLength = data[2];
        const uint64_t bodyLength = GetLe32(&data[4]);
        if (kHeader + bodyLength + extensionLength != length) return;
        const Bytes extension(data + length - extensionLength, data + length);
        switch (data[0]) {
            case 0xA3: OnSearch(data[16], from); break;
            case 0xA0:
                if (extension == m_a.extension) OnLogin(data, size_t(bodyLength), from);
                break;  // device B never answers a login
            case 0xC1:
                if (extension == m_a.extension && bodyLength == 88) OnModify(data + kHeader, from);
                break;
            default: break;
        }
    }

private:
    void OnSearch(uint8_t form, const sockaddr_in& to) {
        if (form == 2) {
            Bytes reply = ReplyHeader(0xB3, uint8_t(m_a.extension.size()), 88, 2);
            reply.insert(reply.end(), m_a.record, m_a.record + 88);
            reply.insert(reply.end(), m_a.extension.begin(), m_a.extension.end());
            Send(reply, to);
            Send(reply, to);
            SendBroken(to);
        } else if (form == 39) {
            const std::string text = simdev::kDeviceBText;
            Bytes reply = ReplyHeader(0xB3, 0, uint32_t(text.size()), 39);
            reply.insert(reply.end(), text.begin(), text.end());
            Send(reply, to);
            Send(reply, to);
        }
    }

    void SendBroken(const sockaddr_in& to) {
        uint8_t record[88] = {};
        PutLe32(&record[24], simdev::kBrokenDeviceIp);
        Bytes tooLong = ReplyHeader(0xB3, 0, 88, 2);
        tooLong.insert(tooLong.end(), record, record + 88);
        tooLong.push_back(0);
        Send(tooLong, to);
        const Bytes cut(tooLong.begin(), tooLong.begin() + 20);
        Send(cut, to);
    }

    void OnLogin(const uint8_t* request, size_t bodyLength, const sockaddr_in& to) {
        std::string user, password;
        if (bodyLength == 0) {
            user.assign(reinterpret_cast<const char*>(request + 8),
                        strnlen(reinterpret_cast<const char*>(request + 8), 8));
            password.assign(reinterpret_cast<const char*>(request + 16),
                            strnlen(reinterpret_cast<const char*>(request + 16), 8));
        } else {
            const std::string body(reinterpret_cast<const char*>(request + kHeader), bodyLength);
            const size_t separator = body.find("&&");
            if (separator == std::string::npos) return;
            user = body.substr(0, separator);
            password = body.substr(separator + 2);
        }
        const bool knownUser = user == simdev::kUser || user == simdev::kLongUser;
        Bytes reply = ReplyHeader(0xB0, 0, 0, 0);
        if (!knownUser || password != simdev::kPassword) {
            reply[8] = 1;  // refused
            reply[9] = 1;  // wrong user or password
        }
        Send(reply, to);
    }

    void OnModify(const uint8_t* record, const sockaddr_in& to) {
        const uint32_t newIp = GetLe32(&record[24]);
        Bytes reply = ReplyHeader(0xC1, 0, 88, 2);
        if (newIp == 0) {
            reply[8] = 3;  // invalid data
        } else {
            memcpy(m_a.record, record, sizeof(m_a.record));
            reply[8] = 0;
        }
        reply.insert(reply.end(), m_a.record, m_a.record + 88);
        Send(reply, to);
    }

    void Send(const Bytes& packet, const sockaddr_in& to) {
        sendto(m_socket, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    }

    int m_socket;
    FILE* m_log;
    DeviceA m_a;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <log file>\n", argv[0]);
        return 2;
    }
    FILE* log = fopen(argv[1], "w");
    if (!log) {
        perror(argv[1]);
        return 1;
    }
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(kPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (s < 0 || bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        perror("bind");
        return 1;
    }
    fprintf(log, "ready\n");
    fflush(log);
    Responder responder(s, log);
    uint8_t buffer[65536];
    for (;;) {
        sockaddr_in from = {};
        socklen_t fromLength = sizeof(from);
        const ssize_t received =
            recvfrom(s, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received >= 0) responder.Handle(buffer, size_t(received), from);
    }
}
