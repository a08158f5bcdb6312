// Kestrin.dll under load, driven as the proxy drives it, with registering
// devices on plain blocking sockets. Traffic goes to 127.0.0.1 only.
//
//   bench_kestrin [megabytes of stream, default 256] [devices, default 200]
//
// Measures, in one run: stream relay throughput from a device's
// sub-connection to the data callback beside a plain loopback connection
// carrying the same packets; request/reply round trips (median, 99th
// percentile) idle and while a stream runs; time until N devices that
// register at once are all on line.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/BenchLoopback.h"
#include "plugins/kestrin/AutoPluginTypes.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "tests/plugins/kestrin/CRegisteringDevice.h"

using namespace kestrin;

namespace {

const size_t kStreamBody = 32768;

typedef int(KESTRIN_CALL* InitFn)();
typedef void*(KESTRIN_CALL* OpenFn)(PLUGIN_DEVICE_RECORD*, int);
typedef int(KESTRIN_CALL* HandleFn)(void*);
typedef int(KESTRIN_CALL* SetCallBackFn)(void*, PluginMessageCallback, PluginDataCallback, void*);
typedef int(KESTRIN_CALL* SendFn)(void*, uint8_t*, int, int, int);

struct Plugin {
    InitFn init;
    InitFn cleanup;
    OpenFn open;
    HandleFn close;
    SetCallBackFn setCallBack;
    SendFn send;
};

PLUGIN_DEVICE_RECORD Record(int port, const std::string& id, int channels) {
    PLUGIN_DEVICE_RECORD r = {};
    std::strcpy(r.regAddress, "127.0.0.1");
    r.regPort = port;
    std::strcpy(r.userName, "admin");
    std::strcpy(r.password, "admin");
    std::strncpy(r.registrationId, id.c_str(), sizeof r.registrationId - 1);
    r.channelCount = channels;
    r.deviceInfo = channels;
    return r;
}

// What the callbacks count.
struct Counters {
    std::atomic<long long> streamBytes{0};
    std::atomic<int> replies{0};
    std::atomic<int> online{0};
};

int KESTRIN_CALL OnMessage(int, int state, void* user) {
    if (state == 1) ++static_cast<Counters*>(user)->online;
    return 0;
}

int KESTRIN_CALL OnData(PLUGIN_DATA_TARGET*, int, uint8_t* data, int length, void* user) {
    Counters* counters = static_cast<Counters*>(user);
    if (data[0] == kCmdStreamData)
        counters->streamBytes += length;
    else if (data[0] == kCmdAnswerB5)
        ++counters->replies;
    return 0;
}

std::vector<uint8_t> StreamPacket() {
    std::vector<uint8_t> p(kHeaderSize + kStreamBody, 0x5A);
    std::memset(p.data(), 0, kHeaderSize);
    p[0] = kCmdStreamData;
    WriteLe32(p.data() + 4, uint32_t(kStreamBody));
    p[8] = 0;
    return p;
}

// Round trips of an 0xA6 query answered at once by the device, in ms.
std::vector<double> RoundTrips(const Plugin& plugin, void* device, CRegisteringDevice& dev, Counters& counters,
                               int count) {
    std::atomic<bool> stop{false};
    std::thread answerer([&] {
        std::vector<uint8_t> packet, answer(kHeaderSize, 0);
        answer[0] = kCmdAnswerB5;
        while (!stop && dev.Read(0, &packet, 200)) {
            if (packet[0] == 0xA6) CRegisteringDevice::SendOn(dev.Link(0), answer);
        }
    });
    std::vector<uint8_t> query(kHeaderSize, 0);
    query[0] = 0xA6;
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        int before = counters.replies;
        LARGE_INTEGER start = BenchNow();
        plugin.send(device, query.data(), int(query.size()), 7, 0);
        while (counters.replies == before) SwitchToThread();
        ms.push_back(BenchSeconds(start, BenchNow()) * 1000.0);
    }
    stop = true;
    answerer.join();
    std::sort(ms.begin(), ms.end());
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 256;
    const int deviceCount = argc > 2 ? std::atoi(argv[2]) : 200;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    HMODULE module = LoadLibraryA("Kestrin.dll");
    if (module == nullptr) {
        std::fprintf(stderr, "Kestrin.dll not found\n");
        return 1;
    }
    Plugin plugin = {
        reinterpret_cast<InitFn>(GetProcAddress(module, "DVR_AUTO_Init")),
        reinterpret_cast<InitFn>(GetProcAddress(module, "DVR_AUTO_Cleanup")),
        reinterpret_cast<OpenFn>(GetProcAddress(module, "DVR_AUTO_OpenDeviceEx")),
        reinterpret_cast<HandleFn>(GetProcAddress(module, "DVR_AUTO_CloseDevice")),
        reinterpret_cast<SetCallBackFn>(GetProcAddress(module, "DVR_AUTO_SetCallBack")),
        reinterpret_cast<SendFn>(GetProcAddress(module, "DVR_AUTO_SendData")),
    };
    plugin.init();
    const int port = CRegisteringDevice::FreeLoopbackPort();

