#include "CWorkbookWindow.h"

#include <string>

#include "CXlWorkbook.h"

extern HINSTANCE g_xlautoModule;

const wchar_t CWorkbookWindow::kClassName[] = L"DodavoziStandinWorkbook";

namespace {
const int kRowHeight = 20, kColumnWidth = 140, kHeaderWidth = 48;

std::wstring ColumnLabel(long column) {
    std::wstring label;
    for (; column > 0; column = (column - 1) / 26)
        label.insert(label.begin(), static_cast<wchar_t>(L'A' + (column - 1) % 26));
    return label;
}
}  // namespace

CWorkbookWindow* CWorkbookWindow::Open(CXlWorkbook* book) {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = g_xlautoModule;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        atom = RegisterClassW(&wc);
    }
    CWorkbookWindow* window = new CWorkbookWindow(book);
    HWND hwnd = CreateWindowExW(0, kClassName, book->Title().c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, 800, 500, nullptr, nullptr, g_xlautoModule, window);
    if (!hwnd) {
        delete window;
        return nullptr;
    }
    return window;
}

LRESULT CALLBACK CWorkbookWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<CWorkbookWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<CWorkbookWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            window->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCDESTROY: {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            CXlWorkbook* book = window->m_book;
            delete window;
            // Last: the workbook may end its application (and itself) here.
            book->OnWindowClosed();
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CWorkbookWindow::Paint(HDC dc) const {
    auto sheets = m_book->Sheets();
    if (sheets.empty()) return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    long rows = client.bottom / kRowHeight, columns = (client.right - kHeaderWidth) / kColumnWidth + 1;
    SetBkMode(dc, TRANSPARENT);
    for (long c = 1; c <= columns; ++c) {
        std::wstring label = ColumnLabel(c);
        RECT cell = {kHeaderWidth + (c - 1) * kColumnWidth, 0, kHeaderWidth + c * kColumnWidth, kRowHeight};
        DrawTextW(dc, label.c_str(), -1, &cell, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
    for (long r = 1; r <= rows; ++r) {
        std::wstring label = std::to_wstring(r);
        RECT cell = {0, r * kRowHeight, kHeaderWidth, (r + 1) * kRowHeight};
        DrawTextW(dc, label.c_str(), -1, &cell, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
        MoveToEx(dc, 0, r * kRowHeight, nullptr);
        LineTo(dc, client.right, r * kRowHeight);
    }
    for (const auto& entry : sheets[0]->cells) {
        long r = entry.first.first, c = entry.first.second;
        if (r > rows || c > columns) continue;
        RECT cell = {kHeaderWidth + (c - 1) * kColumnWidth + 3, r * kRowHeight, kHeaderWidth + c * kColumnWidth - 3,
                     (r + 1) * kRowHeight};
        DrawTextW(dc, entry.second.c_str(), -1, &cell,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}
