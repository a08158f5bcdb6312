#include "CException.h"

IMPLEMENT_DYNAMIC(CException, CObject)

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext) const {
    if (helpContext) *helpContext = 0;
    if (buffer && maxLength) buffer[0] = 0;
    return FALSE;
}

BOOL CException::CopyMessage(const wchar_t* text, LPWSTR buffer, UINT maxLength) {
    if (!buffer || maxLength == 0) return FALSE;
    lstrcpynW(buffer, text, static_cast<int>(maxLength));
    return TRUE;
}
