#include "bench/support/BenchSupport.h"

#include <winsock2.h>

#include <algorithm>
#include <thread>
#include <vector>

double PlainLoopbackCopy(uint64_t bytes, const wchar_t* path) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    listen(listener, 1);
    LARGE_INTEGER start = BenchNow();
    std::thread sender([&] {
        SOCKET s = accept(listener, nullptr, nullptr);
        std::vector<char> block(64 * 1024, 'x');
        for (uint64_t sent = 0; sent < bytes;) {
            int n = send(s, block.data(), int(std::min<uint64_t>(block.size(), bytes - sent)), 0);
            if (n <= 0) break;
            sent += uint64_t(n);
        }
        closesocket(s);
    });
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        int n = recv(client, buffer.data(), int(buffer.size()), 0);
        if (n <= 0) break;
        DWORD written = 0;
        WriteFile(file, buffer.data(), DWORD(n), &written, nullptr);
    }
    CloseHandle(file);
    LARGE_INTEGER end = BenchNow();
    sender.join();
    closesocket(client);
    closesocket(listener);
    return BenchSeconds(start, end);
}
