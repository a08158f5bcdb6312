#include "CStyleMenuHook.h"

#include "CMenuTheme.h"
#include "CMenuTheme2003.h"
#include "CMenuThemeXP.h"
#include "CStyleMenu.h"
#include "CStyleMenuIcons.h"
#include "CStyleMenuTempHandler.h"
#include "MenuPaint.h"
#include "common/UniqueGdi.h"

// The version class, the start-up object and the map of subclassed popups
// are defined here, in this order, so that their construction order holds
// whatever order the linker gives the library's files.
int CStyleMenu::s_winVersion = GetWindowsVersionClass();

namespace {

typedef CTypedPtrMap<CMapPtrToPtr, HWND, CStyleMenuHook::CMenuHookData*> HookDataMap;

// Owns the records of popups still subclassed at exit.
struct OwningHookDataMap : HookDataMap {
    OwningHookDataMap() : HookDataMap(10) {}
    ~OwningHookDataMap() {
        POSITION pos = GetStartPosition();
        while (pos) {
            HWND window;
            CStyleMenuHook::CMenuHookData* data;
            GetNextAssoc(pos, window, data);
            delete data;
        }
    }
};

CStyleMenuHook g_startUp;
OwningHookDataMap s_hookDataMap;

const UINT kMenuGetHmenu = 0x1E1;
const UINT kMenuSizeWindow = 0x1E2;
const UINT_PTR kFadeTimer = 0x1234;
const wchar_t kDialogClass[] = L"#32770";

BOOL ClassNameIs(HWND window, const wchar_t* name) {
    wchar_t className[20] = {};
    int length = GetClassNameW(window, className, 20);
    return length == lstrlenW(name) && lstrcmpW(className, name) == 0;
}

HRGN CopyRegion(HRGN source) {
    CUniqueRegion copy(CreateRectRgn(0, 0, 1, 1));
    if (copy && CombineRgn(copy.Get(), source, nullptr, RGN_COPY) == ERROR) return nullptr;
    return copy.Release();
}

// A popup's update region: 1 (the whole window, as WM_NCPAINT says it; no
// object) or a copy of its own, deleted here.
void ForgetUpdateRegion(HRGN& region) {
    if (region != reinterpret_cast<HRGN>(1)) CUniqueRegion(region).Reset();
    region = reinterpret_cast<HRGN>(1);
}

void RegisterThemes() {
    typedef CStyleMenu M;
    struct Style {
        int id;
        int kind;  // 0 plain, 1 flat, 2 gradient
        MenuMeasureRoutine measure;
        MenuDrawRoutine draw;
    };
    static const Style styles[] = {
        {6, 0, &M::MeasureItemStyle6, &M::DrawItemStyle6}, {7, 0, &M::MeasureItemStyle6, &M::DrawItemStyle6},
        {0, 0, &M::MeasureItemStyle0, &M::DrawItemStyle0}, {1, 0, &M::MeasureItemStyle0, &M::DrawItemStyle0},
        {2, 1, &M::MeasureItemXP, &M::DrawItemXP},         {3, 1, &M::MeasureItemXP, &M::DrawItemXP},
        {8, 2, &M::MeasureItemXP, &M::DrawItem2003},       {9, 2, &M::MeasureItemXP, &M::DrawItem2003},
        {10, 1, &M::MeasureItemXP, &M::DrawItem2003},      {11, 1, &M::MeasureItemXP, &M::DrawItem2003},
        {4, 0, &M::MeasureItemStyle0, &M::DrawItemStyle4}, {5, 0, &M::MeasureItemStyle0, &M::DrawItemStyle4},
    };
    for (const Style& s : styles) {
        int flags = (s.id % 2 == 0) ? kThemeOwnBorder : 0;
        CMenuTheme* theme;
        if (s.kind == 0)
            theme = new CMenuTheme(s.id, s.measure, s.draw, &M::DrawMenuTitle, flags);
        else if (s.kind == 1)
            theme = new CMenuThemeXP(s.id, s.measure, s.draw, &M::DrawMenuTitle, flags);
        else
            theme = new CMenuTheme2003(s.id, s.measure, s.draw, &M::DrawMenuTitle, flags);
        CStyleMenu::AddTheme(theme);
    }
}

}  // namespace

const wchar_t kOldMenuProcProperty[] = L"OldMenuProc";
HHOOK CStyleMenuHook::s_hHook = nullptr;

