// An exception whose message is fixed by its kind.
#pragma once

#include "CException.h"
#include "CStringT.h"

class CSimpleException : public CException {
    DECLARE_DYNAMIC(CSimpleException)
public:
    explicit CSimpleException(const wchar_t* message = L"") : m_message(message) {}
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext = nullptr) const override;

private:
    CString m_message;
};
