// What one owner-drawn item of a CStyleMenu shows: its text (mnemonics and
// an optional tab-separated accelerator text), menu flags, command id or
// sub-menu handle, and its icon (a shared store and an index).
#pragma once

#include <afxwin.h>

class CStyleMenuIcons;

class CStyleMenuItemData : public CObject {
    DECLARE_DYNAMIC(CStyleMenuItemData)
public:
    CStyleMenuItemData();
    ~CStyleMenuItemData() override;

    // The text to show; with an accelerator table the names of the keys of
    // the item's command follow a tab. (HACCEL)-1 takes the main window's
    // default table, which only a frame window has.
    virtual CString GetString(HACCEL accel) const;
    virtual void SetString(LPCTSTR text) { this->text = text; }

    // Holds a reference on the new store and lets the old one go.
    void SetIcons(CStyleMenuIcons* icons);

    CString text;
    DWORD titleFlags = 0;
    UINT flags = 0;
    UINT_PTR id = 0;
    BOOL syncMark = FALSE;
    CStyleMenuIcons* icons = nullptr;
    int iconIndex = -1;
    // The caller's own value for the item; the library never reads it.
    DWORD userValue = 0;
};

// Title bits of CStyleMenuItemDataTitle::titleFlags.
enum : DWORD {
    kTitlePresent = 0x01,
    kTitleVertical = 0x02,
    kTitleGradient = 0x04,
    kTitleFrame = 0x08,
    kTitleLines = 0x10,
    kTitleRounded = 0x20,
    kTitleCentred = 0x40,
};

class CStyleMenuItemDataTitle : public CStyleMenuItemData {
    DECLARE_DYNAMIC(CStyleMenuItemDataTitle)
public:
    COLORREF textColor = CLR_DEFAULT;
    COLORREF gradientColor = CLR_DEFAULT;
    COLORREF backColor = CLR_DEFAULT;
    CFont font;
};

// Names of the accelerator keys of command in table ("Ctrl+S, Shift+F12"),
// empty when none.
CString AcceleratorNames(HACCEL table, UINT_PTR command);