CStyleMenuHook::CStyleMenuHook() {
    typedef CStyleMenu M;
    if (M::s_winVersion >= 6 && GetSystemMetrics(SM_REMOTESESSION)) M::s_isRemoteSession = TRUE;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    M::s_isWine = kernel && GetProcAddress(kernel, "wine_get_unix_file_name") != nullptr;
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0))
        M::s_isHighContrast = (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    M::s_hUxTheme = LoadLibraryW(L"uxtheme.dll");
    if (M::s_hUxTheme) {
        M::s_pfnIsThemeActive = reinterpret_cast<BOOL(WINAPI*)()>(GetProcAddress(M::s_hUxTheme, "IsThemeActive"));
        M::s_pfnSetWindowTheme =
            reinterpret_cast<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(GetProcAddress(M::s_hUxTheme, "SetWindowTheme"));
    } else {
        M::s_pfnIsThemeActive = nullptr;
    }
    M::s_hMsimg32 = LoadLibraryW(L"Msimg32.dll");
    M::s_pfnGradientFill = (M::s_winVersion != 3 && M::s_hMsimg32)
                               ? reinterpret_cast<BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG)>(
                                     GetProcAddress(M::s_hMsimg32, "GradientFill"))
                               : nullptr;
    RegisterThemes();
    M::s_pCurrentTheme = M::FindTheme(2);
    // Nothing in the program needs the hook: when it cannot be had, the menus
    // keep the system's look instead of the process ending at start-up.
    if (!s_hHook) s_hHook = SetWindowsHookExW(WH_CALLWNDPROC, MenuHookProc, nullptr, GetCurrentThreadId());
}

CStyleMenuHook::~CStyleMenuHook() {
    typedef CStyleMenu M;
    if (s_hHook) {
        UnhookWindowsHookEx(s_hHook);
        s_hHook = nullptr;
    }
    if (M::s_pThemeList) {
        while (!M::s_pThemeList->IsEmpty()) delete M::s_pThemeList->RemoveHead();
        delete M::s_pThemeList;
        M::s_pThemeList = nullptr;
    }
    M::s_pCurrentTheme = nullptr;
    M::s_pfnIsThemeActive = nullptr;
    M::s_pfnSetWindowTheme = nullptr;
    if (M::s_hUxTheme) FreeLibrary(M::s_hUxTheme);
    M::s_hUxTheme = nullptr;
    M::s_pfnGradientFill = nullptr;
    if (M::s_hMsimg32) FreeLibrary(M::s_hMsimg32);
    M::s_hMsimg32 = nullptr;
    DeleteSharedIconStores();
    ReleaseMenuPaintResources();
}

CStyleMenuHook::CMenuHookData::CMenuHookData(HWND window, BOOL onSizeWindow)
    : savedStyle(0),
      savedExStyle(0),
      position(0, 0),
      flags(onSizeWindow ? static_cast<DWORD>(kOnSizeWindow) : 0u),
      borderPainted(FALSE),
      hMenu(nullptr),
      hUpdateRgn(reinterpret_cast<HRGN>(1)),
      drawBorder(TRUE) {
    SetMenu(CStyleMenu::s_hPendingMenu);
    CStyleMenu::s_hPendingMenu = nullptr;
    savedStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    savedExStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
}

CStyleMenuHook::CMenuHookData::~CMenuHookData() {
    ForgetUpdateRegion(hUpdateRgn);
    screenBitmap.DeleteObject();
}

void CStyleMenuHook::CMenuHookData::SetMenu(HMENU menu) {
    hMenu = menu;
    CMenu* object = CMenu::FromHandlePermanent(menu);
    drawBorder = CStyleMenu::s_drawAllMenus || (object && object->IsKindOf(RUNTIME_CLASS(CStyleMenu)));
}

CStyleMenuHook::CMenuHookData* CStyleMenuHook::FindMenuHookData(HWND window) {
    CMenuHookData* data = nullptr;
    return s_hookDataMap.Lookup(window, data) ? data : nullptr;
}

int CStyleMenuHook::HookDataCount() { return static_cast<int>(s_hookDataMap.GetCount()); }

BOOL CStyleMenuHook::IsPopupMenuWindow(HWND window) { return ClassNameIs(window, L"#32768"); }

LRESULT CALLBACK CStyleMenuHook::MenuHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == WM_CREATE || sent->message == kMenuSizeWindow) {
            BOOL subclassed = SubclassMenuWindow(sent->hwnd, sent->message == kMenuSizeWindow);
            if (!subclassed && (CStyleMenu::s_menuOptions & 0x1) && sent->message == WM_CREATE &&
                ClassNameIs(sent->hwnd, kDialogClass))
                AttachMenuTempHandler(sent->hwnd);
        }
    }
    return CallNextHookEx(s_hHook, code, wParam, lParam);
}