    // Stream relay and round trips on one device of one channel.
    Counters counters;
    PLUGIN_DEVICE_RECORD record = Record(port, "BENCH-STREAM", 1);
    void* device = plugin.open(&record, 1);
    plugin.setCallBack(device, &OnMessage, &OnData, &counters);
    CRegisteringDevice dev(port, "BENCH-STREAM", 1, 0x77);
    if (device == nullptr || !dev.Register()) {
        std::fprintf(stderr, "the stream device did not register\n");
        return 1;
    }
    std::vector<uint8_t> watch(kStreamRequestSize, 0);
    watch[0] = kCmdStream;
    WriteLe32(watch.data() + 4, kMaxChannels);
    watch[8] = 1;
    plugin.send(device, watch.data(), int(watch.size()), 7, 1);
    std::vector<uint8_t> start;
    dev.ReadCommand(0, kCmdStream, &start);

    const long long packets = megabytes * 1000000 / (long long)(kHeaderSize + kStreamBody);
    const long long total = packets * (long long)(kHeaderSize + kStreamBody);
    LARGE_INTEGER from = BenchNow();
    std::thread send([&] { SendRepeatedly(dev.Link(1), StreamPacket(), packets); });
    while (counters.streamBytes < total) Sleep(1);
    double relayed = double(total) / 1e6 / BenchSeconds(from, BenchNow());
    send.join();
    double plain = PlainLoopbackMBps(StreamPacket(), packets);
    std::printf("stream relay, %lld MB in %zu-byte packets: Kestrin %.0f MB/s, plain loopback %.0f MB/s, ratio %.2f\n",
                total / 1000000, kHeaderSize + kStreamBody, relayed, plain, relayed / plain);

    PrintRoundTrips("round trip, plain loopback", PlainLoopbackRoundTrips(2000));
    PrintRoundTrips("round trip, idle", RoundTrips(plugin, device, dev, counters, 2000));
    volatile bool stopStream = false;
    std::thread busy([&] { SendRepeatedly(dev.Link(1), StreamPacket(), 1LL << 40, &stopStream); });
    PrintRoundTrips("round trip, with a stream running", RoundTrips(plugin, device, dev, counters, 2000));
    stopStream = true;
    busy.join();
    plugin.close(device);
    dev.DropAll();

    // Many devices registering at once: main connection, login, one sub-connection each.
    Counters registered;
    std::vector<void*> devices;
    std::vector<std::unique_ptr<CRegisteringDevice>> doubles;
    for (int i = 0; i < deviceCount; ++i) {
        std::string id = "BENCH-" + std::to_string(i);
        PLUGIN_DEVICE_RECORD r = Record(port, id, 0);
        devices.push_back(plugin.open(&r, 1));
        plugin.setCallBack(devices.back(), &OnMessage, &OnData, &registered);
        doubles.emplace_back(new CRegisteringDevice(port, id, 0, uint32_t(i + 1)));
    }
    const int threads = 16;
    std::atomic<int> failed{0};
    from = BenchNow();
    std::vector<std::thread> registering;
    for (int t = 0; t < threads; ++t) {
        registering.emplace_back([&, t] {
            for (int i = t; i < deviceCount; i += threads)
                if (!doubles[size_t(i)]->Register()) ++failed;
        });
    }
    for (std::thread& t : registering) t.join();
    while (registered.online < deviceCount - failed) Sleep(1);
    std::printf("%d devices registering at once (%d threads): all on line after %.0f ms (%d failed)\n", deviceCount,
                threads, BenchSeconds(from, BenchNow()) * 1000.0, failed.load());
    for (void* d : devices) plugin.close(d);
    doubles.clear();
    plugin.cleanup();
    FreeLibrary(module);
    WSACleanup();
    return 0;
}
