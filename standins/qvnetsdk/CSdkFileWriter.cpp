#include "standins/qvnetsdk/CSdkFileWriter.h"

#include <cstring>

namespace {

// A few of a download's blocks: large writes, little memory per download.
const size_t kBufferSize = 1024 * 1024;

}  // namespace

std::atomic<int64_t> CSdkFileWriter::s_failBeyond{-1};

bool CSdkFileWriter::Create(const std::string& path) {
    Close();
    m_file.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) return false;
    if (!m_buffer) m_buffer.reset(new uint8_t[kBufferSize]);
    m_used = 0;
    m_stored = 0;
    m_failed = false;
    return true;
}

bool CSdkFileWriter::Write(const uint8_t* data, size_t length) {
    if (!IsOpen() || m_failed) return false;
    if (m_used + length > kBufferSize && !Flush()) return false;
    if (length >= kBufferSize) return WriteThrough(data, length);
    std::memcpy(m_buffer.get() + m_used, data, length);
    m_used += length;
    return true;
}

bool CSdkFileWriter::Flush() {
    const size_t used = m_used;
    m_used = 0;
    return used == 0 || WriteThrough(m_buffer.get(), used);
}

bool CSdkFileWriter::WriteThrough(const uint8_t* data, size_t length) {
    const int64_t limit = s_failBeyond;
    if (limit >= 0 && m_stored + length > static_cast<uint64_t>(limit)) {
        SetLastError(ERROR_DISK_FULL);
        m_failed = true;
        return false;
    }
    DWORD written = 0;
    m_failed = !WriteFile(m_file.Get(), data, static_cast<DWORD>(length), &written, nullptr) || written != length;
    m_stored += written;
    return !m_failed;
}

bool CSdkFileWriter::Close() {
    if (!IsOpen()) return !m_failed;
    if (!m_failed) Flush();
    m_file.Reset();
    return !m_failed;
}
