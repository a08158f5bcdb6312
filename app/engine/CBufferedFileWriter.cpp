#include "app/engine/CBufferedFileWriter.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "common/CAutoLock.h"

namespace {

const DWORD kIdlePauseMs = 500;
const DWORD kBackOffPauseMs = 20;
// A file whose write failed waits this long before it is tried again.
const DWORD kRetryAfterMs = 100;
const int kCloseWriteTries = 5;
const DWORD kStopWaitMs = 11000;

bool IsDue(DWORD at, DWORD now) { return static_cast<LONG>(at - now) <= 0; }

}  // namespace

CBufferedFileWriter::CBufferedFileWriter() { Start(1); }

CBufferedFileWriter::CBufferedFileWriter(int threadCount) { Start(std::max(1, threadCount)); }

void CBufferedFileWriter::Start(int threadCount) {
    for (int i = 0; i < threadCount; ++i) {
        CUniqueHandle thread(CreateThread(nullptr, 0, FileWriterThreadProc, this, 0, nullptr));
        if (thread) m_threads.push_back(std::move(thread));
    }
}

CBufferedFileWriter::~CBufferedFileWriter() {
    std::vector<CString> names;
    {
        CAutoLock lock(&m_lock);
        for (const auto& file : m_files) names.push_back(file.first);
    }
    for (const CString& name : names) RemoveFile(name);
    InterlockedExchange(&m_stop, 1);
    const DWORD began = GetTickCount();
    for (CUniqueHandle& thread : m_threads) {
        const DWORD spent = GetTickCount() - began;
        WaitForSingleObject(thread.Get(), spent < kStopWaitMs ? kStopWaitMs - spent : 0);
        thread.Reset();
    }
    m_singleFile.Reset();
}

int CBufferedFileWriter::SetBufferSize(int size) {
    CAutoLock lock(&m_lock);
    if (m_bufferSize != 0 || size <= 0) return -1;
    m_bufferSize = size;
    return 0;
}

void CBufferedFileWriter::SetCallbacks(FileClosedCallback onClosed, FileProgressCallback onProgress) {
    CAutoLock lock(&m_lock);
    m_onClosed = onClosed;
    m_onProgress = onProgress;
}

void CBufferedFileWriter::SetWriteFunction(FileWriteFunction write) {
    CAutoLock lock(&m_lock);
    m_write = write ? write : ::WriteFile;
}

