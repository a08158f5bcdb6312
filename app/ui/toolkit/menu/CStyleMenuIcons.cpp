#include "CStyleMenuIcons.h"

#include "CMenuTheme.h"
#include "CStyleMenu.h"
#include "MenuColors.h"
#include "common/UniqueGdi.h"

#include <functional>
#include <vector>

IMPLEMENT_DYNAMIC(CStyleMenuIcons, CObject)
IMPLEMENT_DYNAMIC(CStyleMenuBitmaps, CStyleMenuIcons)

namespace {

const LPCWSTR kToolBarType = MAKEINTRESOURCEW(241);

typedef std::function<COLORREF(COLORREF)> PixelMap;

BITMAPINFO Info32(int w, int h) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

// The two bitmaps GetIconInfo hands its caller, given back together.
struct IconParts {
    explicit IconParts(const ICONINFO& parts) : colour(parts.hbmColor), mask(parts.hbmMask) {}
    CUniqueBitmap colour;
    CUniqueBitmap mask;
};

// Rewrites every pixel of a bitmap through map; the new bitmap (a 32-bpp
// DIB section), NULL when the source cannot be read.
HBITMAP MapBitmap(HBITMAP source, const PixelMap& map, COLORREF* first = nullptr) {
    BITMAP b;
    if (!source || !GetObjectW(source, sizeof b, &b)) return nullptr;
    BITMAPINFO info = Info32(b.bmWidth, b.bmHeight);
    std::vector<DWORD> bits(static_cast<size_t>(b.bmWidth) * b.bmHeight);
    HDC screen = GetDC(nullptr);
    int got = GetDIBits(screen, source, 0, b.bmHeight, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (got != b.bmHeight) return nullptr;
    for (DWORD& p : bits) {
        COLORREF c = map(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        p = (static_cast<DWORD>(GetRValue(c)) << 16) | (static_cast<DWORD>(GetGValue(c)) << 8) | GetBValue(c);
    }
    if (first && !bits.empty()) *first = RGB((bits[0] >> 16) & 0xFF, (bits[0] >> 8) & 0xFF, bits[0] & 0xFF);
    void* out = nullptr;
    HBITMAP result = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &out, nullptr, 0);
    if (result) memcpy(out, bits.data(), bits.size() * sizeof(DWORD));
    return result;
}

// The icon with its colours mapped, same mask; NULL on failure.
HICON MapIcon(HICON icon, const PixelMap& map) {
    ICONINFO parts = {};
    if (!icon || !GetIconInfo(icon, &parts)) return nullptr;
    const IconParts owned(parts);
    CUniqueBitmap colour(MapBitmap(parts.hbmColor, map));
    if (!colour) return nullptr;
    ICONINFO made = parts;
    made.hbmColor = colour.Get();
    return CreateIconIndirect(&made);
}

int PutIcon(CImageList& list, HICON icon, int index) {
    const CUniqueIcon owned(icon);  // the list keeps its own copy
    if (!owned) return -1;
    return index < 0 ? list.Add(icon) : list.Replace(index, icon);
}

COLORREF DisabledTint() {
    int style = CStyleMenu::GetMenuDrawStyle();
    if (style == 2 || style == 3) return LightenColor(115, GetDefaultMenuColor());
    if (style >= 8 && style <= 11) return LightenColor(115, GetThemeBarColor());
    return LightenColor(115, GetMenuBarColor(nullptr));
}

COLORREF TintPixel(COLORREF c, int alpha, COLORREF colour) {
    int grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
    auto mix = [&](int channel) { return (alpha * grey + (255 - alpha) * channel) / 256; };
    return RGB(mix(GetRValue(colour)), mix(GetGValue(colour)), mix(GetBValue(colour)));
}

BOOL SameIds(const CArray<UINT, UINT>& stored, const UINT* ids) {
    if (!ids) return stored.GetSize() == 0;
    INT_PTR i = 0;
    for (; ids[i]; ++i)
        if (i >= stored.GetSize() || stored[i] != ids[i]) return FALSE;
    return i == stored.GetSize();
}

// A 32-bpp bitmap becomes a 24-bpp copy of itself, without its alpha channel.
void DropAlpha(CBitmap& bitmap) {
    BITMAP b;
    if (!GetObjectW(bitmap.GetSafeHandle(), sizeof b, &b) || b.bmBitsPixel != 32) return;
    BITMAPINFO info = Info32(b.bmWidth, b.bmHeight);
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    CUniqueBitmap opaque(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!opaque) return;
    {
        CUniqueMemoryDC from(CreateCompatibleDC(nullptr));
        CUniqueMemoryDC to(CreateCompatibleDC(nullptr));
        CDcSelection useSource(from.Get(), bitmap.GetSafeHandle());
        CDcSelection useCopy(to.Get(), opaque.Get());
        BitBlt(to.Get(), 0, 0, b.bmWidth, b.bmHeight, from.Get(), 0, 0, SRCCOPY);
    }
    bitmap.DeleteObject();
    bitmap.Attach(opaque.Release());
}

HINSTANCE ResourceModule(HINSTANCE module) { return module ? module : AfxGetResourceHandle(); }

DWORD g_lastRefresh = 0;
BOOL g_refreshed = FALSE;

}  // namespace

CStyleMenuIcons::~CStyleMenuIcons() { SetResourceName(nullptr); }

void CStyleMenuIcons::SetResourceName(LPCTSTR name) {
    if (m_name && !IS_INTRESOURCE(m_name)) delete[] const_cast<wchar_t*>(m_name);
    m_name = nullptr;
    if (!name || IS_INTRESOURCE(name)) {
        m_name = name;
        return;
    }
    size_t length = wcslen(name) + 1;
    wchar_t* copy = new wchar_t[length];
    memcpy(copy, name, length * sizeof(wchar_t));
    m_name = copy;
}

BOOL CStyleMenuIcons::GetIconSize(int* cx, int* cy) const {
    if (!m_images.GetSafeHandle()) return FALSE;
    return m_images.GetIconSize(cx, cy);
}

CSize CStyleMenuIcons::GetIconSize() const {
    int cx = 0, cy = 0;
    if (!GetIconSize(&cx, &cy)) return CSize(0, 0);
    return CSize(cx, cy);
}

int CStyleMenuIcons::FindCommand(UINT id) const {
    for (INT_PTR i = m_ids.GetSize() - 1; i >= 0; --i)
        if (m_ids[i] == id) return static_cast<int>(i * 3);
    return -1;
}

BOOL CStyleMenuIcons::CommandAt(int i, UINT* id, int* index) const {
    if (i < 0 || i >= m_ids.GetSize()) return FALSE;
    *id = m_ids[i];
    *index = i * 3;
    return TRUE;
}

BOOL CStyleMenuIcons::CreateList(int cx, int cy) {
    m_images.DeleteImageList();
    return m_images.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 0, 10);
}

