// Thrown (by pointer) when a user-facing operation fails after telling the
// user why, such as a failed data exchange.
#pragma once

#include "CSimpleException.h"

class CUserException : public CSimpleException {
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException() : CSimpleException(L"") {}
};

[[noreturn]] void AfxThrowUserException();
