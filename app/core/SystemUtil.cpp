#include "SystemUtil.h"

#include <atomic>

#include "common/UniqueHandle.h"

static_assert(NOTIFYICONDATAW_V3_SIZE == kTrayRecordSize, "version-3 tray record: 952 bytes on 32-bit, 968 on 64-bit");

namespace {

std::atomic<HWND> g_mainWindow{nullptr};
std::atomic<const NOTIFYICONDATAW*> g_trayRecord{nullptr};

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kFirstRunKey[] = L"SOFTWARE\\QVSoft\\Vistrel";

WORD NativeProcessorArchitecture() {
    typedef void(WINAPI * NativeInfoFn)(LPSYSTEM_INFO);
    SYSTEM_INFO info = {};
    auto native = reinterpret_cast<NativeInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

// A path that holds a blank must be quoted, or the shell runs "C:\Program".
CString QuotedCommand(const CString& command) {
    if (command.Find(L' ') < 0 || (command.GetLength() >= 2 && command.GetAt(0) == L'"')) return command;
    return L"\"" + command + L"\"";
}

// Calls the named export of a COM server library: 1 on success, else 0 (the
// library is then freed).
int CallComServerEntry(const CString& libraryFile, const char* entryName) {
    typedef HRESULT(STDAPICALLTYPE * EntryFn)();
    CUniqueModule library(LoadLibraryW(libraryFile));
    if (!library) return 0;
    auto entry = reinterpret_cast<EntryFn>(reinterpret_cast<void*>(GetProcAddress(library.Get(), entryName)));
    if (!entry || FAILED(entry())) return 0;
    library.Release();  // a server that answered stays loaded
    return 1;
}

}  // namespace

int OsVersionCodeFrom(const OSVERSIONINFOEXW& version, WORD processorArchitecture, int serverR2Metric) {
    const DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion;
    const bool workstation = version.wProductType == VER_NT_WORKSTATION;
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT || major <= 4) return 0;
    if (major == 5 && minor == 0) return 1;
    if (major == 5 && minor == 1) return 2;
    if (major == 5 && minor == 2) {
        bool xp64 = workstation && processorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 && serverR2Metric == 0 &&
                    version.wSuiteMask != 0x2000;
        return xp64 ? 2 : 3;
    }
    if (major == 6 && minor == 0) return workstation ? 4 : 5;
    if (major == 6 && minor == 1) return workstation ? 6 : 5;
    return 2;
}

int GetOsVersionCode() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return 0;
    return OsVersionCodeFrom(version, NativeProcessorArchitecture(), GetSystemMetrics(SM_SERVERR2));
}

void SetMainWindow(HWND mainWindow, const NOTIFYICONDATAW* trayRecord) {
    g_trayRecord.store(mainWindow ? trayRecord : nullptr);
    g_mainWindow.store(mainWindow);
}

HWND GetMainWindowHandle() { return g_mainWindow.load(); }

int PostMainWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HWND window = g_mainWindow.load()) PostMessageW(window, message, wParam, lParam);
    return 0;
}

int SendMainWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HWND window = g_mainWindow.load()) SendMessageW(window, message, wParam, lParam);
    return 0;
}

BOOL AddTrayIcon(HWND window, HICON icon, UINT callbackMessage, const CString& tip, NOTIFYICONDATAW* record) {
    ZeroMemory(record, kTrayRecordSize);
    record->cbSize = kTrayRecordSize;
    record->hWnd = window;
    record->uID = ID_TW_TRAY_ICON;
    record->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record->uCallbackMessage = callbackMessage;
    record->hIcon = icon;
    lstrcpynW(record->szTip, tip, 128);
    return Shell_NotifyIconW(NIM_ADD, record);
}

BOOL DeleteTrayIcon(NOTIFYICONDATAW record) { return Shell_NotifyIconW(NIM_DELETE, &record); }

int SetAutoStartUnder(HKEY root, const CString& subKey, const CString& name, const CString& command, BOOL on) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return -1;
    int result = 0;
    if (disposition != REG_OPENED_EXISTING_KEY) {
        // A key that had to be made is left empty; asking to start then failed.
        result = on ? -1 : 0;
    } else if (on) {
        CString value = QuotedCommand(command);
        DWORD bytes = static_cast<DWORD>((value.GetLength() + 1) * sizeof(wchar_t));
        if (RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()), bytes) !=
            ERROR_SUCCESS)
            result = -1;
    } else {
        LONG status = RegDeleteValueW(key, name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = -1;
    }
    RegCloseKey(key);
    return result;
}

int SetAutoStart(const CString& name, const CString& command, BOOL on) {
    return SetAutoStartUnder(HKEY_LOCAL_MACHINE, kRunKey, name, command, on);
}

int RegisterComServer(const CString& libraryFile) { return CallComServerEntry(libraryFile, "DllRegisterServer"); }

int UnregisterComServer(const CString& libraryFile) { return CallComServerEntry(libraryFile, "DllUnregisterServer"); }

int CheckSingleInstance(const CString& mutexName, HANDLE* handle) {
    *handle = CreateMutexW(nullptr, FALSE, mutexName);
    return (*handle && GetLastError() == ERROR_ALREADY_EXISTS) ? 0 : 1;
}

LONG WINAPI AppExceptionFilter(EXCEPTION_POINTERS* /*exception*/) {
    // Continuable or not, the process is about to end: no dead icon may stay
    // in the notification area. Nothing here may throw or allocate much.
    const NOTIFYICONDATAW* tray = g_trayRecord.load();
    if (g_mainWindow.load() && tray) DeleteTrayIcon(*tray);
    return EXCEPTION_EXECUTE_HANDLER;
}

int IsFirstRun() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kFirstRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegQueryValueExW(key, L"FirstTimeRun", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    int first = 0;
    if (value == 0) {
        DWORD one = 1;
        RegSetValueExW(key, L"FirstTimeRun", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
        first = 1;
    }
    RegCloseKey(key);
    return first;
}

CString BuildHelpPath(const CString& helpFile, const CString& topic, const CString& anchor) {
    CString path = helpFile;
    if (!topic.IsEmpty()) {
        path += L"::/" + topic;
        if (!anchor.IsEmpty()) path += L"#" + anchor;
    }
    return path;
}

HWND ShowHelp(const CString& helpFile, const CString& topic, const CString& anchor) {
    typedef HWND(WINAPI * HtmlHelpFn)(HWND, LPCWSTR, UINT, DWORD_PTR);
    const UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
    static HMODULE helpLibrary = LoadLibraryW(L"hhctrl.ocx");
    if (!helpLibrary) return nullptr;
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(helpLibrary, "HtmlHelpW")));
    if (!htmlHelp) return nullptr;
    CString path = BuildHelpPath(helpFile, topic, anchor);
    return htmlHelp(GetDesktopWindow(), path, kDisplayTopic, 0);
}

void SetDpiAware() {
    typedef BOOL(WINAPI * DpiAwareFn)();
    auto setAware = reinterpret_cast<DpiAwareFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")));
    if (setAware) setAware();
}

int PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
