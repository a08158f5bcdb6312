#include "netlib/CNetIoKey.h"

namespace {
volatile LONG g_liveKeys = 0;

// Keys whose calls are running further up this thread's stack. An owner may
// close an object (or another one) from inside an event, so nesting is real
// but shallow.
const int kMaxNesting = 16;
thread_local CNetIoKey* t_activeKeys[kMaxNesting];
thread_local int t_activeDepth = 0;

int CallsOnThisThread(const CNetIoKey* key) {
    int count = 0;
    for (int i = 0; i < t_activeDepth && i < kMaxNesting; ++i)
        if (t_activeKeys[i] == key) ++count;
    return count;
}
}  // namespace

CNetIoKey::CNetIoKey(SOCKET socket, int userValue, CNetIoHandler* handler)
    : CNetRefCounted(1), m_socket(socket), m_userValue(userValue), m_handler(handler) {
    InterlockedIncrement(&g_liveKeys);
}

CNetIoKey::~CNetIoKey() { InterlockedDecrement(&g_liveKeys); }

LONG CNetIoKey::LiveCount() { return g_liveKeys; }

CNetIoHandler* CNetIoKey::BeginCallback() {
    CNetIoHandler* handler;
    {
        CAutoLock guard(&m_lock);
        handler = m_handler;
        if (handler) ++m_activeCalls;
    }
    if (handler) {
        if (t_activeDepth < kMaxNesting) t_activeKeys[t_activeDepth] = this;
        ++t_activeDepth;
    }
    return handler;
}

void CNetIoKey::EndCallback() {
    --t_activeDepth;
    CAutoLock guard(&m_lock);
    --m_activeCalls;
    if (!m_handler)  // a Detach may be waiting for this call
        m_idle.WakeAll();
}

void CNetIoKey::Detach() {
    const int own = CallsOnThisThread(this);
    CAutoLock guard(&m_lock);
    m_handler = nullptr;
    m_idle.WaitFor(guard, INFINITE, [&] { return m_activeCalls <= own; });
}
