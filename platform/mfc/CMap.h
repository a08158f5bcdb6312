// A hash map walked with POSITION values. The iteration order is the
// bucket order, not the insertion order.
#pragma once

#include <type_traits>
#include <vector>

#include "CObject.h"
#include "CStringT.h"

// Bucket hash of a key: pointers and integers by value (pointers drop the
// low bits that alignment keeps zero), texts by their characters.
template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) {
    if constexpr (std::is_pointer<ARG_KEY>::value) {
        return static_cast<UINT>(reinterpret_cast<UINT_PTR>(key) >> 4);
    } else {
        return static_cast<UINT>(static_cast<UINT_PTR>(key));
    }
}
inline UINT HashKey(const wchar_t* key) {
    UINT hash = 0;
    while (key && *key) hash = (hash << 5) + hash + static_cast<UINT>(*key++);
    return hash;
}
inline UINT HashKey(const CString& key) { return HashKey(key.GetString()); }

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
    struct Assoc {
        Assoc* next;
        UINT hash;
        KEY key;
        VALUE value;
    };

public:
    explicit CMap(INT_PTR blockSize = 10) {}
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }
    UINT GetHashTableSize() const { return static_cast<UINT>(m_buckets.size()); }
    // Sets the bucket count; only before the first element is added.
    void InitHashTable(UINT size, BOOL allocNow = TRUE) {
        if (m_count == 0 && size > 0) m_buckets.assign(size, nullptr);
    }

    // TRUE and the value when the key is present; FALSE otherwise.
    BOOL Lookup(ARG_KEY key, VALUE& value) const {
        const Assoc* a = Find(key);
        if (!a) return FALSE;
        value = a->value;
        return TRUE;
    }
    // The value of key, added value-initialised when absent.
    VALUE& operator[](ARG_KEY key) {
        if (Assoc* a = Find(key)) return a->value;
        if (m_buckets.empty()) InitHashTable(kDefaultBuckets);
        UINT hash = HashKey(key);
        Assoc*& head = m_buckets[hash % m_buckets.size()];
        head = new Assoc{head, hash, key, VALUE()};
        ++m_count;
        return head->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }
    // TRUE when the key was present and is removed.
    BOOL RemoveKey(ARG_KEY key) {
        if (m_buckets.empty()) return FALSE;
        UINT hash = HashKey(key);
        for (Assoc** link = &m_buckets[hash % m_buckets.size()]; *link; link = &(*link)->next) {
            if ((*link)->hash == hash && (*link)->key == key) {
                Assoc* gone = *link;
                *link = gone->next;
                delete gone;
                --m_count;
                return TRUE;
            }
        }
        return FALSE;
    }
    void RemoveAll() {
        for (Assoc*& head : m_buckets) {
            while (head) {
                Assoc* next = head->next;
                delete head;
                head = next;
            }
        }
        m_count = 0;
    }

    // NULL for an empty map, else a position before the first pair.
    POSITION GetStartPosition() const { return m_count ? BEFORE_START_POSITION : nullptr; }
    // Gives the pair at pos and moves pos to the next one (NULL after the last).
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
        const Assoc* a = (pos == BEFORE_START_POSITION) ? FirstFrom(0) : reinterpret_cast<const Assoc*>(pos);
        key = a->key;
        value = a->value;
        const Assoc* next = a->next ? a->next : FirstFrom(a->hash % m_buckets.size() + 1);
        pos = reinterpret_cast<POSITION>(const_cast<Assoc*>(next));
    }

private:
    static const UINT kDefaultBuckets = 17;

    Assoc* Find(ARG_KEY key) const {
        if (m_buckets.empty()) return nullptr;
        UINT hash = HashKey(key);
        for (Assoc* a = m_buckets[hash % m_buckets.size()]; a; a = a->next) {
            if (a->hash == hash && a->key == key) return a;
        }
        return nullptr;
    }
    const Assoc* FirstFrom(size_t bucket) const {
        for (; bucket < m_buckets.size(); ++bucket) {
            if (m_buckets[bucket]) return m_buckets[bucket];
        }
        return nullptr;
    }

    std::vector<Assoc*> m_buckets;
    INT_PTR m_count = 0;
};
