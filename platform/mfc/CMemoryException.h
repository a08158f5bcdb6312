// Thrown when memory or a resource the framework needs cannot be had.
#pragma once

#include "CSimpleException.h"

class CMemoryException : public CSimpleException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException() : CSimpleException(L"Out of memory.") {}
};

[[noreturn]] void AfxThrowMemoryException();
