// CStyleMenu: a menu whose items are owner-drawn by the current draw style
// (CMenuTheme). It owns one CStyleMenuItemData per item, in position order,
// and the CStyleMenu objects of the sub-menus it created. The library's
// process-wide state lives in its static members; operations return BOOL.
// The class is split by behaviour over several files: CStyleMenu.cpp (life,
// themes, options, delete/remove/modify by position), CStyleMenuSearch.cpp
// (searches over the tree and over any menu, user values), CStyleMenuItems.cpp
// (append, insert, modify, titles, rebuild), CStyleMenuToolBars.cpp (icons
// from resources, toolbars and bitmaps), CStyleMenuMeasure.cpp (measuring),
// CStyleMenuDraw.cpp (popup items), CStyleMenuDrawBar.cpp (menu-bar items)
// and CStyleMenuTitle.cpp (titles).
#pragma once

#include <afxwin.h>
#include <afxcmn.h>
#include <afxtempl.h>

#include "CStyleMenuItemData.h"

class CMenuTheme;
class CStyleMenuIcons;

// The five item painters behind the twelve styles' draw routines.
enum MenuItemPainter { kDraw0, kDraw4, kDraw6, kDrawXP, kDraw2003 };

class CStyleMenu : public CMenu {
    DECLARE_DYNCREATE(CStyleMenu)
public:
    explicit CStyleMenu(HMENU parent = nullptr);
    ~CStyleMenu() override;

    // --- Windows menu life ---
    virtual void DrawItem(LPDRAWITEMSTRUCT dis) override;
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    virtual BOOL LoadMenu(UINT id);
    virtual BOOL LoadMenu(LPCTSTR name);
    // Takes over an existing menu: sub-menus get CStyleMenu objects, every
    // item becomes owner-drawn. FALSE when menu is no menu or is taken.
    virtual BOOL LoadFromHandle(HMENU menu);
    virtual BOOL DestroyMenu();
    virtual void DrawTitle(LPDRAWITEMSTRUCT dis, BOOL menuBar);
    virtual BOOL EraseBkgnd(HWND window, HDC dc);
    virtual void FinishLoad();
    virtual BOOL OnPopupClosed();

    // --- items (a position with MF_BYPOSITION, else a command id) ---
    BOOL AppendItem(LPCTSTR text, UINT flags, UINT_PTR id, CStyleMenuIcons* icons, int iconIndex);
    // Without an image list: the item has no icon.
    BOOL AppendItem(UINT flags, UINT_PTR id, LPCTSTR text, int iconIndex);
    BOOL AppendItem(LPCTSTR text, UINT flags, UINT_PTR id, CImageList* images, int index);
    BOOL InsertItem(UINT position, LPCTSTR text, UINT flags, UINT_PTR id, CStyleMenuIcons* icons, int iconIndex);
    BOOL InsertItem(UINT position, LPCTSTR text, UINT flags, UINT_PTR id, CImageList* images, int index);
    // A bitmap resource as the icon, from the first shared store taking it.
    BOOL AppendItem(LPCTSTR text, UINT flags, UINT_PTR id, UINT bitmapId);
    // The icon of id's button when resourceId is a toolbar holding id, else
    // the bitmap resource resourceId.
    BOOL InsertItem(UINT position, LPCTSTR text, UINT flags, UINT_PTR id, UINT resourceId);
    // Every item of command id in the tree; NULL text keeps the text. FALSE
    // (nothing added) when no menu of the tree holds the command.
    BOOL ModifyItem(LPCTSTR text, UINT id, CStyleMenuIcons* icons, int iconIndex);
    BOOL ModifyItem(LPCTSTR text, UINT id, CImageList* images, int index);
    BOOL ModifyItem(LPCTSTR text, UINT id, CBitmap* bitmap);
    BOOL ModifyItem(LPCTSTR text, UINT id, UINT resourceId);
    // The item titled oldText anywhere in the tree; a negative resourceId is
    // kept as the index with the store unchanged.
    BOOL ModifyItemByText(LPCTSTR newText, LPCTSTR oldText, int resourceId);
    BOOL SetIconColor(LPCTSTR text, UINT id, COLORREF fill, COLORREF border, int hatchStyle);
    // The icon index of an item by command, -1 when none or unknown.
    int GetItemIcon(UINT_PTR id);

