#include "ProgramFolder.h"

#include "ProcessWindows.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/mainwindow/CDodavoziApp.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>

namespace {

std::wstring ModuleDir() {
    wchar_t path[MAX_PATH] = {0};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        // Settings and data of earlier runs in the build folder stay behind.
        if (name == L"VAD_Config.ini" || name == L"UserLogin.ini" || name == L"Log") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from + L"\\" + name, to + L"\\" + name);
        } else {
            CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

struct ChildSearch {
    int id;
    std::vector<HWND>* out;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (GetDlgCtrlID(window) == search->id && IsWindowVisible(window)) search->out->push_back(window);
    return TRUE;
}

}  // namespace

ProgramFolder::ProgramFolder() {
    CopyTree(ModuleDir() + L"\\..\\bin", m_dir.Path());
    // The default skin as the build names it.
    SetMainSetting(L"Language", L"LanguageCount", L"1");
    SetMainSetting(L"Language", L"DefaultLanguage", L"1");
    SetMainSetting(L"Language", L"LanguageName1", L"English");
    SetMainSetting(L"Language", L"SkinFileDir1", L"Skin\\English");
}

ProgramFolder::~ProgramFolder() {
    std::vector<HANDLE> all = m_others;
    if (m_process) all.push_back(m_process);
    for (HANDLE process : all) {
        // Waited for to the end: a copy still ending would hold the
        // single-instance mark when the next test starts its own.
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, INFINITE);
        }
        CloseHandle(process);
    }
    // The program's log writer may still hold its files for a moment.
    Sleep(200);
}

void ProgramFolder::SetMainSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(section, key, value.c_str(), File(L"VAD_Config.ini").c_str());
}

void ProgramFolder::SetUserSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(section, key, value.c_str(), File(L"UserLogin.ini").c_str());
}

void ProgramFolder::WriteOneDeviceList(const std::wstring& userFolder) {
    CDeviceManager devices;
    DEVICE_RECORD device;
    device.id = 1001;
    CopyFixedText(device.title, "gate");
    CopyFixedText(device.ip, "127.0.0.1");
    device.port = 1;
    devices.AddDeviceRecord(device);
    const std::wstring folder = userFolder.empty() ? Path() : File(userFolder);
    CreateDirectoryW(folder.c_str(), nullptr);
    devices.WriteDeviceXml(CString((folder + L"\\device.xml").c_str()));
}

void ProgramFolder::UseAutomaticLogin() {
    SetMainSetting(L"Login_Info", L"VADAutoLogin", L"1");
    SetMainSetting(L"Login_Info", L"Check", L"1");
    SetMainSetting(L"Login_Info", L"UserName", L"vorpl");
}

namespace {

bool AnotherCopyRuns() {
    HANDLE mark = OpenMutexW(SYNCHRONIZE, FALSE, kSingleInstanceMutex);
    if (!mark) return false;
    CloseHandle(mark);
    return true;
}

}  // namespace

HANDLE ProgramFolder::Start() {
    // A first copy waits until a copy of an earlier test, still ending under
    // load, has let go of the single-instance mark; else it would refuse to run.
    if (!m_process && !Eventually([] { return !AnotherCopyRuns(); }, kOtherCopyEndMs))
        fwprintf(stderr, L"another copy of the program still runs: this one will refuse to start\n");
    const std::wstring exe = File(L"Dodavozi.exe");
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, Path().c_str(), &startup,
                        &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    if (!m_process) {
        m_process = info.hProcess;
        m_processId = info.dwProcessId;
    } else {
        m_others.push_back(info.hProcess);
    }
    return info.hProcess;
}

bool ProgramFolder::WaitExit(HANDLE process, DWORD timeoutMs) {
    return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {0};
    // WM_GETTEXT crosses processes; GetWindowText would not ask the window.
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

HWND FindDialog(DWORD processId, const std::wstring& caption, bool messageBox) {
    return FindProcessWindow(processId, [&](HWND window) {
        wchar_t className[32] = {0};
        GetClassNameW(window, className, 32);
        return std::wstring(className) == L"#32770" && WindowText(window) == caption &&
               (GetDlgItem(window, 0xFFFF) != nullptr) == messageBox;
    });
}

BOOL CALLBACK DumpWindow(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != static_cast<DWORD>(processId)) return TRUE;
    wchar_t className[64] = {0};
    GetClassNameW(window, className, 64);
    fwprintf(stderr, L"  window %p class '%ls' text '%ls' visible %d\n", (void*)window, className,
             WindowText(window).c_str(), IsWindowVisible(window));
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameW(child, className, 64);
        fwprintf(stderr, L"    child %d class '%ls' text '%ls' visible %d\n", GetDlgCtrlID(child), className,
                 WindowText(child).c_str(), IsWindowVisible(child));
    }
    return TRUE;
}

