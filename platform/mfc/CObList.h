// A list of object pointers; the list never deletes the objects.
#pragma once

#include "CList.h"

class CObList : public CList<CObject*, CObject*> {
    DECLARE_DYNAMIC(CObList)
public:
    explicit CObList(INT_PTR blockSize = 10) : CList<CObject*, CObject*>(blockSize) {}
};
