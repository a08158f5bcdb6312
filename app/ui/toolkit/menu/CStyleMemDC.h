// Off-screen drawing over a rectangle of a target DC in the target's
// coordinates; the picture reaches the target in one copy when the object
// ends (unless discarded), so an item never flickers while it repaints.
#pragma once

#include <afxwin.h>

#include "common/UniqueGdi.h"

class CStyleMemDC : public CDC {
public:
    CStyleMemDC(const RECT& rect, HDC target);
    ~CStyleMemDC() override;
    void Discard() { m_discard = TRUE; }

private:
    // Attaches a DC compatible with target (in the member list, so that the
    // bitmap's selection can be a member); returns it.
    HDC AttachCompatibleDC(HDC target);

    RECT m_rect;
    HDC m_target;
    CUniqueBitmap m_bitmap;
    CDcSelection m_useBitmap;
    BOOL m_discard = FALSE;
};
