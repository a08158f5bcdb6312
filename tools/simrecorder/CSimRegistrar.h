// Self-registering mode of the simulated recorder: instead of listening, it
// connects out to a registration server, registers its main connection
// (0xB4, connection index 0) and serves the login and everything after it
// there; once logged in it opens sub-connections 1 .. channels + 1, each
// with its own registration and the server's 0xF1 handshake. When the main
// connection ends, every connection is cut and the recorder registers again.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/CAutoLock.h"
#include "common/UniqueHandle.h"

class CSimRecorder;

class CSimRegistrar {
public:
    // How long a round waits for the login, and between rounds.
    static constexpr uint32_t kLoginWaitMs = 10000;
    static constexpr uint32_t kRetryMs = 200;

    // channels: the sub-connections to open are 1 .. channels + 1 (the
    // count the recorder's login reply reports).
    CSimRegistrar(CSimRecorder& recorder, std::string registrationId, uint32_t channels);
    ~CSimRegistrar();
    CSimRegistrar(const CSimRegistrar&) = delete;
    CSimRegistrar& operator=(const CSimRegistrar&) = delete;

    // Starts registering with ip:port, again after every loss. False when
    // already running.
    bool Start(const char* ip, uint16_t port);
    // Cuts every connection and stops registering.
    void Stop();
    // Cuts every connection now; the next round starts after kRetryMs.
    void Drop();

    // Every sub-connection of the current round has its handshake.
    bool IsRegistered() const { return m_registered; }
    // Rounds that reached IsRegistered.
    int Registrations() const { return m_registrations; }

    // A registration packet: 32-byte header (0xB4, body length, byte 8 = 7,
    // byte 28 = the connection index) followed by the id without terminator.
    static std::vector<uint8_t> RegistrationPacket(const std::string& id, int connectionIndex);

private:
    struct Link {
        CUniqueSocket socket;
        std::thread thread;
    };

    void Run();
    // One round: returns when the main connection ends, Drop or Stop.
    void RunRound();
    bool WaitForLogin(int loginsBefore);
    bool OpenSubConnection(int index);
    void Serve(SOCKET s);
    void CutLinks();

    CSimRecorder& m_recorder;
    const std::string m_id;
    const uint32_t m_channels;
    std::string m_ip;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_roundStop{false};
    std::atomic<bool> m_mainEnded{false};
    std::atomic<bool> m_registered{false};
    std::atomic<int> m_registrations{0};
    CLock m_linksLock;
    std::vector<Link> m_links;
    bool m_winsock = false;
};
