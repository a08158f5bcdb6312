// Owners of GDI objects, memory device contexts and the user-interface
// handles drawn with them (icons, cursors, menus), in the manner of
// UniqueHandle.h; and the guards that borrow a window's device context and
// that select an object into a device context for a scope.
//
// Declare the owner of an object before the guard that selects it: the guard
// then puts the device context's previous object back before the owner
// deletes the one it selected, and no object is deleted while selected.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

typedef CUniqueResource<NullInvalidTraits<HGDIOBJ, &DeleteObject>> CUniqueGdiObject;
typedef CUniqueResource<NullInvalidTraits<HBITMAP, &DeleteObject>> CUniqueBitmap;
typedef CUniqueResource<NullInvalidTraits<HBRUSH, &DeleteObject>> CUniqueBrush;
typedef CUniqueResource<NullInvalidTraits<HPEN, &DeleteObject>> CUniquePen;
typedef CUniqueResource<NullInvalidTraits<HFONT, &DeleteObject>> CUniqueFont;
typedef CUniqueResource<NullInvalidTraits<HRGN, &DeleteObject>> CUniqueRegion;
// Device contexts from CreateCompatibleDC and CreateDC (not GetDC or
// GetWindowDC: see CBorrowedDC).
typedef CUniqueResource<NullInvalidTraits<HDC, &DeleteDC>> CUniqueMemoryDC;
// Icons and cursors the program made or loaded for itself (not shared ones
// from LoadIcon/LoadCursor, which must never be destroyed).
typedef CUniqueResource<NullInvalidTraits<HICON, &DestroyIcon>> CUniqueIcon;
typedef CUniqueResource<NullInvalidTraits<HCURSOR, &DestroyCursor>> CUniqueCursor;
// Menus that belong to no window (a window destroys the menu it shows).
typedef CUniqueResource<NullInvalidTraits<HMENU, &DestroyMenu>> CUniqueMenu;

// The device context of a window's client area (NULL: the screen), or of the
// whole window with its frame, given back with ReleaseDC to the same window.
class CBorrowedDC {
public:
    explicit CBorrowedDC(HWND window, BOOL wholeWindow = FALSE)
        : m_window(window), m_dc(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
    ~CBorrowedDC() {
        if (m_dc) ReleaseDC(m_window, m_dc);
    }
    CBorrowedDC(const CBorrowedDC&) = delete;
    CBorrowedDC& operator=(const CBorrowedDC&) = delete;

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects an object (pen, brush, font or bitmap; not a region, whose
// selection returns no object) into a device context and puts the previous
// one back when the scope ends. A NULL object selects nothing.
class CDcSelection {
public:
    CDcSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {
        if (m_previous == HGDI_ERROR) m_previous = nullptr;
    }
    ~CDcSelection() { Restore(); }
    CDcSelection(const CDcSelection&) = delete;
    CDcSelection& operator=(const CDcSelection&) = delete;

    // Puts the previous object back now; later calls and the destructor then
    // do nothing.
    void Restore() {
        if (m_previous) SelectObject(m_dc, m_previous);
        m_previous = nullptr;
    }
    // The object the device context had before; NULL when nothing was
    // selected.
    HGDIOBJ Previous() const { return m_previous; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