int CBufferedFileWriter::AddFile(const CString& name, int user, int single) {
    if (!single) {
        // Checked before creating: CREATE_ALWAYS would empty the open file.
        CAutoLock lock(&m_lock);
        if (m_files.count(name)) return -1;
    }
    const DWORD access = single ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    CUniqueFile file(CreateFileW(name, access, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return -3;
    CAutoLock lock(&m_lock);
    if (single) {
        m_singleFile = std::move(file);
        m_mode = 0;
        return 0;
    }
    m_mode = 1;
    if (m_bufferSize == 0) return -2;
    if (m_files.count(name)) return -1;
    FILE_WRITE_CONTEXT& context = m_files[name];
    context.name = name;
    context.handle = file.Get();
    context.file = std::move(file);
    context.buffer.assign(static_cast<size_t>(m_bufferSize), 0);
    context.user = user;
    return 0;
}

int CBufferedFileWriter::Write(const CString& name, const void* data, int length) {
    CAutoLock lock(&m_lock);
    auto found = m_files.find(name);
    if (found == m_files.end() || length < 0 || (!data && length > 0)) return -1;
    FILE_WRITE_CONTEXT& context = found->second;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const int piece = std::min(m_bufferSize - context.buffered, length);
        memcpy(context.buffer.data() + context.buffered, bytes, static_cast<size_t>(piece));
        context.buffered += piece;
        bytes += piece;
        length -= piece;
        if (context.buffered == m_bufferSize) QueueFullBuffer(context);
    }
    return 0;
}

void CBufferedFileWriter::QueueFullBuffer(FILE_WRITE_CONTEXT& context) {
    FILE_WRITE_CONTEXT entry;
    entry.name = context.name;
    entry.handle = context.handle;
    entry.buffer.swap(context.buffer);
    entry.buffered = context.buffered;
    entry.user = context.user;
    m_queue.push_back(std::move(entry));
    context.buffer.assign(static_cast<size_t>(m_bufferSize), 0);
    context.buffered = 0;
}

int CBufferedFileWriter::RemoveFile(const CString& name) {
    CAutoLock lock(&m_lock);
    auto found = m_files.find(name);
    if (found == m_files.end()) return -1;
    FILE_WRITE_CONTEXT context = std::move(found->second);
    m_files.erase(found);
    m_retryAt.erase(name);
    if (context.buffered > 0) {
        FILE_WRITE_CONTEXT rest;
        rest.name = name;
        rest.handle = context.handle;
        rest.buffer.swap(context.buffer);
        rest.buffered = context.buffered;
        m_queue.push_back(std::move(rest));
    }
    // This file's buffers, oldest first; the others keep their places.
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (it->name != name) {
            ++it;
            continue;
        }
        for (int attempt = 0; attempt < kCloseWriteTries; ++attempt) {
            const int before = it->offset;
            const bool complete = WriteEntry(*it);
            context.total += it->offset - before;
            if (complete) break;
            Sleep(kBackOffPauseMs);
        }
        it = m_queue.erase(it);
    }
    const FileClosedCallback onClosed = m_onClosed;
    lock.Unlock();
    if (onClosed && context.total > 0) {
        onClosed(this, name, static_cast<int>(context.total / 1024), 1, context.user & 0xFFFF);
    }
    context.file.Reset();
    return static_cast<int>(context.total / 1024);
}

bool CBufferedFileWriter::WriteEntry(FILE_WRITE_CONTEXT& entry) {
    while (entry.offset < entry.buffered) {
        DWORD written = 0;
        if (!m_write(entry.handle, entry.buffer.data() + entry.offset,
                     static_cast<DWORD>(entry.buffered - entry.offset), &written, nullptr) ||
            written == 0) {
            return false;
        }
        entry.offset += static_cast<int>(written);  // a short write goes on with the rest
    }
    SetEndOfFile(entry.handle);
    return true;
}

std::list<FILE_WRITE_CONTEXT>::iterator CBufferedFileWriter::NextWritable(DWORD now) {
    std::set<CString> setAside;
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (setAside.count(it->name)) continue;
        auto retry = m_retryAt.find(it->name);
        if (retry != m_retryAt.end() && !IsDue(retry->second, now)) {
            setAside.insert(it->name);  // its later buffers wait behind it
            continue;
        }
        return it;
    }
    return m_queue.end();
}

void CBufferedFileWriter::RunWriter() {
    while (InterlockedCompareExchange(&m_stop, 0, 0) == 0) {
        DWORD pause = kIdlePauseMs;
        {
            CAutoLock lock(&m_lock);
            auto next = NextWritable(GetTickCount());
            if (next != m_queue.end()) {
                pause = 0;
                const int before = next->offset;
                const bool complete = WriteEntry(*next);
                const int written = next->offset - before;
                auto file = m_files.find(next->name);
                if (file != m_files.end() && written > 0) {
                    file->second.total += written;
                    if (m_onProgress) {
                        m_onProgress(this, next->name, written, static_cast<int>(file->second.total / 1024),
                                     next->user);
                    }
                }
                if (complete || file == m_files.end()) {
                    m_retryAt.erase(next->name);
                    m_queue.erase(next);
                } else {
                    m_retryAt[next->name] = GetTickCount() + kRetryAfterMs;
                }
            } else if (!m_queue.empty()) {
                pause = kBackOffPauseMs;
            }
        }
        Sleep(pause);
    }
}

DWORD WINAPI CBufferedFileWriter::FileWriterThreadProc(void* param) {
    try {
        static_cast<CBufferedFileWriter*>(param)->RunWriter();
    } catch (...) {}
    return 0;
}
