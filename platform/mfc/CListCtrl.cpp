#include "CListCtrl.h"

namespace {

// Notes whether the list's own procedure sent a header double-click on to the
// parent. A thread hook sees every message sent inside this thread, so it
// catches the system's copy whatever route it took.
class ParentDeliveryWatch {
public:
    ParentDeliveryWatch(HWND parent, HWND header, UINT code)
        : m_parent(parent), m_header(header), m_code(code), m_previous(t_current) {
        t_current = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &ParentDeliveryWatch::Hook, nullptr, GetCurrentThreadId());
    }
    ~ParentDeliveryWatch() {
        if (m_hook) UnhookWindowsHookEx(m_hook);
        t_current = m_previous;
    }
    ParentDeliveryWatch(const ParentDeliveryWatch&) = delete;
    ParentDeliveryWatch& operator=(const ParentDeliveryWatch&) = delete;

    // False also when the hook could not be set: then the relay may double a
    // delivery, which beats losing the double-click.
    bool Delivered() const { return m_delivered; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && t_current) t_current->Observe(*reinterpret_cast<const CWPSTRUCT*>(lParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void Observe(const CWPSTRUCT& sent) {
        if (sent.message != WM_NOTIFY || sent.hwnd != m_parent || !sent.lParam) return;
        const NMHDR* header = reinterpret_cast<const NMHDR*>(sent.lParam);
        if (header->code == m_code && header->hwndFrom == m_header) m_delivered = true;
    }

    HWND m_parent;
    HWND m_header;
    UINT m_code;
    ParentDeliveryWatch* m_previous;
    HHOOK m_hook = nullptr;
    bool m_delivered = false;
    static thread_local ParentDeliveryWatch* t_current;
};

thread_local ParentDeliveryWatch* ParentDeliveryWatch::t_current = nullptr;

}  // namespace

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_LISTVIEWW, nullptr, style, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width, int subItem) {
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT | LVCF_FMT;
    info.fmt = format;
    info.pszText = const_cast<LPWSTR>(heading);
    if (width != -1) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem != -1) {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return ListView_InsertColumn(m_hWnd, column, &info);
}

int CListCtrl::InsertItem(UINT mask, int index, LPCWSTR text, UINT state, UINT stateMask, int image, LPARAM param) {
    LVITEMW item = {};
    item.mask = mask;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>(text);
    item.state = state;
    item.stateMask = stateMask;
    item.iImage = image;
    item.lParam = param;
    return ListView_InsertItem(m_hWnd, &item);
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    // The control reports how much it copied, not how long the text is:
    // grow until the text no longer fills the buffer.
    CString text;
    for (int size = 256;; size *= 2) {
        LVITEMW info = {};
        info.iSubItem = subItem;
        info.cchTextMax = size;
        info.pszText = text.GetBuffer(size);
        int n = static_cast<int>(
            ::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
        text.ReleaseBuffer(n);
        if (n < size - 1) return text;
    }
}

int CListCtrl::GetItemText(int item, int subItem, LPWSTR buffer, int length) const {
    LVITEMW info = {};
    info.iSubItem = subItem;
    info.cchTextMax = length;
    info.pszText = buffer;
    return static_cast<int>(
        ::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text) {
    LVITEMW info = {};
    info.iSubItem = subItem;
    info.pszText = const_cast<LPWSTR>(text);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    LVITEMW info = {};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    return ListView_GetItem(m_hWnd, &info) ? static_cast<DWORD_PTR>(info.lParam) : 0;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
    LVITEMW info = {};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    info.lParam = static_cast<LPARAM>(data);
    return ListView_SetItem(m_hWnd, &info);
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW info = {};
    info.state = state;
    info.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    int first = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED);
    return reinterpret_cast<POSITION>(static_cast<INT_PTR>(first + 1));
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
    int current = static_cast<int>(reinterpret_cast<INT_PTR>(pos)) - 1;
    int next = ListView_GetNextItem(m_hWnd, current, LVNI_SELECTED);
    pos = reinterpret_cast<POSITION>(static_cast<INT_PTR>(next + 1));
    return current;
}

int CListCtrl::HitTest(POINT p, UINT* flags) const {
    LVHITTESTINFO info = {};
    info.pt = p;
    int index = ListView_HitTest(m_hWnd, &info);
    if (flags) *flags = info.flags;
    return index;
}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, result);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (result) *result = TRUE;
    return TRUE;
}

LRESULT CListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsHeaderDoubleClick(message, lParam)) return CWnd::WindowProc(message, wParam, lParam);
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;  // a derived list took it itself
    return PassOnHeaderDoubleClick(wParam, lParam);
}

bool CListCtrl::IsHeaderDoubleClick(UINT message, LPARAM lParam) const {
    if (message != WM_NOTIFY || !lParam) return false;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    return (header->code == HDN_ITEMDBLCLICKW || header->code == HDN_ITEMDBLCLICKA) &&
           header->hwndFrom == ListView_GetHeader(m_hWnd);
}

// Wine's list view keeps the header's double-click to itself, where the
// system's passes it to the parent: relay it only when the list's own
// procedure did not, so the parent sees it exactly once either way.
LRESULT CListCtrl::PassOnHeaderDoubleClick(WPARAM wParam, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    HWND parent = ::GetParent(m_hWnd);
    LRESULT result = 0;
    bool delivered = false;
    {
        ParentDeliveryWatch watch(parent, header->hwndFrom, header->code);
        result = DefWindowProc(WM_NOTIFY, wParam, lParam);
        delivered = watch.Delivered();
    }
    if (delivered || !parent) return result;
    return ::SendMessageW(parent, WM_NOTIFY, wParam, lParam);
}
