#include "HoverHintTarget.h"

#include <windowsx.h>
#include <wchar.h>

namespace {

bool IsReadOnlyEdit(HWND window) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return _wcsicmp(className, L"Edit") == 0 && (::GetWindowLongW(window, GWL_STYLE) & ES_READONLY) != 0;
}

}  // namespace

HWND HintTargetOf(HWND dialog, const MSG& move, UINT skipFlags) {
    HWND target = move.hwnd;
    if (target == dialog) {
        POINT point = {GET_X_LPARAM(move.lParam), GET_Y_LPARAM(move.lParam)};
        target = ::ChildWindowFromPointEx(dialog, point, skipFlags);
    }
    if (!target || target == dialog || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) return nullptr;
    return IsReadOnlyEdit(target) ? nullptr : target;
}
