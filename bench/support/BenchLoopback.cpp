#include "bench/support/BenchLoopback.h"

#include <algorithm>
#include <cstdio>
#include <thread>

double BenchSeconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER BenchNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

bool LoopbackPair(SOCKET* sender, SOCKET* receiver) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof at;
    *sender = *receiver = INVALID_SOCKET;
    if (listener != INVALID_SOCKET && bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
        listen(listener, 1) == 0 && getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size) == 0) {
        *sender = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(*sender, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0)
            *receiver = accept(listener, nullptr, nullptr);
    }
    if (listener != INVALID_SOCKET) closesocket(listener);
    if (*receiver != INVALID_SOCKET) return true;
    if (*sender != INVALID_SOCKET) closesocket(*sender);
    *sender = INVALID_SOCKET;
    return false;
}

void SendRepeatedly(SOCKET s, const std::vector<uint8_t>& packet, long long count, const volatile bool* stop) {
    for (long long i = 0; i < count && !(stop != nullptr && *stop); ++i) {
        if (send(s, reinterpret_cast<const char*>(packet.data()), int(packet.size()), 0) != int(packet.size())) return;
    }
}

double PlainLoopbackMBps(const std::vector<uint8_t>& packet, long long count) {
    SOCKET sender, receiver;
    if (!LoopbackPair(&sender, &receiver)) return 0;
    const long long total = count * (long long)packet.size();
    LARGE_INTEGER start = BenchNow();
    std::thread send([&] { SendRepeatedly(sender, packet, count); });
    std::vector<char> buffer(65536);
    long long got = 0;
    while (got < total) {
        int n = recv(receiver, buffer.data(), int(buffer.size()), 0);
        if (n <= 0) break;
        got += n;
    }
    const double seconds = BenchSeconds(start, BenchNow());
    send.join();
    closesocket(sender);
    closesocket(receiver);
    return double(got) / 1e6 / seconds;
}

namespace {

bool Exactly(SOCKET s, char* to, int count) {
    while (count > 0) {
        int n = recv(s, to, count, 0);
        if (n <= 0) return false;
        to += n;
        count -= n;
    }
    return true;
}

}  // namespace

std::vector<double> PlainLoopbackRoundTrips(int count) {
    std::vector<double> ms;
    SOCKET client, echoSide;
    if (!LoopbackPair(&client, &echoSide)) return ms;
    std::thread echo([&] {
        char message[32];
        while (Exactly(echoSide, message, sizeof message)) send(echoSide, message, sizeof message, 0);
    });
    char message[32] = {};
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start = BenchNow();
        send(client, message, sizeof message, 0);
        if (!Exactly(client, message, sizeof message)) break;
        ms.push_back(BenchSeconds(start, BenchNow()) * 1000.0);
    }
    shutdown(client, SD_SEND);
    echo.join();
    closesocket(client);
    closesocket(echoSide);
    std::sort(ms.begin(), ms.end());
    return ms;
}

void PrintRoundTrips(const char* label, const std::vector<double>& ms) {
    if (ms.empty()) {
        std::printf("%s: no round trip completed\n", label);
        return;
    }
    std::printf("%s: median %.3f ms, 99th percentile %.3f ms (%zu round trips)\n", label, ms[ms.size() / 2],
                ms[ms.size() * 99 / 100], ms.size());
}
