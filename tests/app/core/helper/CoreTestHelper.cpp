// Runs the process-wide services that a test cannot run inside its own
// process: a second instance of the single-instance check, and a crash under
// the program's exception filter.
//   core_test_helper mutex <name>          exit code: result * 10 + (handle ? 1 : 0)
//   core_test_helper crash av|raise <hwnd> registers <hwnd> as the main window
//                                          with its tray record, then faults;
//                                          exit code 0 means execution resumed
#include <cwchar>
#include <cstdlib>

#include "app/core/SystemUtil.h"

namespace {

int CheckMutex(const wchar_t* name) {
    HANDLE handle = nullptr;
    int result = CheckSingleInstance(name, &handle);
    return result * 10 + (handle ? 1 : 0);
}

int CrashUnderFilter(const wchar_t* how, const wchar_t* windowText) {
    static NOTIFYICONDATAW tray = {};
    tray.cbSize = kTrayRecordSize;
    tray.hWnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(wcstoul(windowText, nullptr, 10)));
    tray.uID = ID_TW_TRAY_ICON;
    SetMainWindow(tray.hWnd, &tray);
    SetUnhandledExceptionFilter(AppExceptionFilter);
    if (wcscmp(how, L"av") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    } else {
        RaiseException(0xE0000001, 0, 0, nullptr);  // continuable
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && wcscmp(argv[1], L"mutex") == 0) return CheckMutex(argv[2]);
    if (argc == 4 && wcscmp(argv[1], L"crash") == 0) return CrashUnderFilter(argv[2], argv[3]);
    return 99;
}
