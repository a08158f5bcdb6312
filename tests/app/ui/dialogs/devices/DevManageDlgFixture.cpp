#include "DevManageDlgFixture.h"

#include "app/ui/dialogs/devices/CSearchDeviceDlg.h"
#include "standins/qvnetsdk/QvNetTestExports.h"

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TW_SEARCH_RESULT) {
        CSearchDeviceDlg::RelaySearchResult(wParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::string Narrow(const CString& text) { return std::string(CStringA(text)); }

int SetSearchTarget(uint16_t port) {
    HMODULE sdk = GetModuleHandleW(L"qvnetsdk.dll");
    if (!sdk) return 0;
    auto set = reinterpret_cast<PFN_QVNET_TestSetSearchTarget>(
        reinterpret_cast<void*>(GetProcAddress(sdk, MAKEINTRESOURCEA(QVNET_ORD_TestSetSearchTarget))));
    return set ? set("127.0.0.1", port) : 0;
}
