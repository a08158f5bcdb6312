// A TCP listener that runs a handler on its own thread per accepted
// connection, and can stop listening and cut every connection at once (a
// recorder going off line) and listen again on the same port.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

#include "common/CAutoLock.h"
#include "common/UniqueHandle.h"

class CSimTcpServer {
public:
    // Runs on the connection's thread; must return once `stop` is set or the
    // socket fails. The server closes the socket afterwards.
    typedef std::function<void(SOCKET, const std::atomic<bool>& stop)> Handler;

    explicit CSimTcpServer(Handler handler);
    ~CSimTcpServer();
    CSimTcpServer(const CSimTcpServer&) = delete;
    CSimTcpServer& operator=(const CSimTcpServer&) = delete;

    // Listens on ip:port (port 0 takes a free port, kept for later Listen
    // calls with port 0). False when the port cannot be bound.
    bool Listen(const char* ip, uint16_t port);
    // Stops accepting, cuts every connection and waits for their threads.
    // Must not be called from a connection's own thread.
    void Close();
    uint16_t Port() const { return m_port; }
    bool IsListening() const { return m_listening; }
    int ConnectionCount() const { return m_connections; }
    int AcceptedCount() const { return m_accepted; }

private:
    struct Connection {
        SOCKET socket;  // for the shutdown only: the connection's thread owns and closes it
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void AcceptLoop(CUniqueSocket listener);
    void CloseLocked();
    void ReapFinished();

    Handler m_handler;
    CLock m_lifecycleLock;  // one Listen or Close at a time: each joins the threads
    CLock m_lock;
    std::list<std::unique_ptr<Connection>> m_live;
    std::thread m_acceptThread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_listening{false};
    std::atomic<int> m_connections{0};
    std::atomic<int> m_accepted{0};
    uint16_t m_port = 0;
    bool m_winsock = false;
};