BOOL CStyleMenuHook::SubclassMenuWindow(HWND window, BOOL onSizeWindow) {
    if (!IsPopupMenuWindow(window)) return FALSE;
    BOOL subclassed = FALSE;
    if (!FindMenuHookData(window)) {
        if (!CStyleMenu::s_hPendingMenu)
            CStyleMenu::s_hPendingMenu = reinterpret_cast<HMENU>(SendMessageW(window, kMenuGetHmenu, 0, 0));
        CMenu* pending = CMenu::FromHandlePermanent(CStyleMenu::s_hPendingMenu);
        if (!DYNAMIC_DOWNCAST(CStyleMenu, pending)) return FALSE;
        LONG_PTR procedure = GetWindowLongPtrW(window, GWLP_WNDPROC);
        if (procedure && !GetPropW(window, kOldMenuProcProperty)) {
            SetPropW(window, kOldMenuProcProperty, reinterpret_cast<HANDLE>(procedure));
            if (reinterpret_cast<LONG_PTR>(GetPropW(window, kOldMenuProcProperty)) == procedure) {
                GlobalAddAtomW(kOldMenuProcProperty);
                if (!FindMenuHookData(window)) {
                    s_hookDataMap.SetAt(window, new CMenuHookData(window, onSizeWindow));
                    SetLastError(0);
                    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWindowProc));
                    subclassed = TRUE;
                    if (CStyleMenu::s_pCurrentTheme) CStyleMenu::s_pCurrentTheme->PopupShown(window);
                }
            } else {
                RemovePropW(window, kOldMenuProcProperty);
            }
        }
    }
    CMenuHookData* data = FindMenuHookData(window);
    if (CStyleMenu::s_hPendingMenu && data) {
        data->SetMenu(CStyleMenu::s_hPendingMenu);
        CStyleMenu::s_hPendingMenu = nullptr;
        if (CStyleMenu::s_pCurrentTheme) CStyleMenu::s_pCurrentTheme->PopupShown(window);
    }
    return subclassed;
}

void CStyleMenuHook::UnsubclassMenuWindow(HWND window) {
    HANDLE previous = GetPropW(window, kOldMenuProcProperty);
    if (previous) {
        SetLastError(0);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, kOldMenuProcProperty);
        ATOM atom = GlobalFindAtomW(kOldMenuProcProperty);
        if (atom) GlobalDeleteAtom(atom);
    }
    CMenuHookData* data = FindMenuHookData(window);
    if (data) {
        if (CStyleMenu::s_pCurrentTheme) CStyleMenu::s_pCurrentTheme->PopupHidden(window);
        s_hookDataMap.RemoveKey(window);
        delete data;
    }
}

LRESULT CStyleMenuHook::OnNcPaint(HWND window, CMenuHookData* data, WNDPROC previous, WPARAM wParam, BOOL* consumed) {
    CMenuTheme* theme = CStyleMenu::s_pCurrentTheme;
    HRGN region = reinterpret_cast<HRGN>(wParam);
    if (!data->borderPainted) {
        if (region != data->hUpdateRgn) ForgetUpdateRegion(data->hUpdateRgn);
        if (wParam != 1) {
            HRGN copy = CopyRegion(region);
            if (copy) data->hUpdateRgn = copy;
        }
    }
    if (data->flags & kPrinting) {
        *consumed = TRUE;
        return 0;
    }
    LRESULT result = 0;
    if (data->borderPainted && theme && theme->DrawsOwnBorder()) {
        HDC dc = GetWindowDC(window);
        RECT frame;
        if (theme->PaintBorder(window, dc, FALSE) && theme->GetFrameRect(window, &frame)) {
            const CUniqueRegion inner(CreateRectRgn(frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1));
            result = CallWindowProcW(previous, window, WM_NCPAINT, reinterpret_cast<WPARAM>(inner.Get()), 0);
            *consumed = TRUE;
            theme->PaintBorder(window, dc, TRUE);
        }
        ReleaseDC(window, dc);
    }
    if (theme && theme->DrawsOwnBorder() && !*consumed) CaptureBackground(window);
    return result;
}

