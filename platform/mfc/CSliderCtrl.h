// A trackbar control.
#pragma once

#include "CWnd.h"

class CSliderCtrl : public CWnd {
    DECLARE_DYNAMIC(CSliderCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(TRACKBAR_CLASSW, nullptr, style, rect, parent, id);
    }

    void SetRange(int minPos, int maxPos, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMIN, FALSE, minPos);
        SendMessage(TBM_SETRANGEMAX, redraw, maxPos);
    }
    void SetRangeMin(int minPos, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMIN, redraw, minPos); }
    void SetRangeMax(int maxPos, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMAX, redraw, maxPos); }
    int GetRangeMin() const { return static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMIN, 0, 0)); }
    int GetRangeMax() const { return static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMAX, 0, 0)); }
    void GetRange(int& minPos, int& maxPos) const {
        minPos = GetRangeMin();
        maxPos = GetRangeMax();
    }
    int GetPos() const { return static_cast<int>(::SendMessageW(m_hWnd, TBM_GETPOS, 0, 0)); }
    void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
    void SetTicFreq(int frequency) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
    int SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
    int SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }
    void GetChannelRect(LPRECT r) const { ::SendMessageW(m_hWnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(r)); }
    void GetThumbRect(LPRECT r) const { ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(r)); }
};
