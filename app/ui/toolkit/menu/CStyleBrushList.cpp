#include "CStyleBrushList.h"

#include "CStyleBrush.h"

CStyleBrushList::~CStyleBrushList() {
    while (!IsEmpty()) delete static_cast<CStyleBrush*>(RemoveHead());
}

CStyleBrush* CStyleBrushList::Get(int kind, COLORREF from, COLORREF to) {
    if (m_last && m_last->Matches(kind, from, to)) return m_last;
    POSITION pos = GetHeadPosition();
    while (pos) {
        CStyleBrush* brush = static_cast<CStyleBrush*>(GetNext(pos));
        if (brush->Matches(kind, from, to)) return m_last = brush;
    }
    m_last = new CStyleBrush(kind, from, to);
    AddHead(m_last);
    return m_last;
}