LRESULT CStyleMenuHook::OnPrint(HWND window, CMenuHookData* data, WNDPROC previous, WPARAM wParam, LPARAM lParam,
                                BOOL* consumed) {
    CMenuTheme* theme = CStyleMenu::s_pCurrentTheme;
    HDC target = reinterpret_cast<HDC>(wParam);
    data->flags |= kPrinting;
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    int width = windowRect.right - windowRect.left, height = windowRect.bottom - windowRect.top;
    CUniqueMemoryDC owner(CreateCompatibleDC(target));
    const HDC memory = owner.Get();
    CUniqueBitmap bitmap(CreateCompatibleBitmap(target, width, height));
    CDcSelection useBitmap(memory, bitmap.Get());
    theme->PaintBorder(window, memory, FALSE);
    RECT frame;
    LRESULT result = 0;
    if (theme->GetFrameRect(window, &frame)) {
        RECT clip = frame;
        OffsetRect(&clip, frame.left - windowRect.left, frame.top - windowRect.top);
        InflateRect(&clip, -1, -1);
        const CUniqueRegion clipRegion(CreateRectRgnIndirect(&clip));
        SelectClipRgn(memory, clipRegion.Get());
        result = CallWindowProcW(previous, window, WM_PRINT, reinterpret_cast<WPARAM>(memory), lParam & ~PRF_NONCLIENT);
        BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectClipRgn(memory, nullptr);
        RECT client;
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        const CUniqueRegion clientRegion(CreateRectRgnIndirect(&client));
        SelectClipRgn(memory, clientRegion.Get());
        SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), lParam);
        BitBlt(target, origin.x - windowRect.left, origin.y - windowRect.top, client.right - 1, client.bottom, memory,
               0, 0, SRCCOPY);
        SelectClipRgn(memory, nullptr);
        *consumed = TRUE;
    }
    data->flags &= ~kPrinting;
    return result;
}

void CStyleMenuHook::OnWindowPos(HWND window, CMenuHookData* data, const WINDOWPOS* pos) {
    if (pos->flags & SWP_NOMOVE) return;
    if (data->position.x == 0 && data->position.y == 0) {
        data->position = CPoint(pos->x, pos->y);
    } else if (data->position.x != pos->x || data->position.y != pos->y) {
        if (pos->flags & SWP_NOSIZE) {
            data->position = CPoint(pos->x, pos->y);
            data->screenBitmap.DeleteObject();
        } else {
            UnsubclassMenuWindow(window);
        }
    }
}

LRESULT CALLBACK CStyleMenuHook::MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropW(window, kOldMenuProcProperty));
    CMenuHookData* data = FindMenuHookData(window);
    if (!data || !previous) {
        if (!previous) return DefWindowProcW(window, message, wParam, lParam);
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    CMenuTheme* theme = CStyleMenu::s_pCurrentTheme;
    BOOL consumed = FALSE;
    LRESULT result = 0;
    switch (message) {
        case WM_NCCALCSIZE:
            if (data->drawBorder && theme && theme->CalcNonClientSize(window, reinterpret_cast<RECT*>(lParam)))
                consumed = TRUE;
            break;
        case WM_NCPAINT:
            if (data->drawBorder) result = OnNcPaint(window, data, previous, wParam, &consumed);
            break;
        case WM_ERASEBKGND:
            if (data->drawBorder && theme) {
                if (theme->DrawsOwnBorder() && !(data->flags & kPrinting) && !data->borderPainted) {
                    data->borderPainted = TRUE;
                    SendMessageW(window, WM_NCPAINT, 1, 0);
                }
                if (theme->EraseBackground(window, reinterpret_cast<HDC>(wParam))) {
                    consumed = TRUE;
                    result = 1;
                }
            }
            break;
        case WM_SHOWWINDOW:
            if (!wParam) UnsubclassMenuWindow(window);
            break;
        case WM_WINDOWPOSCHANGING:
        case WM_WINDOWPOSCHANGED:
            if (message == WM_WINDOWPOSCHANGING && theme)
                theme->WindowPosChanging(window, reinterpret_cast<WINDOWPOS*>(lParam));
            OnWindowPos(window, data, reinterpret_cast<const WINDOWPOS*>(lParam));
            break;
        case WM_NCDESTROY: UnsubclassMenuWindow(window); break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) data->flags |= kEscapeOrFade;
            CStyleMenu::s_lastKeyDownPos = GetMessagePos();
            break;
        case WM_TIMER:
            // The fade-in lasts one tick: the popup is layered from here on.
            if (wParam == kFadeTimer && CStyleMenu::s_winVersion >= 6) {
                LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
                if (!(exStyle & WS_EX_LAYERED)) SetWindowLongW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
                SetLayeredWindowAttributes(window, 0, CStyleMenu::s_menuAlpha, LWA_ALPHA);
                data->flags &= ~kEscapeOrFade;
                KillTimer(window, kFadeTimer);
            }
            break;
        case WM_PRINT:
            if (data->drawBorder && theme && theme->DrawsOwnBorder())
                result = OnPrint(window, data, previous, wParam, lParam, &consumed);
            break;
    }
    if (consumed) return result;
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

CStyleMenuThreadHook::CStyleMenuThreadHook()
    : hook(SetWindowsHookExW(WH_CALLWNDPROC, CStyleMenuHook::MenuHookProc, nullptr, GetCurrentThreadId())) {}

CStyleMenuThreadHook::~CStyleMenuThreadHook() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
}
