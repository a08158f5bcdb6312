#include "MenuTestSupport.h"

#include "MenuTestResource.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"

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

DibPixels DrawWithStyle(CStyleMenu& menu, int style, int position, UINT state, BOOL menuBar) {
    CStyleMenu::s_pCurrentTheme = CStyleMenu::FindTheme(style);
    DibPixels p = DrawMenuItem(menu, position, state, 160, 24, menuBar);
    CStyleMenu::s_pCurrentTheme = CStyleMenu::FindTheme(2);
    return p;
}

int CountColour(const DibPixels& p, COLORREF c) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) n += p.At(x, y) == c;
    return n;
}

ULONG_PTR MenuItemData(HMENU menu, int position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.dwItemData;
}

int SharedStoreCount() {
    return CStyleMenu::s_pSharedIconStores ? static_cast<int>(CStyleMenu::s_pSharedIconStores->GetCount()) : 0;
}

HBITMAP SolidBitmap(int w, int h, COLORREF c) {
    DibCanvas canvas(w, h, c);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, canvas.dc(), 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

BOOL CreateMaskedMarginImages(CImageList& list) {
    if (!list.Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1)) return FALSE;
    DibCanvas canvas(16, 16, RGB(255, 0, 255));
    RECT square = {2, 2, 14, 14};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(canvas.dc(), &square, blue);
    DeleteObject(blue);
    HDC screen = GetDC(nullptr);
    CBitmap bitmap;
    bitmap.Attach(CreateCompatibleBitmap(screen, 16, 16));
    ReleaseDC(nullptr, screen);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap.GetSafeHandle());
    BitBlt(memory, 0, 0, 16, 16, canvas.dc(), 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return list.Add(&bitmap, RGB(255, 0, 255)) == 0;
}

BOOL CreateAlphaMarginImages(CImageList& list) {
    if (!list.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1)) return FALSE;
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MENUTEST_ICON), IMAGE_ICON, 16, 16, 0));
    BOOL added = icon && list.Add(icon) == 0;
    if (icon) DestroyIcon(icon);
    return added;
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
}  // namespace

TestWindow::TestWindow(DWORD style)
    : m_hwnd(CreateWindowExW(0, TestWindowClass(), L"menu test", style, 40, 40, 300, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr)) {}

TestWindow::~TestWindow() {
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}
