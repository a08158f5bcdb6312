// A doubly linked list of values walked with POSITION values; a POSITION
// stays valid until its own element is removed.
#pragma once

#include "CInvalidArgException.h"
#include "CObject.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
    struct Node {
        Node* next;
        Node* prev;
        TYPE data;
    };

public:
    // blockSize is an allocation hint of the original design; nodes are
    // allocated one by one here.
    explicit CList(INT_PTR blockSize = 10) {}
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }

    // Head and tail access on an empty list throws CInvalidArgException.
    TYPE& GetHead() { return NonEmpty(m_head)->data; }
    const TYPE& GetHead() const { return NonEmpty(m_head)->data; }
    TYPE& GetTail() { return NonEmpty(m_tail)->data; }
    const TYPE& GetTail() const { return NonEmpty(m_tail)->data; }
    TYPE RemoveHead() {
        Node* n = NonEmpty(m_head);
        TYPE v = n->data;
        Unlink(n);
        return v;
    }
    TYPE RemoveTail() {
        Node* n = NonEmpty(m_tail);
        TYPE v = n->data;
        Unlink(n);
        return v;
    }

    POSITION AddHead(ARG_TYPE value) { return InsertNode(nullptr, m_head, value); }
    POSITION AddTail(ARG_TYPE value) { return InsertNode(m_tail, nullptr, value); }
    void AddHead(const CList* other) {
        for (Node* n = other->m_tail; n; n = n->prev) AddHead(n->data);
    }
    void AddTail(const CList* other) {
        for (Node* n = other->m_head; n; n = n->next) AddTail(n->data);
    }
    void RemoveAll() {
        while (m_head) {
            Node* n = m_head;
            m_head = n->next;
            delete n;
        }
        m_tail = nullptr;
        m_count = 0;
    }

    POSITION GetHeadPosition() const { return ToPos(m_head); }
    POSITION GetTailPosition() const { return ToPos(m_tail); }
    // The element at pos; pos moves on (NULL after the last).
    TYPE& GetNext(POSITION& pos) {
        Node* n = FromPos(pos);
        pos = ToPos(n->next);
        return n->data;
    }
    const TYPE& GetNext(POSITION& pos) const {
        Node* n = FromPos(pos);
        pos = ToPos(n->next);
        return n->data;
    }
    TYPE& GetPrev(POSITION& pos) {
        Node* n = FromPos(pos);
        pos = ToPos(n->prev);
        return n->data;
    }
    const TYPE& GetPrev(POSITION& pos) const {
        Node* n = FromPos(pos);
        pos = ToPos(n->prev);
        return n->data;
    }
    TYPE& GetAt(POSITION pos) { return FromPos(pos)->data; }
    const TYPE& GetAt(POSITION pos) const { return FromPos(pos)->data; }
    void SetAt(POSITION pos, ARG_TYPE value) { FromPos(pos)->data = value; }
    void RemoveAt(POSITION pos) { Unlink(FromPos(pos)); }
    POSITION InsertBefore(POSITION pos, ARG_TYPE value) {
        if (!pos) return AddHead(value);
        Node* at = FromPos(pos);
        return InsertNode(at->prev, at, value);
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE value) {
        if (!pos) return AddTail(value);
        Node* at = FromPos(pos);
        return InsertNode(at, at->next, value);
    }

    // Position of the first element equal to value after startAfter (from
    // the head when NULL); NULL when there is none.
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const {
        for (Node* n = startAfter ? FromPos(startAfter)->next : m_head; n; n = n->next) {
            if (n->data == value) return ToPos(n);
        }
        return nullptr;
    }
    // Position of the index-th element; NULL when index is out of range.
    POSITION FindIndex(INT_PTR index) const {
        if (index < 0 || index >= m_count) return nullptr;
        Node* n = m_head;
        while (index-- > 0) n = n->next;
        return ToPos(n);
    }

private:
    static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* FromPos(POSITION pos) {
        if (!pos) AfxThrowInvalidArgException();
        return reinterpret_cast<Node*>(pos);
    }
    static Node* NonEmpty(Node* n) {
        if (!n) AfxThrowInvalidArgException();
        return n;
    }
    POSITION InsertNode(Node* prev, Node* next, ARG_TYPE value) {
        Node* n = new Node{next, prev, value};
        (prev ? prev->next : m_head) = n;
        (next ? next->prev : m_tail) = n;
        ++m_count;
        return ToPos(n);
    }
    void Unlink(Node* n) {
        (n->prev ? n->prev->next : m_head) = n->next;
        (n->next ? n->next->prev : m_tail) = n->prev;
        delete n;
        --m_count;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};
