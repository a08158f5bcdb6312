#include "CFileException.h"

IMPLEMENT_DYNAMIC(CFileException, CException)

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
        case NO_ERROR: return none;
        case ERROR_FILE_NOT_FOUND: return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE: return badPath;
        case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return accessDenied;
        case ERROR_INVALID_HANDLE: return invalidFile;
        case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
        case ERROR_CANNOT_MAKE: return directoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK: return badSeek;
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT: return hardIO;
        case ERROR_SHARING_VIOLATION: return sharingViolation;
        case ERROR_LOCK_VIOLATION: return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return diskFull;
        case ERROR_HANDLE_EOF: return endOfFile;
        default: return genericException;
    }
}

void CFileException::SetFromOsError(LONG osError, LPCWSTR fileName) {
    m_lOsError = osError;
    m_cause = OsErrorToException(osError);
    m_strFileName = fileName;
}

BOOL CFileException::GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext) const {
    if (helpContext) *helpContext = 0;
    if (!buffer || maxLength == 0) return FALSE;
    buffer[0] = 0;
    if (m_lOsError <= 0) return FALSE;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(m_lOsError), 0, buffer, maxLength, nullptr);
    return n > 0;
}

void AfxThrowFileException(int cause, LONG osError, LPCWSTR fileName) {
    throw new CFileException(cause, osError, fileName);
}
