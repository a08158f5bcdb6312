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
    if (t_activeKeys[i] == key)
      ++count;
  return count;
}
}  // namespace

CNetIoKey::CNetIoKey(SOCKET socket, int userValue, CNetIoHandler* handler)
    : CNetRefCounted(1), m_socket(socket), m_userValue(userValue), m_handler(handler) {
  InitializeCriticalSection(&m_lock);
  InitializeConditionVariable(&m_idle);
  InterlockedIncrement(&g_liveKeys);
}

CNetIoKey::~CNetIoKey() {
  DeleteCriticalSection(&m_lock);
  InterlockedDecrement(&g_liveKeys);
}

LONG CNetIoKey::LiveCount() { return g_liveKeys; }

CNetIoHandler* CNetIoKey::BeginCallback() {
  EnterCriticalSection(&m_lock);
  CNetIoHandler* handler = m_handler;
  if (handler)
    ++m_activeCalls;
  LeaveCriticalSection(&m_lock);
  if (handler) {
    if (t_activeDepth < kMaxNesting)
      t_activeKeys[t_activeDepth] = this;
    ++t_activeDepth;
  }
  return handler;
}

void CNetIoKey::EndCallback() {
  --t_activeDepth;
  EnterCriticalSection(&m_lock);
  --m_activeCalls;
  if (!m_handler)  // a Detach may be waiting for this call
    WakeAllConditionVariable(&m_idle);
  LeaveCriticalSection(&m_lock);
}

void CNetIoKey::Detach() {
  const int own = CallsOnThisThread(this);
  EnterCriticalSection(&m_lock);
  m_handler = nullptr;
  while (m_activeCalls > own)
    SleepConditionVariableCS(&m_idle, &m_lock, INFINITE);
  LeaveCriticalSection(&m_lock);
}