BOOL CStyleMenuIcons::LoadBitmapResource(int cx, int cy, LPCTSTR name, HINSTANCE module) {
    int colours = 0;
    HBITMAP loaded =
        m_iconImages ? LoadAlphaBitmapResource(name, module, &colours) : LoadBitmapResourceEx(name, module, &colours);
    if (!loaded) return FALSE;
    m_colorCount = colours;
    CBitmap bitmap;
    bitmap.Attach(loaded);
    return CreateList(cx, cy) && AddSourceBitmap(bitmap);
}

BOOL CStyleMenuIcons::AddSourceBitmap(CBitmap& bitmap) {
    if (m_iconImages) return m_images.Add(&bitmap, static_cast<CBitmap*>(nullptr)) >= 0;
    // An alpha channel would outweigh the mask colour in the image list.
    DropAlpha(bitmap);
    COLORREF mask = m_mask == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_BTNFACE) : m_mask;
    return m_images.Add(&bitmap, mask) >= 0;
}

int CStyleMenuIcons::AddShadowImage(HICON icon, int index) {
    int darken = CStyleMenu::s_iconShadowDarken;
    return PutIcon(m_images, MapIcon(icon, [darken](COLORREF c) { return DarkenColor(darken, c); }), index);
}

int CStyleMenuIcons::AddDisabledImage(HICON icon, int index) {
    COLORREF tint = DisabledTint();
    return PutIcon(m_images, MapIcon(icon, [tint](COLORREF c) { return TintPixel(c, 110, tint); }), index);
}

