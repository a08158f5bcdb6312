// A top-level frame window: created with a menu from the resources, and an
// accelerator table the program loads for it (its default accelerators).
#pragma once

#include "CWnd.h"

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd() : m_hAccelTable(nullptr) {}

    // A frame of the framework's frame class; menuName (may be NULL) is
    // loaded as its menu bar. FALSE when the menu or the window cannot be made.
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCWSTR menuName = nullptr,
                        DWORD exStyle = 0, void* context = nullptr);
    BOOL LoadAccelTable(LPCWSTR name);
    // The table translated for this frame; NULL when none was loaded.
    virtual HACCEL GetDefaultAccelerator() { return m_hAccelTable; }

    static const RECT rectDefault;
    HACCEL m_hAccelTable;

protected:
    void PostNcDestroy() override { delete this; }
};
