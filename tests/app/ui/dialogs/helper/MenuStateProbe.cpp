// A probe that a test hooks into the running program's user-interface
// thread: at each request it reads the menu library's state through the
// program's export and looks at the thread's popup-menu windows; at process
// exit it reads the state once more. Records go to files the test reads.
#include "MenuStateProbe.h"

#include <string>

namespace {

typedef BOOL (*ReadStateExport)(MenuStartUpState*, DWORD);

WPARAM g_lastRequest = 0;
UINT64 g_startUpHook = 0;
bool g_inProgram = false;

UINT RequestMessage() {
    static UINT message = RegisterWindowMessageW(kMenuProbeMessage);
    return message;
}

BOOL CALLBACK CountPopup(HWND window, LPARAM param) {
    MenuProbeRecord* record = reinterpret_cast<MenuProbeRecord*>(param);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (!IsWindowVisible(window) || lstrcmpW(name, L"#32768") != 0) return TRUE;
    ++record->popups;
    if (static_cast<ULONG_PTR>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != GetClassLongPtrW(window, GCLP_WNDPROC))
        ++record->popupsSubclassed;
    if (GetPropW(window, L"OldMenuProc")) ++record->popupsWithProperty;
    return TRUE;
}

MenuProbeRecord ReadRecord() {
    MenuProbeRecord record = {};
    ReadStateExport read =
        reinterpret_cast<ReadStateExport>(GetProcAddress(GetModuleHandleW(nullptr), "DodavoziMenuStartUpState"));
    record.stateRead = read && read(&record.state, sizeof record.state);
    return record;
}

// Written whole under another name first, so the test never reads half a record.
void WriteRecord(const MenuProbeRecord& record, const std::wstring& suffix) {
    wchar_t prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(kMenuProbeOutput, prefix, MAX_PATH)) return;
    std::wstring path = std::wstring(prefix) + L"-" + suffix;
    std::wstring partial = path + L".part";
    HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    BOOL ok = WriteFile(file, &record, sizeof record, &written, nullptr) && written == sizeof record;
    CloseHandle(file);
    if (ok) MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void AnswerRequest(WPARAM request) {
    if (request == g_lastRequest) return;
    g_lastRequest = request;
    if (!g_inProgram) {
        // Stays loaded until the process ends, whatever becomes of the hook,
        // so that it can read the state after the static objects are gone.
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&AnswerRequest), &self);
        g_inProgram = true;
    }
    MenuProbeRecord record = ReadRecord();
    if (record.stateRead && !g_startUpHook) g_startUpHook = record.state.hook;
    EnumThreadWindows(GetCurrentThreadId(), CountPopup, reinterpret_cast<LPARAM>(&record));
    WriteRecord(record, std::to_wstring(request));
}

void WriteExitRecord() {
    MenuProbeRecord record = ReadRecord();
    record.oldHookStillSet =
        g_startUpHook && UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<UINT_PTR>(g_startUpHook)));
    WriteRecord(record, L"exit");
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && message && message->message == RequestMessage() && message->wParam)
        AnswerRequest(message->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // At process exit (reserved set) the program's static destructors have run.
    if (reason == DLL_PROCESS_DETACH && reserved && g_inProgram) WriteExitRecord();
    return TRUE;
}
