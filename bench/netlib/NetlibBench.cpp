// Loopback throughput and accept rate of the socket library, beside plain
// blocking Winsock in the same run. Traffic goes to 127.0.0.1 only.
//
//   bench_netlib [megabytes per connection for one connection]
#include <winsock2.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "netlib/CNetBuffer.h"
#include "netlib/CNetEngine.h"
#include "netlib/CNetEventSink.h"
#include "netlib/CNetTcpConnection.h"
#include "netlib/CNetTcpServer.h"

namespace {

const int kChunk = 65536;
// Sends kept in flight or queued per connection while streaming.
const int kWindow = 8;

double Seconds(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// Counts received bytes and finished sends; attaches accepted sockets.
class CountingSink : public CNetEventSink {
public:
    int OnReceive(int, SOCKET, const char*, int length) override {
        received += length;
        return 0;
    }
    int OnSendDone(int, SOCKET, int) override {
        --inFlight;
        return 1;
    }
    int OnAccept(int, SOCKET, SOCKET accepted, const char* address, int port) override {
        ++accepts;
        if (!attachAccepted) {
            closesocket(accepted);
            return 1;
        }
        std::unique_ptr<CNetTcpConnection> connection(new CNetTcpConnection(this, 0));
        if (connection->Attach(accepted, address, port) > 0) {
            std::lock_guard<std::mutex> guard(mutex);
            attached.push_back(std::move(connection));
        }
        return 1;
    }
    int OnPoll(int, SOCKET, char*, int) override { return 1; }
    int OnClose(int, SOCKET) override { return 1; }
    int OnConnect(int, SOCKET) override { return 1; }

    std::atomic<long long> received{0};
    std::atomic<int> inFlight{0};
    std::atomic<int> accepts{0};
    bool attachAccepted = true;
    std::mutex mutex;
    std::vector<std::unique_ptr<CNetTcpConnection>> attached;
};

struct Sender {
    CountingSink sink;
    std::unique_ptr<CNetTcpConnection> connection;
};

// Listens on 127.0.0.1 with a port the system picks; that port, or -1.
int ListenOnLoopback(CNetTcpServer& server) {
    if (server.Listen("127.0.0.1", 0) < 0) return -1;
    char text[32];
    int port = 0;
    server.GetLocalAddress(text, &port);
    return port;
}

// MB/s of `connections` library connections each streaming `megabytes`.
double LibraryThroughput(int connections, int megabytes) {
    CountingSink serverSink;
    CNetTcpServer server(&serverSink, 0);
    const int port = ListenOnLoopback(server);
    if (port < 0) return -1;
    std::vector<std::unique_ptr<Sender>> senders;
    for (int c = 0; c < connections; ++c) {
        senders.emplace_back(new Sender());
        senders.back()->connection.reset(new CNetTcpConnection(&senders.back()->sink, c));
        if (senders.back()->connection->Connect("127.0.0.1", port, 5000) < 0) return -1;
    }
    std::vector<char> payload(kChunk, 'x');
    const long long total = static_cast<long long>(connections) * megabytes * 1024 * 1024;
    const long long chunksEach = static_cast<long long>(megabytes) * 1024 * 1024 / kChunk;
    const LARGE_INTEGER start = Now();
    std::vector<std::thread> threads;
    const int kThreads = connections < 4 ? connections : 4;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<long long> sent(static_cast<size_t>(connections), 0);
            bool more = true;
            while (more) {
                more = false;
                for (int c = t; c < connections; c += kThreads) {
                    Sender& s = *senders[static_cast<size_t>(c)];
                    if (sent[static_cast<size_t>(c)] >= chunksEach) continue;
                    more = true;
                    if (s.sink.inFlight >= kWindow) continue;
                    CNetBuffer* buffer = CNetBuffer::CreateCopy(kChunk, payload.data());
                    buffer->AddRef();
                    ++s.sink.inFlight;
                    if (s.connection->Send(1, buffer) == 1)
                        ++sent[static_cast<size_t>(c)];
                    else
                        --s.sink.inFlight;
                }
                if (more) SwitchToThread();
            }
        });
    }
    for (auto& thread : threads) thread.join();
    while (serverSink.received < total) Sleep(1);
    const double seconds = Seconds(start);
    for (auto& s : senders) s->connection->Close();
    server.StopListen();
    for (auto& connection : serverSink.attached) connection->Close();
    return static_cast<double>(total) / (1024.0 * 1024.0) / seconds;
}

