#include "MenuTestSupport.h"

#include "app/ui/toolkit/CStyleMenu.h"

DibCanvas::DibCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    m_old = SelectObject(m_dc, m_bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

DibCanvas::~DibCanvas() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

DibPixels DibCanvas::Pixels() const {
    GdiFlush();
    DibPixels p;
    p.width = m_width;
    p.height = m_height;
    const DWORD* bits = static_cast<const DWORD*>(m_bits);
    p.bits.assign(bits, bits + static_cast<size_t>(m_width) * m_height);
    return p;
}

DibPixels DrawMenuItem(CStyleMenu& menu, int position, UINT state, int width, int height, BOOL menuBar) {
    DibCanvas canvas(width, height, RGB(1, 2, 3));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = menu.GetMenuItemID(position);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = reinterpret_cast<HWND>(menu.GetSafeHmenu());
    dis.hDC = canvas.dc();
    dis.rcItem = RECT{0, 0, width, height};
    dis.itemData = reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(position));
    BOOL oldPopup = menu.IsPopup();
    if (menuBar) menu.SetPopup(FALSE);
    menu.DrawItem(&dis);
    if (menuBar) menu.SetPopup(oldPopup);
    return canvas.Pixels();
}

namespace {
LPCWSTR TestWindowClass() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"MenuTestWindow";
        atom = RegisterClassW(&wc);
    }
    return L"MenuTestWindow";
}
} // namespace

TestWindow::TestWindow(DWORD style)
    : m_hwnd(CreateWindowExW(0, TestWindowClass(), L"menu test", style, 40, 40, 300, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr)) {}

TestWindow::~TestWindow() {
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}
