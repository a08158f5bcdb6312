#include "netlib/CNetBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
volatile LONG g_liveBuffers = 0;
}

CNetBuffer::CNetBuffer() : CNetRefCounted(0) { InterlockedIncrement(&g_liveBuffers); }

CNetBuffer::~CNetBuffer() {
    FreeData();
    InterlockedDecrement(&g_liveBuffers);
}

LONG CNetBuffer::LiveCount() { return g_liveBuffers; }

CNetBuffer* CNetBuffer::Create(int size, const void* data, bool copy) {
    if (size <= 0) return nullptr;
    CNetBuffer* buffer = new (std::nothrow) CNetBuffer();
    if (!buffer) return nullptr;
    const int ok = copy ? buffer->CopyFrom(size, data) : buffer->Attach(size, const_cast<void*>(data));
    if (!ok) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

CNetBuffer* CNetBuffer::CreateCopy(int size, const void* data) { return Create(size, data, true); }

void CNetBuffer::FreeData() {
    free(m_data);
    m_data = nullptr;
}

int CNetBuffer::Attach(int size, void* data) {
    FreeData();
    m_size = size;
    if (data) {
        m_data = static_cast<char*>(data);
        return 1;
    }
    m_data = size > 0 ? static_cast<char*>(calloc(static_cast<size_t>(size), 1)) : nullptr;
    if (size > 0 && !m_data) {
        m_size = 0;
        return 0;
    }
    return 1;
}

int CNetBuffer::CopyFrom(int size, const void* data) {
    FreeData();
    // A size with no data behind it would hand readers a block that is not there.
    if (!data || size < 0) {
        m_size = 0;
        return size == 0 ? 1 : 0;
    }
    m_data = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
    if (!m_data) {
        m_size = 0;
        return 0;
    }
    memcpy(m_data, data, static_cast<size_t>(size));
    m_data[size] = 0;
    m_size = size;
    return 1;
}