BOOL CStyleMenuIcons::RebuildImages() {
    int n = ImageCount();
    if (!n) return FALSE;
    CImageList old;
    old.Attach(m_images.Detach());
    int cx = 0, cy = 0;
    old.GetIconSize(&cx, &cy);
    if (!CreateList(cx, cy)) return FALSE;
    for (int i = 0; i < n; ++i) {
        const CUniqueIcon icon(old.ExtractIcon(i));
        m_images.Add(icon.Get());
        AddShadowImage(icon.Get(), -1);
        AddDisabledImage(icon.Get(), -1);
    }
    return TRUE;
}

void CStyleMenuIcons::RegenerateDerived(int source) {
    const CUniqueIcon icon(m_images.ExtractIcon(source));
    if (!icon) return;
    AddShadowImage(icon.Get(), source + 1);
    AddDisabledImage(icon.Get(), source + 2);
}

BOOL CStyleMenuIcons::LoadToolBar(LPCTSTR name, HINSTANCE module) {
    SetResourceName(name);
    m_module = module;
    HINSTANCE where = ResourceModule(module);
    HRSRC found = FindResourceW(where, name, kToolBarType);
    if (!found && where != AfxGetResourceHandle()) {
        where = AfxGetResourceHandle();
        found = FindResourceW(where, name, kToolBarType);
    }
    if (!found) return FALSE;
    HGLOBAL handle = LoadResource(where, found);
    const WORD* data = static_cast<const WORD*>(LockResource(handle));
    if (!data) return FALSE;
    BOOL result = FALSE;
    if (LoadBitmapResource(data[1], data[2], name, module)) {
        m_ids.RemoveAll();
        for (WORD i = 0; i < data[3]; ++i)
            if (data[4 + i]) m_ids.Add(data[4 + i]);
        result = m_ids.GetSize() > 0;
    }
    RebuildImages();
    return result;
}

BOOL CStyleMenuIcons::LoadFromToolBarData(const WORD* data, COLORREF mask) {
    m_mask = mask;
    if (!LoadBitmapResource(data[1], data[2], MAKEINTRESOURCEW(data[0]), nullptr)) return FALSE;
    SetResourceName(MAKEINTRESOURCEW(data[0]));
    m_ids.RemoveAll();
    for (const WORD* id = data + 3; *id; ++id) m_ids.Add(*id);
    RebuildImages();
    return m_ids.GetSize() > 0;
}

BOOL CStyleMenuIcons::LoadFromBitmap(HBITMAP bitmap, int cx, int cy, const UINT* ids, COLORREF mask) {
    m_colorCount = 0;
    BITMAP b;
    if (!bitmap || !GetObjectW(bitmap, sizeof b, &b)) return FALSE;
    m_mask = mask;
    m_sourceBitmap = bitmap;
    if (!CreateList(cx, cy)) return FALSE;
    // A copy: the caller keeps and may delete its bitmap.
    CBitmap copy;
    copy.Attach(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, m_iconImages ? LR_CREATEDIBSECTION : 0));
    if (!AddSourceBitmap(copy)) return FALSE;
    m_ids.RemoveAll();
    for (const UINT* id = ids; id && *id; ++id) m_ids.Add(*id);
    RebuildImages();
    return m_ids.GetSize() > 0;
}

