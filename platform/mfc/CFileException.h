// Thrown by CFile operations that fail; m_cause classifies the Windows error
// kept in m_lOsError.
#pragma once

#include "CException.h"
#include "CStringT.h"

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCWSTR fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // The cause for a Windows error code; genericException for codes
    // without a closer match.
    static int OsErrorToException(LONG osError);
    // Fills this exception from a Windows error code and file name.
    void SetFromOsError(LONG osError, LPCWSTR fileName);
    // The system's text for the Windows error; FALSE when there is none.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCWSTR fileName = nullptr);
