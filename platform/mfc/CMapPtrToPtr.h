// A map from untyped pointers (window or menu handles too) to untyped pointers.
#pragma once

#include "CMap.h"

class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {
    DECLARE_DYNAMIC(CMapPtrToPtr)
public:
    explicit CMapPtrToPtr(INT_PTR blockSize = 10) : CMap<void*, void*, void*, void*>(blockSize) {}
};
