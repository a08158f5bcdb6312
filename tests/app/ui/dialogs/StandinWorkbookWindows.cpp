#include "StandinWorkbookWindows.h"

namespace {
BOOL CALLBACK CollectWorkbookWindow(HWND hwnd, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (wcscmp(name, L"DodavoziStandinWorkbook") == 0) reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> StandinWorkbookWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWorkbookWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}
