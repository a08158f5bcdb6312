// A list of strings.
#pragma once

#include "CList.h"
#include "CStringT.h"

class CStringList : public CList<CString, const CString&> {
    DECLARE_DYNAMIC(CStringList)
public:
    explicit CStringList(INT_PTR blockSize = 10) : CList<CString, const CString&>(blockSize) {}
};
