#include "tools/simrecorder/CSimDdnsResponder.h"

#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"

CSimDdnsResponder::CSimDdnsResponder()
    : m_server([this](SOCKET s, const std::atomic<bool>& stop) { Serve(s, stop); }) {}

void CSimDdnsResponder::SetEntry(const std::string& deviceName, const std::string& address) {
    CAutoLock lock(&m_lock);
    m_entries[deviceName] = address;
}

void CSimDdnsResponder::Serve(SOCKET s, const std::atomic<bool>& stop) {
    CPacketFramer framer;
    std::vector<uint8_t> packet;
    while (qvsock::ReceivePacket(s, framer, packet, stop)) {
        qvwire::PacketHeader request;
        if (!qvwire::DecodeHeader(packet.data(), packet.size(), request) || request.command != qvwire::kCmdDdns) {
            continue;
        }
        ++m_lookups;
        const std::string name(reinterpret_cast<const char*>(packet.data() + qvwire::kHeaderSize), request.bodyLength);
        qvwire::PacketHeader answer;
        answer.command = qvwire::kCmdDdns;
        answer.sequence = request.sequence;
        std::string address;
        {
            CAutoLock lock(&m_lock);
            auto found = m_entries.find(name);
            if (found != m_entries.end()) address = found->second;
        }
        answer.status = address.empty() ? qvwire::kStatusNoSuch : qvwire::kStatusOk;
        const std::vector<uint8_t> reply =
            qvwire::BuildPacket(answer, reinterpret_cast<const uint8_t*>(address.data()), address.size());
        if (!qvsock::SendAll(s, reply)) break;
    }
}