BOOL CStyleMenuIcons::MatchesResource(LPCTSTR name, HINSTANCE module) const {
    if (m_module != module || !name || !m_name) return FALSE;
    if (IS_INTRESOURCE(name) || IS_INTRESOURCE(m_name)) return name == m_name;
    return wcscmp(name, m_name) == 0;
}

BOOL CStyleMenuIcons::MatchesToolBarData(const WORD* data, COLORREF mask) const {
    if (m_mask != mask || !data[0] || !IS_INTRESOURCE(m_name) || m_name != MAKEINTRESOURCEW(data[0])) return FALSE;
    INT_PTR i = 0;
    for (; data[3 + i]; ++i)
        if (i >= m_ids.GetSize() || m_ids[i] != data[3 + i]) return FALSE;
    return i == m_ids.GetSize();
}

BOOL CStyleMenuIcons::MatchesBitmap(HBITMAP bitmap, int cx, int cy, const UINT* ids) const {
    CSize size = GetIconSize();
    return bitmap && bitmap == m_sourceBitmap && size.cx == cx && size.cy == cy && SameIds(m_ids, ids);
}

void CStyleMenuIcons::OnSysColorChange() {
    if (!m_name || !m_images.GetSafeHandle()) return;
    CSize size = GetIconSize();
    if (LoadBitmapResource(size.cx, size.cy, m_name, m_module)) RebuildImages();
}

