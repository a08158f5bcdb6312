// A pointer array (over CPtrArray) whose elements have one pointer type.
#pragma once

#include "CPtrArray.h"

template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
public:
    TYPE GetAt(INT_PTR i) const { return static_cast<TYPE>(BASE_CLASS::GetAt(i)); }
    TYPE& ElementAt(INT_PTR i) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(i)); }
    void SetAt(INT_PTR i, TYPE p) { BASE_CLASS::SetAt(i, p); }
    void SetAtGrow(INT_PTR i, TYPE p) { BASE_CLASS::SetAtGrow(i, p); }
    INT_PTR Add(TYPE p) { return BASE_CLASS::Add(p); }
    INT_PTR Append(const CTypedPtrArray& other) { return BASE_CLASS::Append(other); }
    void Copy(const CTypedPtrArray& other) { BASE_CLASS::Copy(other); }
    void InsertAt(INT_PTR i, TYPE p, INT_PTR count = 1) { BASE_CLASS::InsertAt(i, p, count); }
    TYPE operator[](INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return ElementAt(i); }
    TYPE* GetData() { return reinterpret_cast<TYPE*>(BASE_CLASS::GetData()); }
};
