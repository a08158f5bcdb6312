// Off-screen drawing over a rectangle of a target DC in the target's
// coordinates; the picture reaches the target in one copy when the object
// ends (unless discarded), so an item never flickers while it repaints.
#pragma once

#include <afxwin.h>

class CStyleMemDC : public CDC {
public:
    CStyleMemDC(const RECT& rect, HDC target);
    ~CStyleMemDC() override;
    void Discard() { m_discard = TRUE; }

private:
    RECT m_rect;
    HGDIOBJ m_oldBitmap = nullptr;
    HBITMAP m_bitmap = nullptr;
    BOOL m_discard = FALSE;
    HDC m_target;
};
