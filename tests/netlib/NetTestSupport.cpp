#include "NetTestSupport.h"

#include "WaitFor.h"
#include "netlib/CNetIoContext.h"
#include "netlib/CNetIoKey.h"

namespace {
sockaddr_in Loopback(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}
}  // namespace

BlockingPeer::~BlockingPeer() { Close(); }

bool BlockingPeer::Connect(int port) {
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(port);
    return m_socket != INVALID_SOCKET && connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

bool BlockingPeer::SendAll(const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const int n = send(m_socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool BlockingPeer::ReceiveExactly(size_t count, std::string* out) {
    std::vector<char> chunk(65536);
    while (out->size() < count) {
        const int want = static_cast<int>(std::min(chunk.size(), count - out->size()));
        const int n = recv(m_socket, chunk.data(), want, 0);
        if (n <= 0) return false;
        out->append(chunk.data(), static_cast<size_t>(n));
    }
    return true;
}

bool BlockingPeer::ReceiveUntilClosed(std::string* out, DWORD timeoutMs) {
    SetReceiveTimeout(timeoutMs);
    std::vector<char> chunk(65536);
    for (;;) {
        const int n = recv(m_socket, chunk.data(), static_cast<int>(chunk.size()), 0);
        if (n == 0) return true;
        if (n < 0) return false;
        out->append(chunk.data(), static_cast<size_t>(n));
    }
}

void BlockingPeer::SetReceiveTimeout(DWORD ms) {
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
}

void BlockingPeer::Reset() {
    linger hard = {1, 0};
    setsockopt(m_socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof(hard));
    Close();
}

void BlockingPeer::Close() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

BlockingListener::BlockingListener() {
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int length = sizeof(address);
    if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        listen(m_socket, SOMAXCONN) == 0 && getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        m_port = ntohs(address.sin_port);
}

BlockingListener::~BlockingListener() { Close(); }

SOCKET BlockingListener::Accept() { return accept(m_socket, nullptr, nullptr); }

void BlockingListener::Close() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

int RecordingSink::OnReceive(int, SOCKET, const char* data, int length) {
    ++receiveCalls;
    if (receiveHook) {
        const int result = receiveHook(data, length);
        if (result < 0) return result;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    m_received.append(data, static_cast<size_t>(length));
    return 0;
}

int RecordingSink::OnSendDone(int, SOCKET, int sendContext) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_sendsDone.push_back(sendContext);
    return 1;
}

int RecordingSink::OnAccept(int, SOCKET, SOCKET accepted, const char* peerAddress, int peerPort) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        lastPeerAddress = peerAddress;
        if (!acceptHook) m_accepted.push_back(accepted);
    }
    if (acceptHook) acceptHook(accepted, peerAddress, peerPort);
    ++accepts;
    return 1;
}

int RecordingSink::OnPoll(int, SOCKET, char*, int) {
    ++polls;
    return pollHook ? pollHook() : 1;
}

int RecordingSink::OnClose(int, SOCKET) {
    ++closes;
    return 1;
}

int RecordingSink::OnConnect(int, SOCKET) {
    ++connects;
    return 1;
}

std::string RecordingSink::Received() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_received;
}

std::vector<int> RecordingSink::SendsDone() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_sendsDone;
}

std::vector<SOCKET> RecordingSink::TakeAccepted() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<SOCKET> taken;
    taken.swap(m_accepted);
    return taken;
}

CNetBuffer* MakeBuffer(const std::string& data) {
    CNetBuffer* buffer = CNetBuffer::CreateCopy(static_cast<int>(data.size()), data.data());
    if (buffer) buffer->AddRef();
    return buffer;
}

std::string Pattern(size_t length, unsigned seed) {
    std::string data(length, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < length; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = static_cast<char>(state >> 16);
    }
    return data;
}

int ListeningPort(const CNetSocket& socket) {
    char text[32];
    int port = 0;
    socket.GetLocalAddress(text, &port);
    return port;
}

long LiveLibraryObjects() { return CNetBuffer::LiveCount() + CNetIoContext::LiveCount() + CNetIoKey::LiveCount(); }
