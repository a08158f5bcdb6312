#include "CProgressCtrlEx.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CProgressCtrlEx, CWnd)

BEGIN_MESSAGE_MAP(CProgressCtrlEx, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

CProgressCtrlEx::CProgressCtrlEx() : m_nMin(0), m_nMax(100), m_nPos(0) {}

void CProgressCtrlEx::SetRange(int min, int max) {
    m_nMin = min;
    m_nMax = max;
}

void CProgressCtrlEx::GetRange(int* min, int* max) const {
    *min = m_nMin;
    *max = m_nMax;
}

int CProgressCtrlEx::SetPos(int pos) {
    const int previous = m_nPos;
    // A reversed range keeps its minimum: the position never leaves [min, ...].
    m_nPos = std::max(m_nMin, std::min(std::max(m_nMin, m_nMax), pos));
    if (GetSafeHwnd()) Invalidate(TRUE);
    return previous;
}

void CProgressCtrlEx::OnPaint() { ValidateRect(nullptr); }
