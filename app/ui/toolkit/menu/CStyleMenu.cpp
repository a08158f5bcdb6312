#include "CStyleMenu.h"

#include "CMenuTheme.h"
#include "CStyleMenuIcons.h"
#include "common/UniqueGdi.h"

IMPLEMENT_DYNCREATE(CStyleMenu, CMenu)

// s_winVersion is defined with the start-up object (CStyleMenuHook.cpp),
// whose construction needs it first.
BOOL CStyleMenu::s_isRemoteSession = FALSE;
BOOL CStyleMenu::s_isWine = FALSE;
BOOL CStyleMenu::s_isHighContrast = FALSE;
HMODULE CStyleMenu::s_hUxTheme = nullptr;
BOOL(WINAPI* CStyleMenu::s_pfnIsThemeActive)() = nullptr;
HRESULT(WINAPI* CStyleMenu::s_pfnSetWindowTheme)(HWND, LPCWSTR, LPCWSTR) = nullptr;
HMODULE CStyleMenu::s_hMsimg32 = nullptr;
BOOL(WINAPI* CStyleMenu::s_pfnGradientFill)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG) = nullptr;
CMenuTheme* CStyleMenu::s_pCurrentTheme = nullptr;
CTypedPtrList<CPtrList, CMenuTheme*>* CStyleMenu::s_pThemeList = nullptr;
CTypedPtrList<CPtrList, CStyleMenuIcons*>* CStyleMenu::s_pSharedIconStores = nullptr;
HMENU CStyleMenu::s_hPendingMenu = nullptr;
CStyleMenuItemData* CStyleMenu::s_pHotMenuBarItemData = nullptr;
DWORD CStyleMenu::s_menuOptions = 0;
BYTE CStyleMenu::s_menuAlpha = 255;
BOOL CStyleMenu::s_drawAllMenus = TRUE;
BOOL CStyleMenu::s_showAccelerators = TRUE;
int CStyleMenu::s_iconShadowDarken = 50;
int CStyleMenu::s_selectDisabledItems = 1;
int CStyleMenu::s_useIconVariants = 1;
LOGFONTW CStyleMenu::s_menuLogFont = {16, 0, 0, 0, 700, 0, 0, 0, 1, 0, 0, 0, 0, L"Arial"};
DWORD CStyleMenu::s_lastKeyDownPos = 0;

namespace {

const UINT kSysCommandsXP[3][2] = {{0xF020, 0xF021}, {0xF120, 0xF121}, {0xF060, 0xF061}};

template <class T>
T Exchange(T& slot, T value) {
    T old = slot;
    slot = value;
    return old;
}

}  // namespace

// --- library functions ---

int GetWindowsVersionClass() {
    DWORD version = GetVersion();
    DWORD major = LOBYTE(LOWORD(version));
    if (version & 0x80000000) {
        if (major < 4) return 0;
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof info;
        GetVersionExW(&info);
        if (info.dwMajorVersion == 4 && info.dwMinorVersion == 10) return 3;
        if (info.dwMajorVersion == 4 && info.dwMinorVersion == 90) return 4;
        return 2;
    }
    DWORD minor = HIBYTE(LOWORD(version));
    if (major == 4) return 5;
    if (major == 5 && minor == 0) return 6;
    if (major < 5) return 1;
    return 7;
}

BOOL IsThemeActiveSafe() { return CStyleMenu::s_pfnIsThemeActive ? CStyleMenu::s_pfnIsThemeActive() : FALSE; }

UINT SetFreeTimer(HWND window, UINT ms) {
    if (!IsWindow(window)) return 0;
    for (UINT id = 31; id <= 99; ++id)
        if (SetTimer(window, id, ms, nullptr)) return id;
    return 0;
}

BOOL IsSystemDropShadow() {
    BOOL on = FALSE;
    return SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &on, 0) && on;
}

LOGFONTW GetMenuLogFont() {
    // The record size older systems accept; newer headers' sizeof is larger.
    struct Metrics {
        NONCLIENTMETRICSW m;
        BYTE room[16];
    } metrics = {};
    metrics.m.cbSize = 500;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics.m, 0)) return metrics.m.lfMenuFont;
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    return lf;
}

// --- options ---