int CStyleMenuBitmaps::AddBitmap(HBITMAP bitmap, COLORREF mask) {
    BITMAP b;
    if (!bitmap || !GetObjectW(bitmap, sizeof b, &b) || !TakesSize(b.bmWidth, b.bmHeight)) return -1;
    CBitmap copy;
    copy.Attach(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
    return AddSource(m_images.Add(&copy, mask), mask);
}

int CStyleMenuBitmaps::AddIcon(HICON icon) {
    ICONINFO parts = {};
    if (!icon || !GetIconInfo(icon, &parts)) return -1;
    const IconParts owned(parts);
    BITMAP b = {};
    BOOL read = GetObjectW(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof b, &b) != 0;
    // A colourless icon's mask holds both halves, one above the other.
    int height = parts.hbmColor ? b.bmHeight : b.bmHeight / 2;
    if (!read || !TakesSize(b.bmWidth, height)) return -1;
    return AddSource(m_images.Add(icon), CLR_NONE);
}

BOOL CStyleMenuBitmaps::TakesSize(int cx, int cy) {
    if (!m_images.GetSafeHandle()) return CreateList(cx, cy);
    CSize size = GetIconSize();
    return size.cx == cx && size.cy == cy;
}

int CStyleMenuBitmaps::AddSource(int index, COLORREF mask) {
    if (index < 0) return -1;
    m_masks.Add(mask);
    m_ids.Add(0);
    const CUniqueIcon icon(m_images.ExtractIcon(index));
    AddShadowImage(icon.Get(), -1);
    AddDisabledImage(icon.Get(), -1);
    return index;
}

void CStyleMenuBitmaps::OnSysColorChange() {
    for (INT_PTR k = 0; k < m_masks.GetSize(); ++k) RegenerateDerived(static_cast<int>(k * 3));
}

// --- the shared list ---

CTypedPtrList<CPtrList, CStyleMenuIcons*>* SharedIconStores() {
    if (!CStyleMenu::s_pSharedIconStores)
        CStyleMenu::s_pSharedIconStores = new CTypedPtrList<CPtrList, CStyleMenuIcons*>(10);
    return CStyleMenu::s_pSharedIconStores;
}

int AddRefIconStore(CStyleMenuIcons* store) { return store ? ++store->m_refs : 0; }

int ReleaseIconStore(CStyleMenuIcons* store) {
    if (!store) return 0;
    int left = --store->m_refs;
    if (left > 0) return left;
    if (CStyleMenu::s_pSharedIconStores) {
        POSITION pos = CStyleMenu::s_pSharedIconStores->Find(store);
        if (pos) CStyleMenu::s_pSharedIconStores->RemoveAt(pos);
    }
    delete store;
    return 0;
}

void RefreshIconStores() {
    DWORD now = GetTickCount();
    if (g_refreshed && now - g_lastRefresh < 2000) return;
    g_refreshed = TRUE;
    g_lastRefresh = now;
    if (!CStyleMenu::s_pSharedIconStores) return;
    POSITION pos = CStyleMenu::s_pSharedIconStores->GetHeadPosition();
    while (pos) CStyleMenu::s_pSharedIconStores->GetNext(pos)->OnSysColorChange();
}

void DeleteSharedIconStores() {
    auto* list = CStyleMenu::s_pSharedIconStores;
    if (!list) return;
    CStyleMenu::s_pSharedIconStores = nullptr;
    // Items of menus still alive hold references: their stores go with the
    // last release (which finds no list then), not here.
    while (!list->IsEmpty()) {
        CStyleMenuIcons* store = list->RemoveHead();
        if (store->m_refs <= 0) delete store;
    }
    delete list;
}

namespace {

// The first shared store of the kind that matches, else a new one that load
// fills, joined to the list; NULL (nothing joined) when it does not load.
CStyleMenuIcons* SharedStore(CStyleMenu* menu, BOOL iconImages, const std::function<BOOL(CStyleMenuIcons*)>& matches,
                             const std::function<BOOL(CStyleMenuIcons*)>& load) {
    auto* list = SharedIconStores();
    POSITION pos = list->GetHeadPosition();
    while (pos) {
        CStyleMenuIcons* store = list->GetNext(pos);
        if (store->m_iconImages == iconImages && matches(store)) return store;
    }
    CStyleMenuIcons* store = new CStyleMenuIcons;
    store->m_mask = menu->GetBitmapBackground();
    store->m_iconImages = iconImages;
    if (!load(store)) {
        delete store;
        return nullptr;
    }
    list->AddTail(store);
    return store;
}

}  // namespace

CStyleMenuIcons* GetIconStore(CStyleMenu* menu, UINT toolBarId, HINSTANCE module) {
    LPCWSTR name = MAKEINTRESOURCEW(static_cast<WORD>(toolBarId));
    return SharedStore(
        menu, menu->IsIconMenu(), [&](CStyleMenuIcons* store) { return store->MatchesResource(name, module); },
        [&](CStyleMenuIcons* store) { return store->LoadToolBar(name, module); });
}

CStyleMenuIcons* GetToolBarDataStore(CStyleMenu* menu, const WORD* data, BOOL iconImages) {
    COLORREF mask = menu->GetBitmapBackground();
    return SharedStore(
        menu, iconImages, [&](CStyleMenuIcons* store) { return store->MatchesToolBarData(data, mask); },
        [&](CStyleMenuIcons* store) { return store->LoadFromToolBarData(data, mask); });
}

CStyleMenuIcons* GetToolBarBitmapStore(CStyleMenu* menu, HBITMAP bitmap, int cx, int cy, const UINT* ids,
                                       BOOL iconImages) {
    COLORREF mask = menu->GetBitmapBackground();
    return SharedStore(
        menu, iconImages, [&](CStyleMenuIcons* store) { return store->MatchesBitmap(bitmap, cx, cy, ids); },
        [&](CStyleMenuIcons* store) { return store->LoadFromBitmap(bitmap, cx, cy, ids, mask); });
}

namespace {

// The first shared bitmap store that add accepts, else a new one with the
// menu's mask colour; NULL when even that refuses.
CStyleMenuBitmaps* FindBitmapStore(CStyleMenu* menu, const std::function<int(CStyleMenuBitmaps*)>& add, int* index) {
    auto* list = SharedIconStores();
    POSITION pos = list->GetHeadPosition();
    while (pos) {
        CStyleMenuBitmaps* store = DYNAMIC_DOWNCAST(CStyleMenuBitmaps, list->GetNext(pos));
        if (!store) continue;
        int at = add(store);
        if (at >= 0) {
            *index = at;
            return store;
        }
    }
    CStyleMenuBitmaps* store = new CStyleMenuBitmaps;
    store->m_mask = menu->GetBitmapBackground();
    int at = add(store);
    if (at < 0) {
        delete store;
        return nullptr;
    }
    list->AddTail(store);
    *index = at;
    return store;
}

}  // namespace

CStyleMenuBitmaps* GetBitmapStore(CStyleMenu* menu, HBITMAP bitmap, int* index) {
    *index = -1;
    if (!bitmap) return nullptr;
    COLORREF mask = menu->GetBitmapBackground();
    return FindBitmapStore(
        menu, [&](CStyleMenuBitmaps* store) { return store->AddBitmap(bitmap, mask); }, index);
}

CStyleMenuBitmaps* GetIconImageStore(CStyleMenu* menu, HICON icon, int* index) {
    *index = -1;
    if (!icon) return nullptr;
    return FindBitmapStore(
        menu, [&](CStyleMenuBitmaps* store) { return store->AddIcon(icon); }, index);
}

BOOL GetToolBarImageIndex(UINT toolBarId, UINT command, int* image) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(toolBarId), kToolBarType);
    if (!found) return FALSE;
    const WORD* data = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    if (!data) return FALSE;
    int index = 0;
    for (WORD i = 0; i < data[3]; ++i) {
        WORD id = data[4 + i];
        if (!id) continue;
        // Index 0 is an answer too: the first button's image.
        if (id == command) {
            *image = index;
            return TRUE;
        }
        ++index;
    }
    return FALSE;
}

