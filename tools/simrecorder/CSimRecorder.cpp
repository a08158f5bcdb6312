#include "tools/simrecorder/CSimRecorder.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

#include "standins/qvnetsdk/SdkSocket.h"

namespace {

// Bytes of answers held back for one send: a batch of block reads.
const size_t kAnswerBatch = 512 * 1024;

}  // namespace

CSimRecorder::CSimRecorder(const SimRecorderConfig& config)
    : m_device(config),
      m_server([this](SOCKET s, const std::atomic<bool>& stop) { Serve(s, stop); }),
      m_restartMs(config.restartMs) {}

CSimRecorder::~CSimRecorder() { Stop(); }

bool CSimRecorder::Start(const char* ip, uint16_t port) {
    {
        CAutoLock lock(&m_controlLock);
        m_stopping = false;
    }
    m_ip = ip ? ip : "";
    return m_server.Listen(ip, port);
}

void CSimRecorder::Stop() {
    // No control action starts after this point: one requested by a
    // connection that is still replying would otherwise go off line (or on
    // line again) while the recorder is being closed.
    std::thread control;
    {
        CAutoLock lock(&m_controlLock);
        m_stopping = true;
        control.swap(m_control);
    }
    if (control.joinable()) control.join();
    m_server.Close();
}

void CSimRecorder::GoOffline() { m_server.Close(); }

bool CSimRecorder::GoOnline() { return m_server.Listen(m_ip.c_str(), m_server.Port()); }

void CSimRecorder::Serve(SOCKET s, const std::atomic<bool>& stop) {
    SimConnectionState state;
    CPacketFramer framer;
    std::vector<uint8_t> packet, reply, answers;
    while (qvsock::ReceivePacket(s, framer, packet, stop)) {
        const CSimDevice::Action action = m_device.Handle(state, packet.data(), packet.size(), reply);
        if (action != CSimDevice::kNoReply && action != CSimDevice::kDrop) {
            answers.insert(answers.end(), reply.begin(), reply.end());
        }
        // The answers to requests that arrived together leave together: one
        // send for a batch of block reads instead of one per block.
        // A device slowed on purpose shows each block as it is made.
        const bool more = action == CSimDevice::kReply && framer.HoldsPacket() && answers.size() < kAnswerBatch &&
                          m_device.Faults().slowMsPerBlock == 0;
        if (!more) {
            if (!answers.empty() && !qvsock::SendAll(s, answers)) break;
            answers.clear();
        }
        if (action == CSimDevice::kDrop) break;
        if (action == CSimDevice::kRestart || action == CSimDevice::kShutdown) {
            RunControl(action);
            break;
        }
    }
    m_device.EndConnection(state);
}

void CSimRecorder::RunControl(CSimDevice::Action action) {
    // Going off line joins every connection thread, this one included, so
    // it runs on a thread of its own.
    // One still running is never waited for here: it may be joining this
    // very connection, and it already takes the recorder off line.
    CAutoLock lock(&m_controlLock);
    if (m_stopping || m_controlRunning) return;
    if (m_control.joinable()) m_control.join();
    m_controlRunning = true;
    m_control = std::thread([this, action] {
        GoOffline();
        if (action == CSimDevice::kRestart) {
            Sleep(m_restartMs);
            GoOnline();
        }
        m_controlRunning = false;
    });
}

bool CSimRecorder::RunCommand(const std::string& line) {
    std::istringstream words(line);
    std::string verb, value;
    words >> verb >> value;
    const bool on = value == "on";
    const bool onOff = value == "on" || value == "off";
    const bool number = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    const long long n = number ? std::atoll(value.c_str()) : 0;
    SimFaults& faults = m_device.Faults();
    if (verb == "offline" && value.empty()) {
        GoOffline();
    } else if (verb == "online" && value.empty()) {
        return GoOnline();
    } else if (verb == "busy" && onOff) {
        faults.busy = on;
    } else if (verb == "unknown" && onOff) {
        faults.unknownFiles = on;
    } else if (verb == "mute" && onOff) {
        faults.mute = on;
    } else if (verb == "refuse" && number && n <= 7) {
        faults.loginRefusal = static_cast<int>(n);
    } else if (verb == "slow" && number && n <= 60000) {
        faults.slowMsPerBlock = static_cast<int>(n);
    } else if (verb == "drop" && number) {
        faults.dropAfterBytes = n;
    } else {
        return false;
    }
    return true;
}
