// An array of untyped pointers; the array never owns what they point to.
#pragma once

#include "CArray.h"

class CPtrArray : public CArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
};
