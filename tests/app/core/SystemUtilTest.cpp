#include "app/core/SystemUtil.h"

#include <gtest/gtest.h>

#include <thread>

#include "WaitFor.h"
#include "app/core/FileUtil.h"

namespace {

OSVERSIONINFOEXW Version(DWORD major, DWORD minor, BYTE productType, WORD suite = 0,
                         DWORD platform = VER_PLATFORM_WIN32_NT) {
    OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwPlatformId = platform;
    v.wProductType = productType;
    v.wSuiteMask = suite;
    return v;
}

// Starts the helper with the arguments and returns its exit code (-1 when it
// cannot be started). Message boxes it shows are closed by the caller.
struct Child {
    PROCESS_INFORMATION info = {};
    bool Start(const CString& arguments) {
        CString command = L"\"" + GetModuleDir() + L"core_test_helper.exe\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessW(nullptr, command.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info) != FALSE;
    }
    DWORD Finish() {
        if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) return static_cast<DWORD>(-1);
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        return code;
    }
};

CString ReadRunValue(const wchar_t* name) {
    wchar_t value[512] = {0};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", name, RRF_RT_REG_SZ,
                     nullptr, value, &size) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 7) {
        *reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA)) += static_cast<int>(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A plain window that adds wParam of WM_APP+7 to a counter.
HWND CountingWindow(int* counter) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CoreCountingWindow";
    RegisterClassW(&wc);
    HWND window =
        CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(counter));
    return window;
}

}  // namespace

TEST(SystemUtilTest, OsVersionCodes) {
    const WORD x86 = PROCESSOR_ARCHITECTURE_INTEL, x64 = PROCESSOR_ARCHITECTURE_AMD64;
    const struct {
        OSVERSIONINFOEXW version;
        WORD arch;
        int serverR2;
        int code;
    } cases[] = {
        {Version(4, 10, VER_NT_WORKSTATION, 0, VER_PLATFORM_WIN32_WINDOWS), x86, 0, 0},
        {Version(4, 0, VER_NT_WORKSTATION), x86, 0, 0},
        {Version(5, 0, VER_NT_WORKSTATION), x86, 0, 1},
        {Version(5, 1, VER_NT_WORKSTATION), x86, 0, 2},
        {Version(5, 2, VER_NT_WORKSTATION), x64, 0, 2},
        {Version(5, 2, VER_NT_WORKSTATION, 0x2000), x64, 0, 3},
        {Version(5, 2, VER_NT_WORKSTATION), x64, 1, 3},
        {Version(5, 2, VER_NT_WORKSTATION), x86, 0, 3},
        {Version(5, 2, VER_NT_SERVER), x64, 0, 3},
        {Version(6, 0, VER_NT_WORKSTATION), x86, 0, 4},
        {Version(6, 0, VER_NT_SERVER), x86, 0, 5},
        {Version(6, 1, VER_NT_SERVER), x64, 0, 5},
        {Version(6, 1, VER_NT_WORKSTATION), x86, 0, 6},
        {Version(6, 2, VER_NT_WORKSTATION), x64, 0, 2},
        {Version(10, 0, VER_NT_WORKSTATION), x64, 0, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, OsVersionCodeFrom(c.version, c.arch, c.serverR2))
            << c.version.dwMajorVersion << "." << c.version.dwMinorVersion << " type " << int(c.version.wProductType);
    EXPECT_EQ(6, GetOsVersionCode());  // the test prefix reports Windows 7
}

TEST(SystemUtilTest, MainWindowMessagesOnlyWhileRegistered) {
    int counter = 0;
    HWND window = CountingWindow(&counter);
    ASSERT_TRUE(window);
    EXPECT_EQ(0, PostMainWndMessage(WM_APP + 7, 1, 0));  // nothing registered: dropped
    SetMainWindow(window, nullptr);
    EXPECT_EQ(window, GetMainWindowHandle());
    EXPECT_EQ(0, SendMainWndMessage(WM_APP + 7, 10, 0));
    EXPECT_EQ(10, counter);
    std::thread worker([] { PostMainWndMessage(WM_APP + 7, 100, 0); });
    worker.join();
    EXPECT_TRUE(WaitFor([&] { return counter == 110; }));
    SetMainWindow(nullptr, nullptr);
    EXPECT_EQ(0, PostMainWndMessage(WM_APP + 7, 1000, 0));
    PumpMessages();
    EXPECT_EQ(110, counter);
    DestroyWindow(window);
}

TEST(SystemUtilTest, TrayRecordIsVersionThreeSized) {
    int counter = 0;
    HWND window = CountingWindow(&counter);
    NOTIFYICONDATAW record;
    memset(&record, 0xCC, sizeof(record));
    AddTrayIcon(window, LoadIconW(nullptr, IDI_APPLICATION), WM_APP + 1, CString(L'T', 200), &record);
    EXPECT_EQ(sizeof(void*) == 8 ? 968u : 952u, record.cbSize);
    EXPECT_EQ(window, record.hWnd);
    EXPECT_EQ(ID_TW_TRAY_ICON, record.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), record.uFlags);
    EXPECT_EQ(static_cast<UINT>(WM_APP + 1), record.uCallbackMessage);
    EXPECT_EQ(127u, wcslen(record.szTip));
    DeleteTrayIcon(record);
    DestroyWindow(window);
}