    BOOL SetTitle(LPCTSTR text, DWORD titleFlags, CStyleMenuIcons* icons = nullptr, int iconIndex = -1);
    BOOL SetTitle(LPCTSTR text, DWORD titleFlags, CImageList* images, int index);
    // The title's icon from a bitmap resource, as AppendItem takes one.
    BOOL SetTitleBitmap(LPCTSTR text, DWORD titleFlags, UINT bitmapId);
    // The title's icon from a bitmap resource, or an icon resource in an icon menu.
    BOOL SetTitleResource(LPCTSTR text, DWORD titleFlags, UINT resourceId);
    CStyleMenuItemDataTitle* GetTitleData() const;
    BOOL SetTitleColors(COLORREF textColor, COLORREF gradientColor, COLORREF backColor);
    BOOL RemoveMenuTitle();

    CStyleMenu* AppendPopup(LPCTSTR text);
    BOOL ChangeItemId(UINT oldId, UINT newId);
    BOOL SetCheckImages(int normalId, int selectedId);
    // Icons of the toolbar resource for the items of its commands.
    BOOL LoadToolBar(UINT toolBarId, HINSTANCE module = nullptr);
    BOOL LoadToolBars(const UINT* ids, int count, HINSTANCE module = nullptr);
    // A toolbar resource's buttons drawn from another bitmap resource; flags
    // 0 a bitmap store, 1 an icon store (the bitmap's alpha channel kept),
    // -1 the menu's own kind.
    BOOL LoadToolBar(LPCTSTR resourceName, UINT bitmapId, int flags, HINSTANCE module = nullptr);
    // An in-memory description: bitmap id, width, height, command ids up to 0.
    BOOL LoadToolBarData(const WORD* data, int flags = -1);
    // Images cx x cy from a bitmap, one per command of ids (ended by 0); the
    // store of the same bitmap, size and commands is shared.
    BOOL LoadToolBar(HBITMAP bitmap, int cx, int cy, const UINT* ids, int flags = -1);
    // Makes the records match the Windows menu after outside changes.
    void Rebuild();

