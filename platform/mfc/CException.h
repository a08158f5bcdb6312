// Framework exceptions are thrown as pointers (throw new CXxxException) and
// the catcher calls Delete(), as framework code expects.
#pragma once

#include "CObject.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() {}
    // Frees the exception object caught by pointer.
    void Delete() { delete this; }
    // Copies a description into buffer (at most maxLength characters with the
    // terminator); FALSE when there is none to give.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext = nullptr) const;

protected:
    static BOOL CopyMessage(const wchar_t* text, LPWSTR buffer, UINT maxLength);
};