HWND WaitDialog(DWORD processId, const std::wstring& caption, bool messageBox, DWORD timeoutMs) {
    HWND found = nullptr;
    Eventually([&] { return (found = FindDialog(processId, caption, messageBox)) != nullptr; }, timeoutMs);
    if (!found) {
        fwprintf(stderr, L"no dialog '%ls' among the windows of process %lu:\n", caption.c_str(), processId);
        EnumWindows(DumpWindow, processId);
    }
    return found;
}

std::wstring CloseMessageBox(HWND box) {
    const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return text;
}

std::vector<HWND> VisibleChildren(HWND parent, int id) {
    std::vector<HWND> found;
    ChildSearch search = {id, &found};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return found;
}

namespace {

// A buffer in another process for one LVITEMW and its text.
class RemoteCell {
public:
    static const int kTextChars = 512;

    RemoteCell(HANDLE process) : m_process(process) {
        m_remote = static_cast<char*>(VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteCell() {
        if (m_remote) VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    }
    bool Valid() const { return m_remote != nullptr; }

    // The cell's text; false when the list did not answer for it (the row
    // went meanwhile). The text buffer is cleared first and only the
    // characters the list reports are taken, so no earlier cell shows through.
    bool Read(HWND list, int row, int column, std::wstring* text) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.cchTextMax = kTextChars;
        item.pszText = reinterpret_cast<LPWSTR>(m_remote + sizeof(LVITEMW));
        static const wchar_t kCleared[kTextChars] = {0};
        if (!WriteProcessMemory(m_process, m_remote, &item, sizeof(item), nullptr) ||
            !WriteProcessMemory(m_process, item.pszText, kCleared, sizeof(kCleared), nullptr)) {
            return false;
        }
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(m_remote), SMTO_ABORTIFHUNG,
                                 5000, &length) ||
            length >= static_cast<DWORD_PTR>(kTextChars)) {
            return false;
        }
        wchar_t buffer[kTextChars] = {0};
        if (length > 0 && !ReadProcessMemory(m_process, item.pszText, buffer, length * sizeof(wchar_t), nullptr))
            return false;
        text->assign(buffer, static_cast<size_t>(length));
        return true;
    }

private:
    static const SIZE_T kSize = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
    HANDLE m_process;
    char* m_remote = nullptr;
};

int ListItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// One pass over the rows; false when a cell could not be read or the row
// count changed under it.
bool ReadListPass(HWND list, RemoteCell& cell, int columns, std::vector<std::vector<std::wstring>>* rows) {
    rows->clear();
    const int count = ListItemCount(list);
    bool whole = true;
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells(columns);
        for (int column = 0; column < columns; ++column) whole = cell.Read(list, row, column, &cells[column]) && whole;
        rows->push_back(cells);
    }
    return whole && ListItemCount(list) == count;
}

}  // namespace

std::vector<std::vector<std::wstring>> ReadListView(HWND list, DWORD processId, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return rows;
    {
        RemoteCell cell(process);
        // A list being rebuilt is read again until two whole passes agree.
        std::vector<std::vector<std::wstring>> previous;
        bool havePrevious = false;
        for (int attempt = 0; cell.Valid() && attempt < 50; ++attempt) {
            const bool steady = ReadListPass(list, cell, columns, &rows);
            if (steady && havePrevious && rows == previous) break;
            havePrevious = steady;
            previous = rows;
            if (!steady) Sleep(10);
        }
    }
    CloseHandle(process);
    return rows;
}

LRESULT SendWithRemoteBytes(HWND window, DWORD processId, UINT message, WPARAM wParam, const void* bytes, size_t size) {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return 0;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    LRESULT result = 0;
    if (remote && WriteProcessMemory(process, remote, bytes, size, nullptr))
        result = SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return result;
}

std::wstring TreeViewSelectionText(HWND tree, DWORD processId) {
    const LPARAM selected = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!selected) return std::wstring();
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return std::wstring();
    const SIZE_T textChars = 260;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TVITEMW) + textChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    wchar_t text[260] = {0};
    if (remote) {
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(selected);
        item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(TVITEMW));
        item.cchTextMax = static_cast<int>(textChars);
        WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
        if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)))
            ReadProcessMemory(process, remote + sizeof(TVITEMW), text, sizeof(text) - sizeof(wchar_t), nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

void SetListViewCheck(HWND list, DWORD processId, int row, bool ticked) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendWithRemoteBytes(list, processId, LVM_SETITEMSTATE, row, &item, sizeof(item));
}

bool SaveWindowShot(HWND window, const std::wstring& path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD imageSize = ((width * 3 + 3) & ~3) * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out.good();
}

bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::wstring ShotPath(const wchar_t* name) {
    const wchar_t* dir = _wgetenv(L"DODAVOZI_SCREENSHOT_DIR");
    if (!dir || !*dir) return std::wstring();
    return std::wstring(dir) + L"\\" + name;
}

HWND FindPopupMenu(DWORD processId) {
    // A menu window is of class "#32768".
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (owner == processId && IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}
