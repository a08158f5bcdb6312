// A growable array of values. Indexes outside the array throw
// CInvalidArgException (by pointer), except SetAtGrow and InsertAt, which grow.
#pragma once

#include <vector>

#include "CInvalidArgException.h"
#include "CObject.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() {}

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    // New elements are value-initialised; growBy is an allocation hint.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
        if (newSize < 0) AfxThrowInvalidArgException();
        m_items.resize(static_cast<size_t>(newSize));
    }
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() { m_items.clear(); }

    const TYPE& GetAt(INT_PTR i) const { return m_items[Checked(i)]; }
    TYPE& GetAt(INT_PTR i) { return m_items[Checked(i)]; }
    void SetAt(INT_PTR i, ARG_TYPE value) { m_items[Checked(i)] = value; }
    TYPE& ElementAt(INT_PTR i) { return m_items[Checked(i)]; }
    const TYPE& ElementAt(INT_PTR i) const { return m_items[Checked(i)]; }
    const TYPE& operator[](INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return ElementAt(i); }
    // NULL for an empty array.
    TYPE* GetData() { return m_items.empty() ? nullptr : m_items.data(); }
    const TYPE* GetData() const { return m_items.empty() ? nullptr : m_items.data(); }

    void SetAtGrow(INT_PTR i, ARG_TYPE value) {
        if (i < 0) AfxThrowInvalidArgException();
        if (i >= GetSize()) SetSize(i + 1);
        m_items[static_cast<size_t>(i)] = value;
    }
    // Index of the new element.
    INT_PTR Add(ARG_TYPE value) {
        m_items.push_back(value);
        return GetSize() - 1;
    }
    // Index where the appended elements start.
    INT_PTR Append(const CArray& other) {
        INT_PTR start = GetSize();
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return start;
    }
    void Copy(const CArray& other) {
        if (this != &other) m_items = other.m_items;
    }
    // Inserting past the end grows the array to reach the index first.
    void InsertAt(INT_PTR i, ARG_TYPE value, INT_PTR count = 1) {
        if (i < 0 || count < 0) AfxThrowInvalidArgException();
        if (i > GetSize()) SetSize(i);
        m_items.insert(m_items.begin() + i, static_cast<size_t>(count), value);
    }
    void InsertAt(INT_PTR start, const CArray* other) {
        if (start < 0 || !other) AfxThrowInvalidArgException();
        if (start > GetSize()) SetSize(start);
        std::vector<TYPE> copy(other->m_items);  // other may be this array
        m_items.insert(m_items.begin() + start, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        if (i < 0 || count < 0 || i + count > GetSize()) AfxThrowInvalidArgException();
        m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
    }

private:
    size_t Checked(INT_PTR i) const {
        if (i < 0 || i >= GetSize()) AfxThrowInvalidArgException();
        return static_cast<size_t>(i);
    }

    std::vector<TYPE> m_items;
};