TEST(SystemUtilTest, ExceptionFilterRemovesTheTrayIconAndEndsTheProcess) {
    int counter = 0;
    HWND window = CountingWindow(&counter);
    for (const wchar_t* how : {L"av", L"raise"}) {
        NOTIFYICONDATAW record;
        bool added = AddTrayIcon(window, LoadIconW(nullptr, IDI_APPLICATION), WM_APP + 1, L"tip", &record) != FALSE;
        EXPECT_TRUE(added) << "no notification area";
        if (added) {
            EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &record));  // so the check below can fail
        }
        CString arguments;
        arguments.Format(L"crash %s %lu", how, static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
        Child child;
        ASSERT_TRUE(child.Start(arguments));
        DWORD code = child.Finish();
        EXPECT_NE(0u, code) << how;  // execution never resumes at the fault
        if (wcscmp(how, L"av") == 0) {
            EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), code);
        }
        if (added) {
            // The icon is gone: changing it fails.
            EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &record)) << how;
        }
        DeleteTrayIcon(record);
    }
    DestroyWindow(window);
}

TEST(SystemUtilTest, SingleInstanceAcrossProcesses) {
    HANDLE mine = nullptr;
    EXPECT_EQ(1, CheckSingleInstance(L"DodavoziCoreTestMutex", &mine));
    ASSERT_TRUE(mine);
    Child second;
    ASSERT_TRUE(second.Start(L"mutex DodavoziCoreTestMutex"));
    EXPECT_EQ(1u, second.Finish());  // result 0, handle received
    CloseHandle(mine);

    Child alone;  // once the first instance is gone the next one runs
    ASSERT_TRUE(alone.Start(L"mutex DodavoziCoreTestMutex"));
    EXPECT_EQ(11u, alone.Finish());
}

TEST(SystemUtilTest, RunKeyValue) {
    const wchar_t* name = L"DodavoziCoreTest";
    EXPECT_EQ(0, SetAutoStart(name, L"C:\\Program Files\\Dodavozi\\Dodavozi.exe", TRUE));
    EXPECT_STREQ(L"\"C:\\Program Files\\Dodavozi\\Dodavozi.exe\"", ReadRunValue(name));
    EXPECT_EQ(0, SetAutoStart(name, L"C:\\Dodavozi\\Dodavozi.exe", TRUE));
    EXPECT_STREQ(L"C:\\Dodavozi\\Dodavozi.exe", ReadRunValue(name));
    EXPECT_EQ(0, SetAutoStart(name, L"", FALSE));
    EXPECT_STREQ(L"<none>", ReadRunValue(name));
    EXPECT_EQ(0, SetAutoStart(name, L"", FALSE));  // deleting what is not there is fine

    // A key that had to be made stays empty and starting is reported failed.
    const wchar_t* fresh = L"Software\\DodavoziCoreTest\\Run";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\DodavoziCoreTest");
    EXPECT_EQ(-1, SetAutoStartUnder(HKEY_CURRENT_USER, fresh, name, L"C:\\a.exe", TRUE));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, fresh, 0, KEY_READ, &key));
    DWORD values = 99;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(0u, values);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\DodavoziCoreTest");
}

TEST(SystemUtilTest, ComServerRegistration) {
    CString server = GetModuleDir() + L"core_test_com_server.dll";
    EXPECT_EQ(1, RegisterComServer(server));
    EXPECT_TRUE(GetModuleHandleW(server) != nullptr);  // stays loaded
    const struct {
        CString library;
        bool unregister;
    } failures[] = {
        {server, true},                                   // the entry reports failure
        {GetModuleDir() + L"no_such_server.dll", false},  // does not load
        {L"kernel32.dll", false},                         // has no entry
    };
    for (const auto& f : failures) {
        int result = f.unregister ? UnregisterComServer(f.library) : RegisterComServer(f.library);
        EXPECT_EQ(0, result) << f.library.GetString();
    }
}

TEST(SystemUtilTest, FirstRunMarkerAndHelpPath) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QVSoft\\Vistrel", L"FirstTimeRun");
    EXPECT_EQ(1, IsFirstRun());
    EXPECT_EQ(0, IsFirstRun());
    EXPECT_STREQ(L"C:\\h.chm", BuildHelpPath(L"C:\\h.chm", L"", L"a"));
    EXPECT_STREQ(L"C:\\h.chm::/t.htm", BuildHelpPath(L"C:\\h.chm", L"t.htm", L""));
    EXPECT_STREQ(L"C:\\h.chm::/t.htm#a", BuildHelpPath(L"C:\\h.chm", L"t.htm", L"a"));
}
