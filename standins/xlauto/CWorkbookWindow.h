// The window of a shown workbook: its first sheet's cells in a grid.
// Closing it tells the workbook, which writes its file.
#pragma once

#include <windows.h>

class CXlWorkbook;

class CWorkbookWindow {
public:
    static const wchar_t kClassName[];

    // The window on the calling thread, shown; nullptr when it cannot be made.
    static CWorkbookWindow* Open(CXlWorkbook* book);
    void Refresh() { InvalidateRect(m_hwnd, nullptr, TRUE); }
    void Close() { DestroyWindow(m_hwnd); }

private:
    explicit CWorkbookWindow(CXlWorkbook* book) : m_book(book) {}
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc) const;

    CXlWorkbook* m_book;
    HWND m_hwnd = nullptr;
};
