// Fixed-capacity circular byte buffer: a play port's input. Not locked; the
// port guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CByteRing {
public:
    // Allocates the capacity; false when it is 0 or memory runs out.
    bool Reset(size_t capacity);
    void Release();

    // Appends all of data, or nothing: false when it does not fit. A block
    // larger than the whole capacity is taken when the ring is empty (the
    // ring grows to hold it), so that no caller can be refused for ever.
    bool Push(const uint8_t* data, size_t length);
    // Moves up to `length` bytes out; returns the count moved.
    size_t Pop(uint8_t* out, size_t length);
    void Clear() { m_head = m_size = 0; }

    size_t Size() const { return m_size; }
    size_t Capacity() const { return m_buffer.size(); }
    size_t Free() const { return m_size < m_buffer.size() ? m_buffer.size() - m_size : 0; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_head = 0;  // index of the oldest byte
    size_t m_size = 0;
};
