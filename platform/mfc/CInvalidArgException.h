// Thrown for an index or argument outside what the object holds.
#pragma once

#include "CException.h"

class CInvalidArgException : public CSimpleException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    CInvalidArgException() : CSimpleException(L"Invalid argument.") {}
};

[[noreturn]] void AfxThrowInvalidArgException();
