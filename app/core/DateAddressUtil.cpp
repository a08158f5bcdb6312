// Winsock 2 before the framework header, which pulls in <windows.h>.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "DateAddressUtil.h"

#include <cwchar>

#include "common/UniqueHandle.h"

namespace {

// Winsock use counted per call: these helpers may run before or after the
// program's own start-up of the library.
class WinsockScope {
public:
    WinsockScope() {
        WSADATA data;
        m_ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockScope() {
        if (m_ok) WSACleanup();
    }
    bool ok() const { return m_ok; }

private:
    bool m_ok;
};

CString Dotted(const BYTE* octets) {
    CString text;
    text.Format(L"%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

}  // namespace

BOOL IsValidDate(UINT year, UINT month, UINT day) {
    // Recordings are dated up to the end of 32-bit time.
    return year >= 2000 && year <= 2037 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

int GetLocaleDateOrder() {
    wchar_t order[8] = {0};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, 8)) return 2;
    return static_cast<int>(wcstol(order, nullptr, 10));
}

CString IpToString(DWORD networkOrderAddress) {
    BYTE octets[4];
    for (int i = 0; i < 4; ++i) octets[i] = static_cast<BYTE>(networkOrderAddress >> (8 * i));
    return Dotted(octets);
}

CString IpHostOrderToString(DWORD hostOrderAddress) {
    BYTE octets[4];
    for (int i = 0; i < 4; ++i) octets[i] = static_cast<BYTE>(hostOrderAddress >> (8 * (3 - i)));
    return Dotted(octets);
}

DWORD StringToIpHostOrder(const CString& text) {
    CStringA narrow(text);
    unsigned long address = inet_addr(narrow);
    return address == INADDR_NONE ? INADDR_NONE : ntohl(address);
}

int GetLocalIpAddresses(std::vector<CString>& addresses) {
    WinsockScope winsock;
    char name[129] = {0};
    if (gethostname(name, 128) != 0) strcpy(name, "localhost");
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* results = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &results) != 0) return 0;
    for (addrinfo* entry = results; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET) continue;
        const BYTE* octets = reinterpret_cast<const BYTE*>(&reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr);
        CString text;
        text.Format(L"%u.%u.%u.%u\n", octets[0], octets[1], octets[2], octets[3]);
        addresses.push_back(text);
    }
    freeaddrinfo(results);
    return 0;
}

CString GetLocalIpTowards(const CString& host, int port) {
    WinsockScope winsock;
    if (!winsock.ok()) return CString();
    CStringA narrowHost(host);
    char service[16];
    wsprintfA(service, "%d", port);
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* results = nullptr;
    if (getaddrinfo(narrowHost, service, &hints, &results) != 0) return CString();
    CString local;
    // A socket whose connect failed is not reused: each address gets a fresh one.
    for (addrinfo* entry = results; entry && local.IsEmpty(); entry = entry->ai_next) {
        CUniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!s) break;
        if (connect(s.Get(), entry->ai_addr, static_cast<int>(entry->ai_addrlen)) == 0) {
            sockaddr_in self = {};
            int length = sizeof(self);
            if (getsockname(s.Get(), reinterpret_cast<sockaddr*>(&self), &length) == 0)
                local = IpToString(self.sin_addr.s_addr);
        }
    }
    freeaddrinfo(results);
    return local;
}

CString GetFileVersionString(const CString& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return CString();
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data())) return CString();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return CString();
    CString text;
    text.Format(L"%d.%02d.%d.%04d", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return text;
}
