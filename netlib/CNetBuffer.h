// Reference-counted byte block in which data travels to sends and receives.
#pragma once

#include "netlib/CNetRefCounted.h"

class CNetBuffer : public CNetRefCounted {
public:
    // A new buffer of size bytes, with a count of 0: the caller takes the
    // first reference (AddRef). copy set: the bytes of data are copied (data
    // may not be NULL). copy clear: data, allocated with malloc, is taken over,
    // or a zeroed block is allocated when data is NULL. NULL when size is 0 or
    // less, when a copy is asked of NULL data, or when memory runs out.
    static CNetBuffer* Create(int size, const void* data, bool copy);
    // Create with copy set.
    static CNetBuffer* CreateCopy(int size, const void* data);

    ~CNetBuffer() override;

    // Replaces the content by data (taken over, malloc'd) or, with data NULL,
    // by a zeroed block of size bytes. 1, or 0 with size 0 when memory runs out.
    int Attach(int size, void* data);
    // Replaces the content by a copy of size bytes of data followed by a 0
    // byte. 1; 0 (buffer left empty, size 0) when data is NULL with a size
    // above 0, or when memory runs out.
    int CopyFrom(int size, const void* data);

    char* GetData() const { return m_data; }
    int GetSize() const { return m_size; }

    // Buffers alive in this process, for leak checks.
    static LONG LiveCount();

private:
    CNetBuffer();
    void FreeData();

    char* m_data = nullptr;
    int m_size = 0;
};
