#include "plugins/kestrin/CAutoListener.h"

#include "common/UniqueHandle.h"
#include "netlib/CNetBuffer.h"
#include "netlib/CNetTcpConnection.h"
#include "netlib/CNetTcpServer.h"
#include "plugins/kestrin/AutoProtocol.h"

namespace {

std::atomic<uint64_t> g_nextSerial{1};
// Any context but -1: the socket library caps only those sends.
const int kDeviceSendContext = 0;
// The socket library's answer when a connection's send queue is full.
const int kQueueFull = -3;

}  // namespace

CAutoListener::CAutoListener() : m_serial(g_nextSerial++) {}

CAutoListener::~CAutoListener() {
    StopListen();
    Close();
    delete m_server;
    delete m_connection;
}

int CAutoListener::Listen(const char* address, int port, RegistrationCallback callback, void* user) {
    if (m_server != nullptr || m_connection != nullptr) return -1;
    {
        CAutoLock guard(&m_callbackLock);
        m_onRegistration = callback;
        m_registrationUser = user;
    }
    m_server = new CNetTcpServer(this, 0);
    if (m_server->Listen(address, port) != 1) {
        delete m_server;
        m_server = nullptr;
        return -1;
    }
    return 1;
}

int CAutoListener::StopListen() {
    if (m_server == nullptr) return 0;
    return m_server->StopListen();
}

int CAutoListener::ListenPort() const {
    if (m_server == nullptr) return 0;
    char address[32] = {};
    int port = 0;
    return m_server->GetLocalAddress(address, &port) == 1 ? port : 0;
}

bool CAutoListener::SetSessionCallbacks(CloseCallback onClose, DataCallback onData, void* user) {
    CAutoLock guard(&m_callbackLock);
    if (m_ended.load()) return false;
    m_onClose = onClose;
    m_onData = onData;
    m_sessionUser = user;
    m_onRegistration = nullptr;
    m_registrationUser = nullptr;
    m_listener = nullptr;
    return true;
}

int CAutoListener::SetKeepAlive(const uint8_t* packet, int length, int intervalSeconds) {
    if (m_connection == nullptr) return -1;
    return m_connection->SetKeepAlive(packet, length, intervalSeconds);
}

int CAutoListener::Send(const uint8_t* packet, int length) {
    if (m_connection == nullptr || packet == nullptr || length <= 0) return -1;
    CNetBuffer* buffer = CNetBuffer::CreateCopy(length, packet);
    if (buffer == nullptr) return -1;
    buffer->AddRef();
    // Sends count against the connection's queue limit (context -1 would
    // not). A device that stopped reading is ended rather than left to queue
    // without bound; its session goes off line and the device registers again.
    const int sent = m_connection->Send(kDeviceSendContext, buffer);
    if (sent == kQueueFull) m_connection->Abort();
    return sent;
}

int CAutoListener::Close() {
    if (m_connection != nullptr) m_connection->Close();
    m_framer.Reset();
    return 1;
}

int CAutoListener::PeriodicCheck(DWORD now) {
    if (m_connection != nullptr) m_connection->CheckAt(now);
    return 1;
}

int CAutoListener::SetUpAccepted(SOCKET socket, const char* peerAddress, int peerPort) {
    m_connection = new CNetTcpConnection(this, 0);
    return m_connection->Attach(socket, peerAddress, peerPort);
}

void CAutoListener::Report(int eventType, const char* text, int connectionIndex) {
    RegistrationCallback callback;
    void* user;
    CAutoListener* listener;
    {
        CAutoLock guard(&m_callbackLock);
        callback = m_onRegistration;
        user = m_registrationUser;
        listener = m_listener;
    }
    if (callback != nullptr) callback(listener, this, eventType, text, connectionIndex, user);
}

void CAutoListener::ReportRegistration(const uint8_t* packet, size_t length) {
    kestrin::AUTO_REGISTRATION registration;
    int status = kestrin::ParseRegistration(packet, length, &registration);
    if (status == kestrin::kNotRegistration) return;
    {
        CAutoLock guard(&m_callbackLock);
        if (m_onRegistration == nullptr || m_registrationReported) return;
        m_registrationReported = true;
    }
    // An id that cannot be used is still reported, empty, so the server
    // refuses the connection at once instead of keeping it pending.
    if (status == kestrin::kRegistrationOk)
        Report(kEventRegistration, registration.id, registration.connectionIndex);
    else
        Report(kEventRegistration, "", 0);
}

void CAutoListener::Ended() {
    CloseCallback onClose;
    void* user;
    {
        CAutoLock guard(&m_callbackLock);
        if (m_ended.exchange(true)) return;
        onClose = m_onClose;
        user = m_sessionUser;
    }
    m_framer.Reset();
    if (onClose != nullptr) onClose(this, 0, user);
    Report(kEventClosed, "", 0);
}

int CAutoListener::OnReceive(int, SOCKET, const char* data, int length) {
    if (length <= 0) return 0;
    // Full: the library offers the same bytes again once packets were taken.
    return m_framer.Append(reinterpret_cast<const uint8_t*>(data), size_t(length)) == CAutoFramer::kAppended ? length
                                                                                                             : -1;
}

int CAutoListener::OnSendDone(int, SOCKET, int) { return 1; }

int CAutoListener::OnAccept(int, SOCKET, SOCKET accepted, const char* peerAddress, int peerPort) {
    RegistrationCallback callback;
    void* user;
    {
        CAutoLock guard(&m_callbackLock);
        callback = m_onRegistration;
        user = m_registrationUser;
    }
    CUniqueSocket owned(accepted);  // closed unless the connection takes it
    CAutoListener* connection = new (std::nothrow) CAutoListener();
    if (connection == nullptr || !connection->m_framer.Allocate()) {
        delete connection;
        return -1;
    }
    // Pending before any byte can arrive, so a registration always finds it.
    connection->m_listener = this;
    connection->m_onRegistration = callback;
    connection->m_registrationUser = user;
    connection->Report(kEventNew, "", 0);
    if (connection->SetUpAccepted(owned.Release(), peerAddress, peerPort) != 1) connection->Ended();
    return 1;
}

int CAutoListener::OnPoll(int, SOCKET, char* work, int workSize) {
    if (m_connection == nullptr || !m_framer.HasBuffer() || work == nullptr || workSize <= 0) return 1;
    uint8_t* packet = reinterpret_cast<uint8_t*>(work);
    size_t length = 0;
    switch (m_framer.Next(packet, size_t(workSize), &length)) {
        case CAutoFramer::kNeedMore: return 1;
        case CAutoFramer::kOversized:
            // The device sent what no packet of its protocol can be: drop it; it
            // registers again.
            m_connection->Close();
            Ended();
            return 0;
        case CAutoFramer::kPacket: break;
    }
    ReportRegistration(packet, length);
    DataCallback onData;
    void* user;
    {
        CAutoLock guard(&m_callbackLock);
        onData = m_onData;
        user = m_sessionUser;
    }
    if (onData != nullptr) onData(this, packet, int(length), user);
    return 0;
}

int CAutoListener::OnClose(int, SOCKET) {
    Ended();
    return 1;
}

int CAutoListener::OnConnect(int, SOCKET) {
    CloseCallback onClose;
    void* user;
    {
        CAutoLock guard(&m_callbackLock);
        onClose = m_onClose;
        user = m_sessionUser;
    }
    if (onClose != nullptr) onClose(this, 1, user);
    return 1;
}
