// The network SDK's download path: one large record file fetched from a
// simulated recorder on 127.0.0.1 directly, through Portmoor with a stand-in
// plug-in (a device reached directly) and through Portmoor with Kestrin (a
// device that registers itself), each beside a plain copy of the same bytes
// over one loopback TCP connection into a file, measured in the same run;
// and the fixed cost of one small file on each path.
//
//   bench_sdk <work folder> [MB of the large file, default 64] [small files, default 40]
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "standins/streamfmt/StreamFormat.h"
#include "proxy/Portmoor.h"
#include "tests/standins/qvnetsdk/SdkApi.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimRegistrar.h"

namespace {

const QVNET_TIME kDay = {2026, 3, 2, 0, 0, 0};
const char kRegistrationId[] = "BENCH-SDK-1";
// Frames of 25 per second make a minute of recording about 1.2 MB.
const uint16_t kFps = 25;
const uint32_t kSmallFiles = 60;

double Mb(uint64_t bytes) { return bytes / 1048576.0; }

// Channel 0 holds the large file from 00:00, channel 1 small files of one
// second each (25 frames, about 19 KB: one block).
SimRecorderConfig RecorderConfig(uint32_t largeMinutes) {
    SimRecorderConfig config;
    config.channelCount = 2;
    config.fps = kFps;
    SimCatalogueRule large;
    large.channelMask = 1;
    large.firstDay = kDay;
    large.fileMinutes = largeMinutes;
    large.dayEndSecond = largeMinutes * 60;
    config.rules = {large};
    for (uint32_t i = 0; i < kSmallFiles; ++i) {
        SimListedFile small;
        small.channel = 1;
        small.start = qvwire::SecondsToTime(qvwire::TimeToSeconds(kDay) + 2 * i);
        small.end = qvwire::SecondsToTime(qvwire::TimeToSeconds(small.start) + 1);
        config.files.push_back(small);
    }
    return config;
}

streamfmt::StreamParams ParamsOf(const SimRecorderConfig& config, const RECORD_FILE_DESC& file) {
    streamfmt::StreamParams streamParams;
    streamParams.channel = file.channel;
    streamParams.beginTime = qvwire::TimeToSeconds(file.start);
    streamParams.endTime = qvwire::TimeToSeconds(file.end);
    streamParams.fps = config.fps;
    streamParams.width = config.width;
    streamParams.height = config.height;
    return streamParams;
}

uint64_t BytesOf(const SimRecorderConfig& config, const RECORD_FILE_DESC& file) {
    return streamfmt::StreamLength(ParamsOf(config, file));
}

// How fast the simulated recorder makes stream bytes on its own, in the
// blocks a read answer carries: a bound on every path through it.
double RecorderBytesPerSecond(const SimRecorderConfig& config, const RECORD_FILE_DESC& file) {
    const streamfmt::StreamParams streamParams = ParamsOf(config, file);
    const uint64_t total = streamfmt::StreamLength(streamParams);
    std::vector<uint8_t> block(qvwire::kMaxBlock);
    LARGE_INTEGER start = BenchNow();
    for (uint64_t offset = 0; offset < total; offset += block.size()) {
        streamfmt::ReadStreamBytes(streamParams, offset, block.data(), block.size());
    }
    return total / BenchSeconds(start, BenchNow());
}

struct Progress {
    std::atomic<uint32_t> total{0};
    std::atomic<uint32_t> done{0};
    HANDLE complete = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Progress() { CloseHandle(complete); }
};

void QVNET_CALL OnPos(int32_t, uint32_t total, uint32_t done, QVNET_USER user) {
    Progress* p = reinterpret_cast<Progress*>(user);
    p->total = total;
    p->done = done;
    if (total > 0 && done >= total) SetEvent(p->complete);
}

void QVNET_CALL OnDisconnect(int32_t, const char*, int32_t, QVNET_USER) {}

// Fetches one file and waits for its last report; seconds, or -1 on failure.
double Fetch(int32_t login, const RECORD_FILE_DESC& file, const std::string& path) {
    Progress progress;
    LARGE_INTEGER start = BenchNow();
    const int32_t handle =
        Sdk().FetchRecordFile(login, &file, path.c_str(), OnPos, reinterpret_cast<QVNET_USER>(&progress));
    if (!handle) return -1;
    // Waits on the last report rather than spinning: a spinning waiter
    // would take a core from the transfer it times.
    while (WaitForSingleObject(progress.complete, 100) != WAIT_OBJECT_0) {
        QVNET_TEST_COUNTERS counters = {};
        Sdk().TestGetCounters(&counters);
        if (counters.sessions == 0) return -1;
    }
    LARGE_INTEGER end = BenchNow();
    Sdk().StopFetch(handle);
    DeleteFileA(path.c_str());
    return BenchSeconds(start, end);
}

// Files of a channel that start before hour:59:59 of the day.
std::vector<RECORD_FILE_DESC> Files(int32_t login, int32_t channel, uint32_t hour) {
    std::vector<RECORD_FILE_DESC> files(100);
    QVNET_TIME end = kDay;
    end.hour = hour;
    end.minute = end.second = 59;
    int32_t count = 0;
    if (!Sdk().FindRecordFiles(login, channel, 0, &kDay, &end, "", files.data(),
                               int32_t(files.size() * sizeof(RECORD_FILE_DESC)), &count, 5000, 0)) {
        count = 0;
    }
    files.resize(size_t(count));
    return files;
}

// One path's figures: the large file beside a plain copy, and small files.
void MeasurePath(const char* name, const char* ip, uint16_t port, const SimRecorderConfig& config,
                 const std::string& folder, int smallFiles) {
    QVNET_DEVICE_INFO info;
    int32_t error = 0;
    const int32_t login = Sdk().LoginDevice(ip, port, "admin", "admin", 0, 0, &info, &error);
    if (!login) {
        printf("%s: login failed (%d)\n", name, error);
        return;
    }
    const std::vector<RECORD_FILE_DESC> large = Files(login, 0, 23);
    const std::vector<RECORD_FILE_DESC> small = Files(login, 1, 0);
    if (large.empty() || small.size() < size_t(smallFiles)) {
        printf("%s: record query found %d and %d files\n", name, int(large.size()), int(small.size()));
        Sdk().LogoutDevice(login);
        return;
    }
    const std::string path = folder + "\\bench.duz";
    const uint64_t bytes = BytesOf(config, large[0]);
    const double fetched = Fetch(login, large[0], path);
    const std::string plainPath = folder + "\\plain.bin";
    const double plain = PlainLoopbackCopy(bytes, std::wstring(plainPath.begin(), plainPath.end()).c_str());
    DeleteFileA(plainPath.c_str());
    double smallSeconds = 0;
    for (int i = 0; i < smallFiles && smallSeconds >= 0; ++i) {
        const double one = Fetch(login, small[size_t(i)], path);
        smallSeconds = one < 0 ? -1 : smallSeconds + one;
    }
    if (fetched < 0 || smallSeconds < 0) {
        printf("%s: download failed\n", name);
    } else {
        const uint64_t smallBytes = BytesOf(config, small[0]);
        printf("%-18s one file %.1f MB in %.3f s = %.1f MB/s; plain copy %.3f s = %.1f MB/s; ratio %.2f\n", name,
               Mb(bytes), fetched, Mb(bytes) / fetched, plain, Mb(bytes) / plain, plain / fetched);
        const double each = smallSeconds / smallFiles;
        printf("%-18s small file (%.1f KB) %.2f ms each over %d, of which %.2f ms fixed\n", name, smallBytes / 1024.0,
               each * 1000, smallFiles, (each - smallBytes / (bytes / fetched)) * 1000);
    }
    Sdk().LogoutDevice(login);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_sdk <work folder> [MB of the large file] [small files]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const double wantedMb = argc > 2 ? atof(argv[2]) : 64;
    const int smallFiles = std::min<int>(argc > 3 ? atoi(argv[3]) : 40, kSmallFiles);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    if (!Sdk().Load()) {
        fprintf(stderr, "qvnetsdk.dll not found\n");
        return 1;
    }
    // Minutes of recording that make the wanted size (one day at most).
    SimRecorderConfig probe = RecorderConfig(1);
    RECORD_FILE_DESC minute = {};
    minute.start = kDay;
    minute.end = kDay;
    minute.end.minute = 1;
    const uint64_t perMinute = BytesOf(probe, minute);
    const uint32_t minutes = uint32_t(std::min<double>(1439, std::max<double>(1, wantedMb * 1048576 / perMinute)));
    const SimRecorderConfig config = RecorderConfig(minutes);

    Sdk().Init(OnDisconnect, 0);
    QVNET_NET_PARAMS params = {};
    params.connectWaitMs = 3000;
    params.replyWaitMs = 5000;
    params.loginWaitMs = 5000;
    params.transferWaitMs = 10000;
    Sdk().SetNetworkParams(&params);

    RECORD_FILE_DESC largeFile = {};
    largeFile.start = kDay;
    largeFile.end = qvwire::SecondsToTime(qvwire::TimeToSeconds(kDay) + minutes * 60);
    printf("simulated recorder making stream bytes alone: %.1f MB/s\n",
           Mb(uint64_t(RecorderBytesPerSecond(config, largeFile))));

    CSimRecorder recorder(config);
    recorder.Start("127.0.0.1", 0);
    MeasurePath("direct", "127.0.0.1", recorder.Port(), config, folder, smallFiles);

    PROXY_Init();
    const uint16_t directLocal = FreeLocalPort();
    PROXY_DEVICE_INFO direct = DirectDevice(recorder.Port(), directLocal, "admin", "admin");
    HANDLE directDevice = PROXY_AddDevice(PROXY_DEVICE_PRIVATE, &direct);
    if (directDevice) {
        MeasurePath("Portmoor, direct", "127.0.0.1", directLocal, config, folder, smallFiles);
        PROXY_DeleteDevice(directDevice);
    }

    const uint16_t registrationPort = FreeLocalPort();
    const uint16_t kestrinLocal = FreeLocalPort();
    PROXY_DEVICE_INFO autoreg = DirectDevice(registrationPort, kestrinLocal, "admin", "admin");
    std::strcpy(autoreg.registrationId, kRegistrationId);
    autoreg.channelCount = int32_t(config.channelCount);
    autoreg.deviceInfo = int32_t(config.channelCount);
    HANDLE kestrinDevice = PROXY_AddDevice(PROXY_DEVICE_AUTOREG, &autoreg);
    if (kestrinDevice) {
        CSimRegistrar registrar(recorder, kRegistrationId, config.channelCount);
        registrar.Start("127.0.0.1", registrationPort);
        for (int waited = 0; waited < 15000 && Status(kestrinDevice).listening != 1; waited += 10) Sleep(10);
        MeasurePath("Portmoor, Kestrin", "127.0.0.1", kestrinLocal, config, folder, smallFiles);
        Sdk().Cleanup();
        registrar.Stop();
        PROXY_DeleteDevice(kestrinDevice);
    }
    Sdk().Cleanup();
    PROXY_Cleanup();
    recorder.Stop();
    return 0;
}
