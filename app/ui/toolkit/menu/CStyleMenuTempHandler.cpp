#include "CStyleMenuTempHandler.h"

const wchar_t kTempHandlerProperty[] = L"CStyleMenuTempHandler";

namespace {

CStyleMenu* StyleMenuOf(HMENU menu) { return DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(menu)); }

}  // namespace

CStyleMenuTempHandler::CStyleMenuTempHandler(HWND dialog) : previous(nullptr), window(dialog) {
    SetPropW(dialog, kTempHandlerProperty, this);
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CStyleMenuTempHandler::WindowProc)));
}

CStyleMenuTempHandler::~CStyleMenuTempHandler() {
    if (IsWindow(window) && previous) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropW(window, kTempHandlerProperty);
    // A system menu taken over belongs to the window: let it go, never destroy it.
    if (menu.GetSafeHmenu() && menu.GetSafeHmenu() == ::GetSystemMenu(window, FALSE)) menu.Detach();
    menu.DestroyMenu();
}

void AttachMenuTempHandler(HWND dialog) {
    if (!GetPropW(dialog, kTempHandlerProperty)) new CStyleMenuTempHandler(dialog);
}

BOOL MeasureMenuItem(const MSG* message) {
    if (message->message != WM_MEASUREITEM) return FALSE;
    MEASUREITEMSTRUCT* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(message->lParam);
    if (!mis || mis->CtlType != ODT_MENU) return FALSE;
    CStyleMenu* menu = nullptr;
    HMENU asMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(mis->itemID));
    if (::IsMenu(asMenu)) {
        menu = StyleMenuOf(asMenu);
        if (menu) {
            CStyleMenu* parent = menu->GetParentStyleMenu();
            if (parent) menu = parent;
        }
    } else {
        HWND tracking = nullptr;
        HMENU tracked = AfxGetTrackingMenu(&tracking);
        auto search = [&](HMENU root) -> CStyleMenu* {
            CStyleMenu* top = StyleMenuOf(root);
            if (!top) return nullptr;
            int position = -1;
            CStyleMenu* found = top->FindCommandMenu(mis->itemID, &position);
            return found ? found
                         : (top->IsOwnItemData(reinterpret_cast<CStyleMenuItemData*>(mis->itemData)) ? top : nullptr);
        };
        if (tracked && tracking == message->hwnd) menu = search(tracked);
        if (!menu) menu = search(::GetMenu(message->hwnd));
        if (!menu) menu = search(::GetSystemMenu(message->hwnd, FALSE));
    }
    if (!menu) return FALSE;
    menu->MeasureItem(mis);
    return TRUE;
}

LRESULT CALLBACK CStyleMenuTempHandler::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CStyleMenuTempHandler* handler = static_cast<CStyleMenuTempHandler*>(GetPropW(window, kTempHandlerProperty));
    if (!handler) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC previous = handler->previous;
    switch (message) {
        case WM_DESTROY: {
            LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
            // The handler is gone after this: only the saved result is used.
            delete handler;
            return result;
        }
        case WM_DRAWITEM: {
            DRAWITEMSTRUCT* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            CStyleMenu* menu =
                dis && dis->CtlType == ODT_MENU ? StyleMenuOf(reinterpret_cast<HMENU>(dis->hwndItem)) : nullptr;
            if (handler->menu.GetSafeHmenu() && menu) {
                menu->DrawItem(dis);
                return TRUE;
            }
            break;
        }
        case WM_MEASUREITEM: {
            MSG msg = {window, message, wParam, lParam, 0, {0, 0}};
            if (MeasureMenuItem(&msg)) return TRUE;
            break;
        }
        case WM_INITDIALOG:
            if (CStyleMenu::s_menuOptions & 0x2) {
                LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
                HMENU system = ::GetSystemMenu(window, FALSE);
                if (::IsMenu(system) && !StyleMenuOf(system) && !handler->menu.GetSafeHmenu())
                    handler->menu.LoadFromHandle(system);
                return result;
            }
            break;
        case WM_INITMENUPOPUP: {
            LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
            CStyleMenu::InitPopupMenu(window, CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)));
            return result;
        }
        case WM_MENUCHAR: {
            CMenu* menu = StyleMenuOf(reinterpret_cast<HMENU>(lParam));
            if (menu) return CStyleMenu::FindMenuChar(LOWORD(wParam), HIWORD(wParam), menu);
            break;
        }
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}