    BOOL DeleteMenu(UINT position, UINT flags);
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr);
    // The same with a bitmap for the Windows item where no record takes the
    // change; a record keeps its text.
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id, const CBitmap* bitmap);
    BOOL SetMenuText(UINT position, UINT flags, const CString& text);
    BOOL GetMenuText(UINT position, CString& text, UINT flags = MF_BYPOSITION);
    int FindItemByText(const CString& text) const;
    // Through the tree: the position and, in menu, the menu holding it.
    int FindItemByText(const CString& text, CStyleMenu** menu);
    // The sub-menu whose item text (with accelerator names) is text, through the tree.
    CStyleMenu* FindSubMenuByText(const CString& text);
    BOOL RemoveItemByText(const CString& text, int mode);

    // --- searches over the tree ---
    CStyleMenu* FindCommandMenu(UINT id, int* position);
    CStyleMenu* FindCommandMenu(UINT id, int* position, const CArray<CStyleMenu*, CStyleMenu*>& skipMenus,
                                const CArray<int, int>& skipPositions);
    CStyleMenuItemData* FindItemData(UINT_PTR id);
    CStyleMenuItemData* ItemDataAt(int position) const;
    int ItemDataCount() const { return static_cast<int>(m_items.GetSize()); }
    BOOL IsOwnItemData(const CStyleMenuItemData* data) const;
    // The menu that holds this popup as an item, as a CStyleMenu; NULL when none.
    CStyleMenu* GetParentStyleMenu() const;
    BOOL IsMenuBar(HMENU subMenu = nullptr) const;
    // Over any menu whose handle has a permanent object (sub-menus taken as
    // they come): the menu holding command id, and the one holding it with
    // item data data; NULL (position -1) when none.
    static CMenu* FindMenuOfCommand(HMENU menu, UINT id, int* position = nullptr);
    static CMenu* FindMenuOfCommandData(HMENU menu, UINT id, ULONG_PTR data, int* position = nullptr);

    // The caller's value of an item (MF_BYPOSITION or by command through the
    // tree): -1 when there is no such item; setting it FALSE then.
    DWORD GetItemUserValue(UINT item, UINT flags = MF_BYCOMMAND);
    BOOL SetItemUserValue(UINT item, DWORD value, UINT flags = MF_BYCOMMAND);

    // --- popup initialisation (every WM_INITMENUPOPUP route) ---
    static BOOL InitPopupMenu(HWND owner, CMenu* popup);
    // WM_MENUCHAR: the item whose text has "&" + ch; 0 when none or when menu
    // is no CStyleMenu.
    static LRESULT FindMenuChar(UINT ch, UINT flags, CMenu* menu);

    // --- accessors ---
    void GetIconSize(int* cx, int* cy) const {
        *cx = m_iconWidth;
        *cy = m_iconHeight;
    }
    void SetIconSize(int cx, int cy) {
        m_iconWidth = cx;
        m_iconHeight = cy;
    }
    HWND GetOwnerWindow() const { return m_owner; }
    COLORREF GetBitmapBackground() const;
    // The store and image of a toolbar button or bitmap resource (an icon
    // resource in an icon menu); FALSE when neither loads.
    BOOL IconFromResource(UINT id, UINT resourceId, CStyleMenuIcons** store, int* index);
    // The bitmap resource, or in an icon menu the icon resource, in a shared
    // bitmap store; FALSE when it does not load or fits no store.
    BOOL ResourceImage(UINT resourceId, CStyleMenuIcons** store, int* index);
    // An icon menu takes its resource images (and check marks) as icons and
    // its toolbars into icon stores; its sub-menus follow it.
    BOOL IsIconMenu() const { return m_iconMenu; }
    BOOL SetIconMenu(BOOL on);
    void ApplyStore(CStyleMenuIcons* store);
    COLORREF SetBitmapBackground(COLORREF color);
    BOOL IsPopup() const { return m_popup; }
    BOOL SetPopup(BOOL popup);
    HMENU GetParentMenu() const { return m_parent; }
    void SetParentMenu(HMENU parent) { m_parent = parent; }
    HACCEL GetAccelerators() const { return m_accel; }
    HACCEL SetAccelerators(HACCEL accel);
    // The accelerator table item texts are built with: none unless s_showAccelerators.
    HACCEL TextAccelerators() const { return s_showAccelerators ? m_accel : nullptr; }
    BOOL IsConverted() const { return m_converted; }
    int GetOpenPopups() const { return m_openPopups; }
    const RECT& GetMenuBarRect() const { return m_menuBarRect; }
    void SetMenuBarRect(const RECT& r) { m_menuBarRect = r; }
    // Menu background, icon column, selection fill, selection border, check
    // background; then the menu-bar colour.
    void SetColors(COLORREF back, COLORREF column, COLORREF selFill, COLORREF selBorder, COLORREF checkBack,
                   COLORREF menuBar);
    const COLORREF* GetColors() const { return m_colors; }
    // A plain value of the menu's own; nothing in the library reads it.
    int GetPlainValue() const { return m_plain; }
    BOOL GetPlainValue(int* value) const;
    BOOL SetPlainValue(int value);
    // The same, handing back the value it replaces.
    BOOL SetPlainValue(int value, int* previous);
    enum { kColorMenuBar, kColorBack, kColorColumn, kColorSelFill, kColorSelBorder, kColorCheckBack };
    int GetCheckImageId(BOOL selected) const { return selected ? m_checkSelectedId : m_checkNormalId; }
    CImageList* GetCheckImages() const { return m_checkImages; }

    // --- measuring and drawing routines the themes bind ---
    void MeasureItemStyle0(LPMEASUREITEMSTRUCT mis, BOOL menuBar);
    void MeasureItemStyle6(LPMEASUREITEMSTRUCT mis, BOOL menuBar);
    void MeasureItemXP(LPMEASUREITEMSTRUCT mis, BOOL menuBar);
    void DrawItemStyle0(LPDRAWITEMSTRUCT dis, BOOL menuBar);
    void DrawItemStyle4(LPDRAWITEMSTRUCT dis, BOOL menuBar);
    void DrawItemStyle6(LPDRAWITEMSTRUCT dis, BOOL menuBar);
    void DrawItemXP(LPDRAWITEMSTRUCT dis, BOOL menuBar);
    void DrawItem2003(LPDRAWITEMSTRUCT dis, BOOL menuBar);
    void DrawMenuTitle(LPDRAWITEMSTRUCT dis, BOOL menuBar);

    // --- library-wide state ---
    static int s_winVersion;
    static BOOL s_isRemoteSession, s_isWine, s_isHighContrast;
    static HMODULE s_hUxTheme;
    static BOOL(WINAPI* s_pfnIsThemeActive)();
    static HRESULT(WINAPI* s_pfnSetWindowTheme)(HWND, LPCWSTR, LPCWSTR);
    static HMODULE s_hMsimg32;
    static BOOL(WINAPI* s_pfnGradientFill)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    static CMenuTheme* s_pCurrentTheme;
    static CTypedPtrList<CPtrList, CMenuTheme*>* s_pThemeList;
    static CTypedPtrList<CPtrList, CStyleMenuIcons*>* s_pSharedIconStores;
    static HMENU s_hPendingMenu;
    static CStyleMenuItemData* s_pHotMenuBarItemData;
    static DWORD s_menuOptions;
    static BYTE s_menuAlpha;
    static BOOL s_drawAllMenus;
    static BOOL s_showAccelerators;
    static int s_iconShadowDarken;
    static int s_selectDisabledItems;
    static int s_useIconVariants;
    static LOGFONTW s_menuLogFont;
    static DWORD s_lastKeyDownPos;

    static BYTE SetMenuAlpha(BYTE alpha);
    static BOOL SetDrawAllMenus(BOOL on);
    static BOOL SetShowAccelerators(BOOL on);
    static int SetIconShadowDarken(int darken);
    static int SetSelectDisabledItems(int on);
    static int SetUseIconVariants(int on);
    // The library's font description (s_menuLogFont), copied whole.
    static void GetLibraryLogFont(LOGFONTW* font);
    static void SetLibraryLogFont(const LOGFONTW& font);
    // Taken from a font object; FALSE when it has no font.
    static BOOL SetLibraryFont(CFont* font);

    // --- themes (registry owns them) ---
    static BOOL AddTheme(CMenuTheme* theme);
    static CMenuTheme* FindTheme(int styleId);
    static CMenuTheme* RemoveTheme(int styleId);
    // Previous style id, -1 when the id is unknown or no style was current.
    static int SetMenuDrawStyle(int styleId);
    static int GetMenuDrawStyle();

