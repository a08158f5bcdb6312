// The relay through Portmoor with Kestrin, as an SDK client sees it: a
// registering device (plain blocking sockets) streams to an SDK client on
// Portmoor's local port, and the client's queries make round trips to the
// device. Beside both, the same over one plain loopback connection. Traffic
// goes to 127.0.0.1 only.
//
//   bench_proxy_relay [megabytes of stream, default 256] [round trips, default 2000]
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/BenchLoopback.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "proxy/Portmoor.h"
#include "tests/plugins/kestrin/CRegisteringDevice.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tests/proxy/support/SdkTestClient.h"

using namespace kestrin;

namespace {

const char kRegistrationId[] = "BENCH-RELAY";
const size_t kStreamBody = 32768;
const uint8_t kStreamIndex = 1;

std::vector<uint8_t> StreamPacket() {
    std::vector<uint8_t> p(kHeaderSize + kStreamBody, 0x5A);
    std::memset(p.data(), 0, kHeaderSize);
    p[0] = kCmdStreamData;
    WriteLe32(p.data() + 4, uint32_t(kStreamBody));
    return p;
}

SOCKET Dial(uint16_t port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = htons(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    return s;
}

// Sends request on s and reads packets until one with the command arrives.
bool Ask(SOCKET s, const std::vector<uint8_t>& request, uint8_t answer, std::vector<uint8_t>* reply) {
    if (!CRegisteringDevice::SendOn(s, request)) return false;
    while (CRegisteringDevice::ReadOn(s, reply, 5000)) {
        if ((*reply)[0] == answer) return true;
    }
    return false;
}

// Bytes until total have arrived on s, in MB/s from start.
double Receive(SOCKET s, long long total, LARGE_INTEGER start) {
    std::vector<char> buffer(65536);
    long long got = 0;
    while (got < total) {
        int n = recv(s, buffer.data(), int(buffer.size()), 0);
        if (n <= 0) break;
        got += n;
    }
    return double(got) / 1e6 / BenchSeconds(start, BenchNow());
}

std::vector<double> RelayRoundTrips(SOCKET client, int count) {
    std::vector<uint8_t> query(kHeaderSize, 0), reply;
    query[0] = kCmdQueryA6;
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start = BenchNow();
        if (!Ask(client, query, kCmdAnswerB5, &reply)) break;
        ms.push_back(BenchSeconds(start, BenchNow()) * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

// Portmoor bound by name from its DLL, which loads Kestrin.dll from its own folder.
struct Proxy {
    HMODULE module = LoadLibraryA("Portmoor.dll");
    decltype(&PROXY_Init) init = Bind<decltype(&PROXY_Init)>("PROXY_Init");
    decltype(&PROXY_Cleanup) cleanup = Bind<decltype(&PROXY_Cleanup)>("PROXY_Cleanup");
    decltype(&PROXY_AddDevice) add = Bind<decltype(&PROXY_AddDevice)>("PROXY_AddDevice");
    decltype(&PROXY_DeleteDevice) remove = Bind<decltype(&PROXY_DeleteDevice)>("PROXY_DeleteDevice");

    template <class Fn>
    Fn Bind(const char* name) {
        return module ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
    }
    bool Bound() const { return init && cleanup && add && remove; }
};

int Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 256;
    const int roundTrips = argc > 2 ? std::atoi(argv[2]) : 2000;
    EnsureWinsock();
    Proxy proxy;
    if (!proxy.Bound()) return Fail("Portmoor.dll not found");
    if (!proxy.init()) return Fail("PROXY_Init failed");
    const uint16_t registrationPort = FreeLocalPort(), localPort = FreeLocalPort();
    PROXY_DEVICE_INFO info = DirectDevice(registrationPort, localPort, "admin", "admin");
    std::strcpy(info.registrationId, kRegistrationId);
    info.channelCount = info.deviceInfo = 1;
    HANDLE proxied = proxy.add(PROXY_DEVICE_AUTOREG, &info);
    if (!proxied) return Fail("PROXY_AddDevice failed");

    CRegisteringDevice device(registrationPort, kRegistrationId, 1, 0x77);
    if (!device.Register()) return Fail("the device did not register");
    // The local listener opens once Kestrin reports the device on line.
    SOCKET main = INVALID_SOCKET;
    for (int i = 0; i < 500 && main == INVALID_SOCKET; ++i, Sleep(10)) main = Dial(localPort);
    std::vector<uint8_t> reply;
    if (main == INVALID_SOCKET || !Ask(main, SdkLogin("admin", "admin"), kCmdLoginReply, &reply))
        return Fail("the SDK login failed");
    const uint32_t session = ReadLe32(&reply[16]);
    SOCKET sub = Dial(localPort);
    if (sub == INVALID_SOCKET || !Ask(sub, SdkSubConnection(session, kStreamIndex), kCmdSubConnect, &reply))
        return Fail("the sub-connection failed");

    // Channel 0 subscribed on the sub-connection: the device is asked on its main link.
    std::vector<uint8_t> watch(kStreamRequestSize, 0);
    watch[0] = kCmdStream;
    WriteLe32(watch.data() + 4, kMaxChannels);
    watch[8] = 1;
    std::vector<uint8_t> asked;
    if (!CRegisteringDevice::SendOn(sub, watch) || !device.ReadCommand(0, kCmdStream, &asked))
        return Fail("the subscription did not reach the device");

    const std::vector<uint8_t> packet = StreamPacket();
    const long long packets = megabytes * 1000000 / (long long)packet.size();
    const long long total = packets * (long long)packet.size();
    LARGE_INTEGER from = BenchNow();
    std::thread stream([&] { SendRepeatedly(device.Link(kStreamIndex), packet, packets); });
    const double relayed = Receive(sub, total, from);
    stream.join();
    const double plain = PlainLoopbackMBps(packet, packets);
    std::printf(
        "stream, %lld MB in %zu-byte packets: through Portmoor %.0f MB/s, plain loopback %.0f MB/s, "
        "ratio %.2f\n",
        total / 1000000, packet.size(), relayed, plain, relayed / plain);

    // Round trips: the device answers every 0xA6 query with 0xB5 at once.
    volatile bool stop = false;
    std::thread answerer([&] {
        std::vector<uint8_t> query, answer(kHeaderSize, 0);
        answer[0] = kCmdAnswerB5;
        while (!stop) {
            if (device.Read(0, &query, 200) && query[0] == kCmdQueryA6)
                CRegisteringDevice::SendOn(device.Link(0), answer);
        }
    });
    PrintRoundTrips("round trip, plain loopback", PlainLoopbackRoundTrips(roundTrips));
    PrintRoundTrips("round trip, through Portmoor", RelayRoundTrips(main, roundTrips));
    stop = true;
    answerer.join();

    closesocket(sub);
    closesocket(main);
    device.DropAll();
    proxy.remove(proxied);
    proxy.cleanup();
    return 0;
}