SOCKET PlainListener(int* port) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener, SOMAXCONN);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return listener;
}

SOCKET PlainConnect(int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    return s;
}

// MB/s of plain blocking sockets: a sending and a receiving thread per connection.
double PlainThroughput(int connections, int megabytes) {
    int port = 0;
    SOCKET listener = PlainListener(&port);
    std::vector<SOCKET> clients, servers;
    for (int c = 0; c < connections; ++c) {
        clients.push_back(PlainConnect(port));
        servers.push_back(accept(listener, nullptr, nullptr));
    }
    const long long each = static_cast<long long>(megabytes) * 1024 * 1024;
    const LARGE_INTEGER start = Now();
    std::vector<std::thread> threads;
    for (int c = 0; c < connections; ++c) {
        threads.emplace_back([&, c] {
            std::vector<char> payload(kChunk, 'x');
            for (long long sent = 0; sent < each;) {
                const int n = send(clients[static_cast<size_t>(c)], payload.data(), kChunk, 0);
                if (n <= 0) return;
                sent += n;
            }
        });
        threads.emplace_back([&, c] {
            std::vector<char> chunk(kChunk);
            for (long long got = 0; got < each;) {
                const int n = recv(servers[static_cast<size_t>(c)], chunk.data(), kChunk, 0);
                if (n <= 0) return;
                got += n;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    const double seconds = Seconds(start);
    for (SOCKET s : clients) closesocket(s);
    for (SOCKET s : servers) closesocket(s);
    closesocket(listener);
    return static_cast<double>(each) * connections / (1024.0 * 1024.0) / seconds;
}

// Runs `total` connect-and-close loops on 8 threads against port.
void ConnectStorm(int port, int total) {
    std::vector<std::thread> threads;
    std::atomic<int> next{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            while (next++ < total) closesocket(PlainConnect(port));
        });
    }
    for (auto& thread : threads) thread.join();
}

double LibraryAcceptRate(int total) {
    CountingSink sink;
    sink.attachAccepted = false;
    CNetTcpServer server(&sink, 0);
    const int port = ListenOnLoopback(server);
    if (port < 0) return -1;
    const LARGE_INTEGER start = Now();
    ConnectStorm(port, total);
    while (sink.accepts < total) Sleep(1);
    const double seconds = Seconds(start);
    server.StopListen();
    return total / seconds;
}

double PlainAcceptRate(int total) {
    int port = 0;
    SOCKET listener = PlainListener(&port);
    const LARGE_INTEGER start = Now();
    std::thread acceptor([&] {
        for (int i = 0; i < total; ++i) closesocket(accept(listener, nullptr, nullptr));
    });
    ConnectStorm(port, total);
    acceptor.join();
    const double seconds = Seconds(start);
    closesocket(listener);
    return total / seconds;
}

void Report(const char* what, double library, double plain, const char* unit) {
    printf("%-34s library %10.1f %-6s plain %10.1f %-6s ratio %.2f\n", what, library, unit, plain, unit,
           plain > 0 ? library / plain : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? atoi(argv[1]) : 256;
    if (CNetEngine::Init(0) < 0) {
        printf("engine did not start\n");
        return 1;
    }
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    printf("processors %lu, %d MB on one connection, %d MB on each of 64\n", info.dwNumberOfProcessors, megabytes,
           megabytes / 32);
    Report("throughput, 1 connection", LibraryThroughput(1, megabytes), PlainThroughput(1, megabytes), "MB/s");
    Report("throughput, 64 connections", LibraryThroughput(64, megabytes / 32), PlainThroughput(64, megabytes / 32),
           "MB/s");
    Report("accepts, 2000 connects", LibraryAcceptRate(2000), PlainAcceptRate(2000), "conn/s");
    CNetEngine::Stop();
    return 0;
}
