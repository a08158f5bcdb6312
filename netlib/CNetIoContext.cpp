#include "netlib/CNetIoContext.h"

#include <cstring>

#include "netlib/CNetBuffer.h"

namespace {
volatile LONG g_liveRecords = 0;
}

CNetIoContext::CNetIoContext(int kind, int transport, CNetBuffer* buffer)
    : OVERLAPPED(), CNetRefCounted(1), m_kind(kind), m_transport(transport), m_buffer(buffer) {
    m_wsaBuf.buf = buffer ? buffer->GetData() : nullptr;
    m_wsaBuf.len = buffer ? static_cast<ULONG>(buffer->GetSize()) : 0;
    memset(&m_peer, 0, sizeof(m_peer));
    m_peerLength = sizeof(m_peer);
    InterlockedIncrement(&g_liveRecords);
}

CNetIoContext::~CNetIoContext() {
    NetRelease(m_buffer);
    InterlockedDecrement(&g_liveRecords);
}

void CNetIoContext::ResetOverlapped() {
    OVERLAPPED* overlapped = this;
    memset(overlapped, 0, sizeof(OVERLAPPED));
    m_postError = 0;
}

LONG CNetIoContext::LiveCount() { return g_liveRecords; }