BYTE CStyleMenu::SetMenuAlpha(BYTE alpha) { return Exchange(s_menuAlpha, alpha); }
BOOL CStyleMenu::SetDrawAllMenus(BOOL on) { return Exchange(s_drawAllMenus, on); }
BOOL CStyleMenu::SetShowAccelerators(BOOL on) { return Exchange(s_showAccelerators, on); }
int CStyleMenu::SetIconShadowDarken(int darken) { return Exchange(s_iconShadowDarken, darken); }
int CStyleMenu::SetSelectDisabledItems(int on) { return Exchange(s_selectDisabledItems, on); }
int CStyleMenu::SetUseIconVariants(int on) { return Exchange(s_useIconVariants, on); }

void CStyleMenu::GetLibraryLogFont(LOGFONTW* font) { *font = s_menuLogFont; }
void CStyleMenu::SetLibraryLogFont(const LOGFONTW& font) { s_menuLogFont = font; }

BOOL CStyleMenu::SetLibraryFont(CFont* font) {
    LOGFONTW lf;
    if (!font || !font->GetSafeHandle() || ::GetObjectW(font->GetSafeHandle(), sizeof lf, &lf) != sizeof lf)
        return FALSE;
    s_menuLogFont = lf;
    return TRUE;
}

// --- themes ---

BOOL CStyleMenu::AddTheme(CMenuTheme* theme) {
    if (!s_pThemeList) s_pThemeList = new CTypedPtrList<CPtrList, CMenuTheme*>(10);
    if (s_pThemeList->Find(theme)) return FALSE;
    s_pThemeList->AddTail(theme);
    return TRUE;
}

CMenuTheme* CStyleMenu::FindTheme(int styleId) {
    if (!s_pThemeList) return nullptr;
    POSITION pos = s_pThemeList->GetHeadPosition();
    while (pos) {
        CMenuTheme* theme = s_pThemeList->GetNext(pos);
        if (theme->styleId == styleId) return theme;
    }
    return nullptr;
}

CMenuTheme* CStyleMenu::RemoveTheme(int styleId) {
    if (!s_pThemeList) return nullptr;
    POSITION pos = s_pThemeList->GetHeadPosition();
    while (pos) {
        POSITION at = pos;
        CMenuTheme* theme = s_pThemeList->GetNext(pos);
        if (theme->styleId != styleId) continue;
        s_pThemeList->RemoveAt(at);
        if (s_pCurrentTheme == theme) s_pCurrentTheme = nullptr;
        if (s_pThemeList->IsEmpty()) {
            delete s_pThemeList;
            s_pThemeList = nullptr;
        }
        return theme;
    }
    return nullptr;
}

int CStyleMenu::SetMenuDrawStyle(int styleId) {
    if (s_isWine && styleId % 2 == 0) ++styleId;
    CMenuTheme* theme = FindTheme(styleId);
    // A theme without routines would be called through null pointers.
    if (!theme || !theme->HasRoutines()) return -1;
    CMenuTheme* previous = Exchange(s_pCurrentTheme, theme);
    return previous ? previous->styleId : -1;
}

int CStyleMenu::GetMenuDrawStyle() { return s_pCurrentTheme ? s_pCurrentTheme->styleId : -1; }

// --- life ---

CStyleMenu::CStyleMenu(HMENU parent) : m_parent(parent) {}

CStyleMenu::~CStyleMenu() { DestroyMenu(); }

BOOL CStyleMenu::DestroyMenu() {
    for (INT_PTR i = m_subMenus.GetSize() - 1; i >= 0; --i) {
        delete m_subMenus[i];
    }
    m_subMenus.RemoveAll();
    for (INT_PTR i = m_items.GetSize() - 1; i >= 0; --i) {
        if (s_pHotMenuBarItemData == m_items[i]) s_pHotMenuBarItemData = nullptr;
        delete m_items[i];
    }
    m_items.RemoveAll();
    delete m_checkImages;
    m_checkImages = nullptr;
    return CMenu::DestroyMenu();
}

BOOL CStyleMenu::LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEW(id)); }

BOOL CStyleMenu::LoadMenu(LPCTSTR name) {
    CUniqueMenu menu(::LoadMenuW(AfxGetResourceHandle(), name));
    if (!menu) return FALSE;
    // A menu loaded from a resource is a menu bar unless something holds it.
    if (!m_parent) m_popup = FALSE;
    if (!LoadFromHandle(menu.Get())) return FALSE;
    menu.Release();  // this object owns it now
    return TRUE;
}

