// CProgressCtrlEx: a window that keeps a range and a position for a skin to
// show; it draws nothing itself. UI thread.
#pragma once

#include <afxwin.h>

class CProgressCtrlEx : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrlEx)
public:
    CProgressCtrlEx();

    // Keeps the range as given; no repaint.
    void SetRange(int min, int max);
    void GetRange(int* min, int* max) const;
    int GetPos() const { return m_nPos; }
    // Stores the value clamped to the range, repaints (with erase) and
    // returns the previous position.
    int SetPos(int pos);

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    int m_nMin;
    int m_nMax;
    int m_nPos;
};
