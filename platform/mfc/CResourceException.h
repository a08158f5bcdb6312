// Thrown when a Windows object (mutex, window, GDI object) cannot be created.
#pragma once

#include "CSimpleException.h"

class CResourceException : public CSimpleException {
    DECLARE_DYNAMIC(CResourceException)
public:
    CResourceException() : CSimpleException(L"A required resource was unavailable.") {}
};

[[noreturn]] void AfxThrowResourceException();