BOOL CStyleMenu::LoadFromHandle(HMENU menu) {
    if (!::IsMenu(menu)) return FALSE;
    m_converted = FALSE;
    if (!Attach(menu)) return FALSE;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (!sub) continue;
        CStyleMenu* child = new CStyleMenu(m_hMenu);
        child->m_iconMenu = m_iconMenu;
        m_subMenus.Add(child);
        child->LoadFromHandle(sub);
        child->m_converted = TRUE;
    }
    Rebuild();
    return TRUE;
}

void CStyleMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
    BOOL menuBar = !m_parent && !m_popup;
    if (menuBar && s_pHotMenuBarItemData == reinterpret_cast<CStyleMenuItemData*>(dis->itemData) &&
        !(dis->itemState & ODS_HOTLIGHT))
        s_pHotMenuBarItemData = nullptr;
    if (s_pCurrentTheme && s_pCurrentTheme->draw) (this->*(s_pCurrentTheme->draw))(dis, menuBar);
}

void CStyleMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (!s_pCurrentTheme || !s_pCurrentTheme->measure) return;
    CStyleMenuItemData* data = reinterpret_cast<CStyleMenuItemData*>(mis->itemData);
    BOOL menuBar = IsMenuBar(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(mis->itemID)));
    CStyleMenu* parent = GetParentStyleMenu();
    CStyleMenu* measurer = (!menuBar && parent && !IsOwnItemData(data)) ? parent : this;
    (measurer->*(s_pCurrentTheme->measure))(mis, menuBar);
}

BOOL CStyleMenu::IsMenuBar(HMENU subMenu) const {
    if (subMenu) {
        for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
            if (m_items[i]->id == reinterpret_cast<UINT_PTR>(subMenu)) return !m_parent && !m_popup;
    }
    if (!m_parent) return !m_popup;
    CStyleMenu* parent = GetParentStyleMenu();
    return parent && parent->IsMenuBar();
}

CStyleMenu* CStyleMenu::GetParentStyleMenu() const {
    return DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(m_parent));
}

void CStyleMenu::DrawTitle(LPDRAWITEMSTRUCT dis, BOOL menuBar) {
    if (s_pCurrentTheme && s_pCurrentTheme->title) (this->*(s_pCurrentTheme->title))(dis, menuBar);
}

BOOL CStyleMenu::EraseBkgnd(HWND window, HDC dc) {
    RECT r;
    ::GetClientRect(window, &r);
    COLORREF old = ::SetBkColor(dc, GetMenuBackColor(nullptr));
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
    return TRUE;
}

