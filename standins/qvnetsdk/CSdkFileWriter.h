// A download's output file, written through a buffer so that the disk sees
// a few large writes rather than one per block received.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "common/UniqueHandle.h"

class CSdkFileWriter {
public:
    CSdkFileWriter() = default;
    ~CSdkFileWriter() { Close(); }
    CSdkFileWriter(const CSdkFileWriter&) = delete;
    CSdkFileWriter& operator=(const CSdkFileWriter&) = delete;

    // Creates (or empties) the file. False when it cannot be opened for writing.
    bool Create(const std::string& path);
    bool IsOpen() const { return m_file.IsValid(); }
    // Takes the bytes; false when the file is not open or a write to it
    // failed (a full disk), after which nothing more reaches the file.
    bool Write(const uint8_t* data, size_t length);
    // Writes what is buffered and closes the file. False when that last
    // write failed or an earlier one had. Closing a closed writer returns
    // the earlier outcome again.
    bool Close();
    // Bytes that have reached the file.
    uint64_t Stored() const { return m_stored; }

    // Test seam: every writer fails its writes once its file would hold more
    // than `bytes` (as a full disk does); below 0 lifts the fault.
    static void FailWritesBeyond(int64_t bytes) { s_failBeyond = bytes; }

private:
    bool Flush();
    bool WriteThrough(const uint8_t* data, size_t length);

    CUniqueFile m_file;
    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_used = 0;
    uint64_t m_stored = 0;
    bool m_failed = false;
    static std::atomic<int64_t> s_failBeyond;
};
