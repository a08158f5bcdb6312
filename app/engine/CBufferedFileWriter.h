// CBufferedFileWriter: writes several files at once through fixed-size
// memory buffers. Callers append bytes to a named file; full buffers queue
// for background writer threads; closing a file writes what is left and
// reports the total.
//
// Order: the buffers of one file are written in the order they filled. A file
// whose write fails is set aside for a moment (its later buffers wait behind
// it) while other files' buffers go on being written.
#pragma once

#include <afx.h>

#include <stdint.h>

#include <list>
#include <map>
#include <vector>

#include "common/CLock.h"
#include "common/UniqueHandle.h"

class CBufferedFileWriter;

// Writes a buffer to a file, with WriteFile's contract.
typedef BOOL(WINAPI* FileWriteFunction)(HANDLE file, LPCVOID data, DWORD length, LPDWORD written,
                                        LPOVERLAPPED overlapped);

// (writer, name, total KB, 1, user value's low 16 bits) once a file with
// data was closed.
typedef void (*FileClosedCallback)(CBufferedFileWriter* writer, const CString& name, int totalKB, int flag, int user);
// (writer, name, bytes just written, total KB, user value) after each buffer.
typedef void (*FileProgressCallback)(CBufferedFileWriter* writer, const CString& name, int written, int totalKB,
                                     int user);

// One open file, and a copy of it in the queue with each full buffer. The
// open file's context owns the file; the queued copies only borrow its
// handle, and RemoveFile writes them all before the owner closes it.
struct FILE_WRITE_CONTEXT {
    CString name;
    CUniqueFile file;                      // the open file's context only
    HANDLE handle = INVALID_HANDLE_VALUE;  // what the writes use
    std::vector<uint8_t> buffer;           // capacity: the writer's buffer size
    int buffered = 0;                      // bytes in buffer (queued: bytes still to write)
    int offset = 0;                        // queued: bytes of buffer already written
    int64_t total = 0;                     // bytes written to the file so far
    int user = 0;
};

class CBufferedFileWriter {
public:
    // Starts one writer thread, or threadCount of them (at least one).
    CBufferedFileWriter();
    explicit CBufferedFileWriter(int threadCount);
    // Closes every file, then stops the threads (waiting up to 11 seconds).
    ~CBufferedFileWriter();
    CBufferedFileWriter(const CBufferedFileWriter&) = delete;
    CBufferedFileWriter& operator=(const CBufferedFileWriter&) = delete;

    // 0, or -1 when a size is already set or size is not positive.
    int SetBufferSize(int size);
    void SetCallbacks(FileClosedCallback onClosed, FileProgressCallback onProgress);
    // The system's WriteFile unless replaced, before any file is added, to
    // write through another layer (tests use it to fail and shorten writes).
    void SetWriteFunction(FileWriteFunction write);
    // Creates the file (replacing it). single: kept read-only as the single
    // file; 0. Otherwise: 0 once it takes appends; -1 for a name already
    // open; -2 when no buffer size is set (the created file is closed
    // again); -3 when the file cannot be created.
    int AddFile(const CString& name, int user, int single);
    // Appends; any length, split over as many buffers as it needs. 0, or -1
    // for a name that is not open.
    int Write(const CString& name, const void* data, int length);
    // Writes everything left of the file, closes it and returns its total
    // size in KB; -1 for a name that is not open.
    int RemoveFile(const CString& name);

private:
    void Start(int threadCount);
    static DWORD WINAPI FileWriterThreadProc(void* param);
    void RunWriter();
    // Writes the rest of one queued buffer (lock held); true when all of it
    // is written. Short writes are continued; a failed write keeps the rest.
    bool WriteEntry(FILE_WRITE_CONTEXT& entry);
    // The first queued buffer that may be written now, or the queue's end.
    std::list<FILE_WRITE_CONTEXT>::iterator NextWritable(DWORD now);
    void QueueFullBuffer(FILE_WRITE_CONTEXT& context);

    int m_mode = 1;
    CUniqueFile m_singleFile;
    std::list<FILE_WRITE_CONTEXT> m_queue;
    CLock m_lock;
    std::map<CString, FILE_WRITE_CONTEXT> m_files;
    std::map<CString, DWORD> m_retryAt;  // files set aside after a failed write
    int m_bufferSize = 0;
    volatile LONG m_stop = 0;
    FileClosedCallback m_onClosed = nullptr;
    FileProgressCallback m_onProgress = nullptr;
    FileWriteFunction m_write = ::WriteFile;
    std::vector<CUniqueHandle> m_threads;
};