void CStyleMenu::RedrawMenuBarRect(CStyleMenu* bar) const {
    RECT r = bar->m_menuBarRect;
    if (IsRectEmpty(&r) || !::IsWindow(m_owner)) return;
    r.right += 10;
    r.bottom += 10;
    ::MapWindowPoints(nullptr, m_owner, reinterpret_cast<POINT*>(&r), 2);
    ::RedrawWindow(m_owner, &r, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

BOOL CStyleMenu::OnPopupClosed() {
    if (s_winVersion == 7) {
        BOOL last = FALSE;
        for (const auto& pair : kSysCommandsXP) last = ChangeItemId(pair[1], pair[0]);
        if (last && ::IsWindow(m_owner))
            ::SetWindowPos(m_owner, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }
    CStyleMenu* parent = GetParentStyleMenu();
    if (!parent) return FALSE;
    --parent->m_openPopups;
    if (parent->m_popup) return FALSE;
    parent->m_openPopups = 0;
    RedrawMenuBarRect(parent);
    return TRUE;
}

BOOL CStyleMenu::InitPopupMenu(HWND owner, CMenu* popup) {
    s_hPendingMenu = popup ? popup->m_hMenu : nullptr;
    CStyleMenu* menu = popup && ::IsMenu(popup->m_hMenu) ? DYNAMIC_DOWNCAST(CStyleMenu, popup) : nullptr;
    if (!menu) return FALSE;
    menu->m_owner = owner;
    menu->FinishLoad();
    CStyleMenu* parent = menu->GetParentStyleMenu();
    if (!parent) return FALSE;
    if (++parent->m_openPopups == 1 && parent->IsMenuBar()) menu->RedrawMenuBarRect(parent);
    return TRUE;
}

BOOL CStyleMenu::ChangeItemId(UINT oldId, UINT newId) {
    int position = -1;
    CStyleMenu* menu = FindCommandMenu(oldId, &position);
    if (!menu || position < 0) return FALSE;
    CStyleMenuItemData* data = menu->ItemDataAt(position);
    if (!data) return FALSE;
    data->id = newId;
    return ::ModifyMenuW(menu->m_hMenu, position, MF_BYPOSITION | MF_OWNERDRAW, newId, reinterpret_cast<LPCWSTR>(data));
}

void CStyleMenu::DeleteRecord(CStyleMenuItemData* data) {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
        if (m_items[i] != data) continue;
        m_items.RemoveAt(i);
        break;
    }
    if (s_pHotMenuBarItemData == data) s_pHotMenuBarItemData = nullptr;
    delete data;
}

BOOL CStyleMenu::RemoveItem(UINT position, UINT flags, BOOL destroy) {
    if (!(flags & MF_BYPOSITION)) {
        int at = -1;
        CStyleMenu* menu = FindCommandMenu(position, &at);
        if (!menu) return FALSE;
        return menu->RemoveItem(static_cast<UINT>(at), flags | MF_BYPOSITION, destroy);
    }
    int pos = static_cast<int>(position);
    HMENU sub = ::GetSubMenu(m_hMenu, pos);
    if (sub) {
        CStyleMenu* owned = nullptr;
        for (INT_PTR i = m_subMenus.GetSize() - 1; i >= 0; --i) {
            if (m_subMenus[i]->m_hMenu != sub) continue;
            owned = m_subMenus[i];
            m_subMenus.RemoveAt(i);
        }
        if (destroy && owned) {
            // The Windows menu goes with the item below; the object must not destroy it twice.
            owned->Detach();
            owned->DestroyMenu();
            delete owned;
        }
    }
    // Exactly the record of this item: others may carry the same command.
    CStyleMenuItemData* data = RecordAtPosition(pos);
    if (data) DeleteRecord(data);
    return destroy ? ::DeleteMenu(m_hMenu, position, MF_BYPOSITION) : ::RemoveMenu(m_hMenu, position, MF_BYPOSITION);
}

BOOL CStyleMenu::DeleteMenu(UINT position, UINT flags) { return RemoveItem(position, flags, TRUE); }

BOOL CStyleMenu::RemoveMenu(UINT position, UINT flags) { return RemoveItem(position, flags, FALSE); }

BOOL CStyleMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR id, LPCTSTR text) {
    return ModifyByPosition(position, flags, id, text, nullptr);
}

BOOL CStyleMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR id, const CBitmap* bitmap) {
    return ModifyByPosition(position, flags, id, nullptr, bitmap);
}

BOOL CStyleMenu::ModifyByPosition(UINT position, UINT flags, UINT_PTR id, LPCTSTR text, const CBitmap* bitmap) {
    if (!(flags & MF_BYPOSITION)) {
        int at = -1;
        CStyleMenu* menu = FindCommandMenu(position, &at);
        if (menu) return menu->ModifyByPosition(static_cast<UINT>(at), flags | MF_BYPOSITION, id, text, bitmap);
    }
    CStyleMenuItemData* data = (flags & MF_BYPOSITION) ? RecordAtPosition(static_cast<int>(position)) : nullptr;
    if (!data) {
        // No record takes it: the Windows item changes as a plain menu's would.
        if (!bitmap) return CMenu::ModifyMenu(position, flags, id, text);
        return ::ModifyMenuW(m_hMenu, position, flags | MF_BITMAP, id,
                             reinterpret_cast<LPCWSTR>(bitmap->GetSafeHandle()));
    }
    data->id = id;
    data->flags = (flags & ~(MF_BYPOSITION | MF_BITMAP)) | MF_OWNERDRAW;
    // MF_BITMAP and MF_OWNERDRAW make text a handle or a value, not a string.
    if (!bitmap && !(flags & (MF_BITMAP | MF_OWNERDRAW)) && text) data->SetString(text);
    AdoptSubMenu(flags, id);
    return ::ModifyMenuW(m_hMenu, position, (flags & ~(MF_BITMAP | MF_STRING)) | MF_BYPOSITION | MF_OWNERDRAW, id,
                         reinterpret_cast<LPCWSTR>(data));
}

