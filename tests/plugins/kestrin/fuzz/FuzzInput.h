// Reads fuzzer input as a sequence of small decisions and byte runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_pos >= m_size; }
    size_t Left() const { return m_size - m_pos; }

    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // Up to n bytes, fewer at the end of the input.
    std::vector<uint8_t> Bytes(size_t n) {
        if (n > Left()) n = Left();
        std::vector<uint8_t> out(m_data + m_pos, m_data + m_pos + n);
        m_pos += n;
        return out;
    }

    std::vector<uint8_t> Rest() { return Bytes(Left()); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Stops the run: libFuzzer records the input as a crash.
#define FUZZ_CHECK(condition)           \
    do {                                \
        if (!(condition)) std::abort(); \
    } while (0)
