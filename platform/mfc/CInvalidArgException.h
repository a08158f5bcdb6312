// Thrown for an index or argument outside what the object holds.
#pragma once

#include "CSimpleException.h"

class CInvalidArgException : public CSimpleException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    CInvalidArgException() : CSimpleException(L"Invalid argument.") {}
};

[[noreturn]] void AfxThrowInvalidArgException();
