// One SDK login session: its main connection and the sub-connections that
// joined it, by index.
#pragma once

#include <deque>
#include <map>

class CNetBuffer;
class CProxyClient;

class CProxyClientLink {
public:
    CProxyClientLink(int sessionId, CProxyClient* main);
    virtual ~CProxyClientLink();

    int SessionId() const { return m_sessionId; }
    CProxyClient* Main() const { return m_main; }

    // Enters connection as sub-connection index (1 and up): it is kept alive
    // with a 0xB1 packet every 10 s and leaves the idle time-out. 0, or -1
    // when the index is taken or not a sub-connection index.
    int AttachSub(int index, CProxyClient* connection);
    // Removes and returns the sub-connection of index, NULL when none.
    CProxyClient* DetachSub(int index);
    // Appends the main connection, then the sub-connections by ascending
    // index, to out and empties the link.
    void TakeAll(std::deque<CProxyClient*>& out);
    // Every connection of the session: sub-connections first, then main.
    void AppendConnections(std::deque<CProxyClient*>& out) const;
    // Sends buffer to the main connection (index 0) or the sub-connection
    // of index; the caller keeps its reference. The send result, or -1 when
    // there is no such connection.
    int Send(int index, CNetBuffer* buffer);

private:
    CProxyClientLink(const CProxyClientLink&) = delete;
    CProxyClientLink& operator=(const CProxyClientLink&) = delete;

    const int m_sessionId;
    CProxyClient* m_main;
    std::map<int, CProxyClient*> m_subs;
};
