#include "CRerezedView.h"

namespace {
const wchar_t kViewClass[] = L"RerezedView";

VARIANT LongArg(long v) {
    VARIANT a;
    ::VariantInit(&a);
    a.vt = VT_I4;
    a.lVal = v;
    return a;
}
}  // namespace

CRerezedView::CRerezedView(CRerezedEventSink& sink) : m_sink(sink) {
    for (int i = 0; i < kRerezedPaneCount; ++i) m_panes[i] = std::make_unique<CRerezedPane>(sink, i);
}

CRerezedView::~CRerezedView() {
    Destroy();
    if (m_backImage) ::DeleteObject(m_backImage);
}

bool CRerezedView::RegisterClasses(HINSTANCE module) {
    WNDCLASSEXW wc = {sizeof wc};
    wc.hInstance = module;
    wc.lpfnWndProc = ViewProc;
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kViewClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    return CRerezedPane::RegisterClasses(module);
}

void CRerezedView::UnregisterClasses(HINSTANCE module) {
    ::UnregisterClassW(kViewClass, module);
    CRerezedPane::UnregisterClasses(module);
}

bool CRerezedView::Create(HWND parent, const RECT& rect, HINSTANCE module) {
    if (m_hWnd) return true;
    if (!RegisterClasses(module)) return false;
    m_hWnd = ::CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, module, this);
    if (!m_hWnd) return false;
    for (auto& pane : m_panes) {
        if (!pane->Create(m_hWnd)) {
            Destroy();
            return false;
        }
    }
    for (int i = 0; i < kRerezedPaneCount; ++i) m_panes[i]->SetSelected(i == m_selected);
    Layout();
    return true;
}

void CRerezedView::Destroy() {
    if (!m_hWnd) return;
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    for (auto& pane : m_panes) pane->Destroy();
    if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
}

void CRerezedView::MoveTo(const RECT& rect) {
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

CRerezedPane* CRerezedView::Pane(long index) {
    return index >= 0 && index < kRerezedPaneCount ? m_panes[index].get() : nullptr;
}

bool CRerezedView::Select(long index) {
    if (index < -1 || index >= kRerezedPaneCount) return false;
    m_selected = index;
    for (int i = 0; i < kRerezedPaneCount; ++i) m_panes[i]->SetSelected(i == index);
    if (m_maxMode) Layout();
    return true;
}

void CRerezedView::SelectByUser(int pane) {
    long old = m_selected;
    if (pane == old) return;
    Select(pane);
    VARIANT args[] = {LongArg(pane), LongArg(old), LongArg(0)};
    m_sink.FireEvent(RZ_EventSelectionChanged, args, 3);
}

void CRerezedView::SetMaxMode(bool on) {
    m_maxMode = on;
    Layout();
}

bool CRerezedView::SetBackImage(const wchar_t* path, int width, int height) {
    HBITMAP image = static_cast<HBITMAP>(::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!image) return false;
    for (auto& pane : m_panes) pane->SetBackImage(image, width, height);
    if (m_backImage) ::DeleteObject(m_backImage);
    m_backImage = image;
    return true;
}

void CRerezedView::Layout() {
    if (!m_hWnd) return;
    RECT c;
    ::GetClientRect(m_hWnd, &c);
    long shown = m_selected >= 0 ? m_selected : 0;
    int halfW = c.right / 2, halfH = c.bottom / 2;
    for (int i = 0; i < kRerezedPaneCount; ++i) {
        if (m_maxMode) {
            m_panes[i]->MoveTo(c, i == shown);
            continue;
        }
        int col = i % 2, row = i / 2;
        RECT r = {col ? halfW : 0, row ? halfH : 0, col ? c.right : halfW, row ? c.bottom : halfH};
        m_panes[i]->MoveTo(r, true);
    }
}

LRESULT CALLBACK CRerezedView::ViewProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* view = reinterpret_cast<CRerezedView*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (view && message == WM_SIZE && view->m_hWnd == hWnd) view->Layout();
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}
