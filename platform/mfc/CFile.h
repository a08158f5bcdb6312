// A file over a Windows file handle. The handle is owned: Close (or the
// destructor) closes it. Read, Write and Seek throw CFileException (by
// pointer) on failure; Open reports failure by its result instead.
#pragma once

#include "CFileException.h"

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeNoTruncate = 0x10000,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000 << 1,
        osWriteThrough = 0x10000 << 2
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };
    static const HANDLE hFileNull;

    CFile() : m_hFile(INVALID_HANDLE_VALUE) {}
    // Opens or throws CFileException.
    CFile(LPCWSTR fileName, UINT openFlags);
    ~CFile() override;

    // TRUE when opened; otherwise FALSE with the cause in *error when given.
    virtual BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr);
    // Bytes read (0 at the end of the file).
    virtual UINT Read(void* buffer, UINT count);
    // Writes all count bytes or throws (diskFull when fewer were written).
    virtual void Write(const void* buffer, UINT count);
    // The new position from the file's start.
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    ULONGLONG GetPosition() const;
    ULONGLONG GetLength() const;
    void SetLength(ULONGLONG newLength);
    void Flush();
    // Closes the handle; throws when closing reports a failure.
    virtual void Close();
    // Closes without ever throwing.
    void Abort();

    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    operator HANDLE() const { return m_hFile; }

    HANDLE m_hFile;

private:
    [[noreturn]] void ThrowLastError() const;

    CString m_strFileName;
};