BOOL CStyleMenu::SetMenuText(UINT position, UINT flags, const CString& text) {
    int at = static_cast<int>(position);
    CStyleMenu* menu = this;
    if (!(flags & MF_BYPOSITION)) {
        menu = FindCommandMenu(position, &at);
        if (!menu) return FALSE;
    }
    CStyleMenuItemData* data = menu->ItemDataAt(at);
    if (!data) return FALSE;
    UINT state = ::GetMenuState(menu->m_hMenu, at, MF_BYPOSITION) & ~(MF_SEPARATOR | MF_OWNERDRAW | MF_BITMAP);
    HMENU sub = ::GetSubMenu(menu->m_hMenu, at);
    UINT_PTR id = sub ? reinterpret_cast<UINT_PTR>(sub) : ::GetMenuItemID(menu->m_hMenu, at);
    if (sub) state = (state & 0xFF) | MF_POPUP;
    data->SetString(text);
    ::ModifyMenuW(menu->m_hMenu, at, state | MF_BYPOSITION | MF_STRING, id, text);
    return ::ModifyMenuW(menu->m_hMenu, at, state | MF_BYPOSITION | MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(data));
}

BOOL CStyleMenu::GetMenuText(UINT position, CString& text, UINT flags) {
    int at = static_cast<int>(position);
    CStyleMenu* menu = this;
    if (!(flags & MF_BYPOSITION)) {
        menu = FindCommandMenu(position, &at);
        if (!menu) return FALSE;
    }
    CStyleMenuItemData* data = menu->ItemDataAt(at);
    if (!data) return FALSE;
    text = data->GetString(TextAccelerators());
    return TRUE;
}

BOOL CStyleMenu::RemoveMenuTitle() {
    CStyleMenuItemDataTitle* title = GetTitleData();
    if (!title) return FALSE;
    CStyleMenuItemData* second = ItemDataAt(1);
    if (second && (second->flags & MF_MENUBREAK)) {
        second->flags &= ~MF_MENUBREAK;
        ::ModifyMenuW(m_hMenu, 1, second->flags | MF_BYPOSITION, second->id, reinterpret_cast<LPCWSTR>(second));
    }
    delete title;
    m_items.RemoveAt(0);
    ::RemoveMenu(m_hMenu, 0, MF_BYPOSITION);
    return TRUE;
}

CStyleMenuItemDataTitle* CStyleMenu::GetTitleData() const {
    CStyleMenuItemData* first = ItemDataAt(0);
    return first ? DYNAMIC_DOWNCAST(CStyleMenuItemDataTitle, first) : nullptr;
}

BOOL CStyleMenu::SetTitleColors(COLORREF textColor, COLORREF gradientColor, COLORREF backColor) {
    CStyleMenuItemDataTitle* title = GetTitleData();
    if (!title) return FALSE;
    title->textColor = textColor;
    title->gradientColor = gradientColor;
    title->backColor = backColor;
    return TRUE;
}

COLORREF CStyleMenu::GetBitmapBackground() const {
    return m_bitmapBackground == 0xFF000000 ? ::GetSysColor(COLOR_BTNFACE) : m_bitmapBackground;
}

COLORREF CStyleMenu::SetBitmapBackground(COLORREF color) { return Exchange(m_bitmapBackground, color); }
BOOL CStyleMenu::SetPopup(BOOL popup) { return Exchange(m_popup, popup); }
HACCEL CStyleMenu::SetAccelerators(HACCEL accel) { return Exchange(m_accel, accel); }

BOOL CStyleMenu::GetPlainValue(int* value) const {
    if (!value) return FALSE;
    *value = m_plain;
    return TRUE;
}

BOOL CStyleMenu::SetPlainValue(int value) {
    m_plain = value;
    return TRUE;
}

BOOL CStyleMenu::SetPlainValue(int value, int* previous) {
    *previous = Exchange(m_plain, value);
    return TRUE;
}

void CStyleMenu::SetColors(COLORREF back, COLORREF column, COLORREF selFill, COLORREF selBorder, COLORREF checkBack,
                           COLORREF menuBar) {
    m_colors[kColorBack] = back;
    m_colors[kColorColumn] = column;
    m_colors[kColorSelFill] = selFill;
    m_colors[kColorSelBorder] = selBorder;
    m_colors[kColorCheckBack] = checkBack;
    m_colors[kColorMenuBar] = menuBar;
}

CStyleMenuItemData* CStyleMenu::TakeUnmarked(UINT_PTR id) {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
        CStyleMenuItemData* data = m_items[i];
        if (data->id == id && !data->syncMark) {
            data->syncMark = TRUE;
            return data;
        }
    }
    return nullptr;
}

void CStyleMenu::DeleteUnmarked() {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        if (!m_items[i]->syncMark) {
            if (s_pHotMenuBarItemData == m_items[i]) s_pHotMenuBarItemData = nullptr;
            delete m_items[i];
            m_items[i] = nullptr;
        }
}
