// An array of strings.
#pragma once

#include "CArray.h"
#include "CStringT.h"

class CStringArray : public CArray<CString, const CString&> {
    DECLARE_DYNAMIC(CStringArray)
};