private:
    friend class CStyleMenuHook;
    CStyleMenuItemData* NewRecord(int position, LPCTSTR text, UINT flags, UINT_PTR id, CStyleMenuIcons* icons,
                                  int iconIndex, BOOL title = FALSE);
    void WidenIconSize(CStyleMenuIcons* icons);
    void AdoptSubMenu(UINT flags, UINT_PTR id);
    BOOL RemoveItem(UINT position, UINT flags, BOOL destroy);
    CStyleMenuItemData* TakeUnmarked(UINT_PTR id);
    void DeleteUnmarked();
    void ConvertPosition(int position, UINT flags, UINT_PTR id, const CString& text,
                         CTypedPtrArray<CPtrArray, CStyleMenuItemData*>& into);
    void RedrawMenuBarRect(CStyleMenu* bar) const;
    CString ItemText(int position) const;
    // A neighbour measured for a system command takes no neighbour itself.
    void MeasureCommon(LPMEASUREITEMSTRUCT mis, BOOL menuBar, int style, BOOL neighbour = FALSE);
    void MeasureTitle(LPMEASUREITEMSTRUCT mis, CStyleMenuItemDataTitle* title);
    void DrawItemCommon(LPDRAWITEMSTRUCT dis, BOOL menuBar, int routine);
    void DrawMenuBarItem(LPDRAWITEMSTRUCT dis, const CString& label, UINT state, UINT prefix, int routine);
    // The record of the Windows item at position, NULL when it has none.
    CStyleMenuItemData* RecordAtPosition(int position) const;
    // Removes and deletes one record (and forgets it as the hot item).
    void DeleteRecord(CStyleMenuItemData* data);
    BOOL ModifyByPosition(UINT position, UINT flags, UINT_PTR id, LPCTSTR text, const CBitmap* bitmap);
    // The bitmap resource in a shared bitmap store; NULL when it does not load.
    CStyleMenuIcons* BitmapResourceStore(UINT bitmapId, int* index);
    BOOL CopyImageToStore(CImageList* images, int index, UINT id, CStyleMenuIcons** store, int* storeIndex);

    CTypedPtrArray<CPtrArray, CStyleMenuItemData*> m_items;
    CArray<CStyleMenu*, CStyleMenu*> m_subMenus;
    int m_iconWidth = 16;
    int m_iconHeight = 15;
    HWND m_owner = nullptr;
    COLORREF m_bitmapBackground = 0xFF000000;
    CImageList* m_checkImages = nullptr;
    int m_checkSelectedId = -1;
    int m_checkNormalId = -1;
    BOOL m_iconMenu = FALSE;
    HMENU m_parent;
    BOOL m_popup = TRUE;
    RECT m_menuBarRect = {0, 0, 0, 0};
    int m_openPopups = 0;
    int m_plain = 0;
    HACCEL m_accel = reinterpret_cast<HACCEL>(static_cast<INT_PTR>(-1));
    COLORREF m_colors[6] = {0x000000, 0x323232, 0x282828, 0xC54B07, 0x646464, 0xC0C0C0};
    BOOL m_converted = FALSE;
};

// Windows version class: 0 Win32s, 1 NT 3.x, 2 95, 3 98, 4 Me, 5 NT 4, 6 2000, 7 XP or later.
int GetWindowsVersionClass();
BOOL IsThemeActiveSafe();
// A timer id from 31 to 99 that SetTimer accepts for window; 0 when none.
UINT SetFreeTimer(HWND window, UINT ms);
BOOL IsSystemDropShadow();
// The menu font (lfMenuFont of the non-client metrics, record of 500 bytes).
LOGFONTW GetMenuLogFont();
