#include "CFile.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

DWORD AccessFor(UINT flags) {
    switch (flags & 3) {
        case CFile::modeWrite: return GENERIC_WRITE;
        case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
        default: return GENERIC_READ;
    }
}

DWORD ShareFor(UINT flags) {
    switch (flags & 0x70) {
        case CFile::shareExclusive: return 0;
        case CFile::shareDenyWrite: return FILE_SHARE_READ;
        case CFile::shareDenyRead: return FILE_SHARE_WRITE;
        case CFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
        default: return 0;  // compatibility mode behaves as exclusive
    }
}

DWORD DispositionFor(UINT flags) {
    if (flags & CFile::modeCreate) return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    return OPEN_EXISTING;
}

}  // namespace

CFile::CFile(LPCWSTR fileName, UINT openFlags) : m_hFile(INVALID_HANDLE_VALUE) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) AfxThrowFileException(error.m_cause, error.m_lOsError, fileName);
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error) {
    Abort();
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (openFlags & osWriteThrough) attributes |= FILE_FLAG_WRITE_THROUGH;
    if (openFlags & osNoBuffer) attributes |= FILE_FLAG_NO_BUFFERING;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE h = CreateFileW(fileName, AccessFor(openFlags), ShareFor(openFlags), &sa, DispositionFor(openFlags),
                           attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        LONG osError = static_cast<LONG>(GetLastError());
        if (error) error->SetFromOsError(osError, fileName);
        return FALSE;
    }
    m_hFile = h;
    m_strFileName = fileName;
    return TRUE;
}

void CFile::ThrowLastError() const {
    LONG osError = static_cast<LONG>(GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) return 0;
    DWORD done = 0;
    if (!ReadFile(m_hFile, buffer, count, &done, nullptr)) ThrowLastError();
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    DWORD done = 0;
    if (!WriteFile(m_hFile, buffer, count, &done, nullptr)) ThrowLastError();
    if (done < count) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_hFile, distance, &result, from)) ThrowLastError();
    return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
    LARGE_INTEGER zero = {}, result;
    if (!SetFilePointerEx(m_hFile, zero, &result, FILE_CURRENT)) ThrowLastError();
    return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size)) ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG newLength) {
    Seek(static_cast<LONGLONG>(newLength), begin);
    if (!SetEndOfFile(m_hFile)) ThrowLastError();
}

void CFile::Flush() {
    if (m_hFile != INVALID_HANDLE_VALUE && !FlushFileBuffers(m_hFile)) ThrowLastError();
}

void CFile::Close() {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    HANDLE h = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h)) ThrowLastError();
}

void CFile::Abort() {
    if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

CString CFile::GetFileName() const {
    int slash = m_strFileName.ReverseFind(L'\\');
    int forward = m_strFileName.ReverseFind(L'/');
    if (forward > slash) slash = forward;
    return m_strFileName.Mid(slash + 1);
}
