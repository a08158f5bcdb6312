#include "CSimpleException.h"

IMPLEMENT_DYNAMIC(CSimpleException, CException)

BOOL CSimpleException::GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext) const {
    if (helpContext) *helpContext = 0;
    return CopyMessage(m_message, buffer, maxLength);
}
