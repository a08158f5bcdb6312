// A list of untyped pointers; the list never owns what they point to.
#pragma once

#include "CList.h"

class CPtrList : public CList<void*, void*> {
    DECLARE_DYNAMIC(CPtrList)
public:
    explicit CPtrList(INT_PTR blockSize = 10) : CList<void*, void*>(blockSize) {}
};