COLORREF TintBitmap(CBitmap* bitmap, int alpha, COLORREF colour) {
    COLORREF first = 0;
    HBITMAP tinted = MapBitmap(
        static_cast<HBITMAP>(bitmap->GetSafeHandle()), [&](COLORREF c) { return TintPixel(c, alpha, colour); }, &first);
    if (!tinted) return 0;
    bitmap->DeleteObject();
    bitmap->Attach(tinted);
    return first;
}

int GetBitmapColorCount(const BITMAPINFOHEADER& header) {
    if (header.biClrUsed) return static_cast<int>(header.biClrUsed);
    switch (header.biBitCount) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
    }
    return 0;
}

namespace {

// The module holding the bitmap resource, with its colour count read from
// the resource's header; NULL when there is no such bitmap.
HINSTANCE FindBitmapResource(LPCTSTR name, HINSTANCE module, int* colours) {
    HINSTANCE where = ResourceModule(module);
    HRSRC found = FindResourceW(where, name, RT_BITMAP);
    if (!found) return nullptr;
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(where, found)));
    if (colours) *colours = header ? GetBitmapColorCount(*header) : 0;
    return where;
}

}  // namespace

HBITMAP LoadBitmapResourceEx(LPCTSTR name, HINSTANCE module, int* colours) {
    HINSTANCE where = FindBitmapResource(name, module, colours);
    return where ? LoadBitmapW(where, name) : nullptr;
}

HBITMAP LoadAlphaBitmapResource(LPCTSTR name, HINSTANCE module, int* colours) {
    HINSTANCE where = FindBitmapResource(name, module, colours);
    if (!where) return nullptr;
    return static_cast<HBITMAP>(LoadImageW(where, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HBITMAP LoadSysColorBitmap16(UINT id) {
    int colours = 0;
    if (!CUniqueBitmap(LoadBitmapResourceEx(MAKEINTRESOURCEW(id), nullptr, &colours))) return nullptr;
    if (colours != 16) return nullptr;
    return CreateMappedBitmap(AfxGetResourceHandle(), static_cast<INT_PTR>(id), 0, nullptr, 0);
}
