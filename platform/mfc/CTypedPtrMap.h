// A pointer map (over CMapPtrToPtr) with typed keys and values.
#pragma once

#include "CMapPtrToPtr.h"

template <class BASE_CLASS, class KEY, class VALUE>
class CTypedPtrMap : public BASE_CLASS {
public:
    explicit CTypedPtrMap(INT_PTR blockSize = 10) : BASE_CLASS(blockSize) {}

    BOOL Lookup(KEY key, VALUE& value) const {
        void* raw = nullptr;
        if (!BASE_CLASS::Lookup(reinterpret_cast<void*>(key), raw)) return FALSE;
        value = reinterpret_cast<VALUE>(raw);
        return TRUE;
    }
    VALUE& operator[](KEY key) {
        return reinterpret_cast<VALUE&>(BASE_CLASS::operator[](reinterpret_cast<void*>(key)));
    }
    void SetAt(KEY key, VALUE value) {
        BASE_CLASS::SetAt(reinterpret_cast<void*>(key), reinterpret_cast<void*>(value));
    }
    BOOL RemoveKey(KEY key) { return BASE_CLASS::RemoveKey(reinterpret_cast<void*>(key)); }
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
        void* rawKey = nullptr;
        void* rawValue = nullptr;
        BASE_CLASS::GetNextAssoc(pos, rawKey, rawValue);
        key = reinterpret_cast<KEY>(rawKey);
        value = reinterpret_cast<VALUE>(rawValue);
    }
};
