// Dodavozi.exe run as a process from a program folder of its own: a copy of
// the built deliverables and skin in a temporary folder, settings written
// there before the start, and the windows of the running program found and
// driven from outside by window messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"

class ProgramFolder {
public:
    // Copies build bin (the program, its libraries, the control, the skin).
    ProgramFolder();
    // Ends a program still running.
    ~ProgramFolder();

    std::wstring Path() const { return m_dir.Path(); }
    std::wstring File(const std::wstring& name) const { return m_dir.File(name); }
    // Writes key=value into a section of VAD_Config.ini or UserLogin.ini.
    void SetMainSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value);
    void SetUserSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value);
    // The super user logs in by itself at start.
    void UseAutomaticLogin();
    // A device list of one device that never answers (the login retries
    // quietly), in the folder's device.xml or a user's subfolder, so that
    // the start asks for no device.
    void WriteOneDeviceList(const std::wstring& userFolder = L"");

    // Starts one more copy of the program; returns its process handle. The
    // folder's first copy starts once no other copy of the program runs.
    HANDLE Start();
    // Waits for the process to end; true when it did within the time.
    static bool WaitExit(HANDLE process, DWORD timeoutMs = 20000);
    DWORD MainProcessId() const { return m_processId; }
    HANDLE MainProcess() const { return m_process; }

private:
    static const DWORD kOtherCopyEndMs = 60000;

    TempDir m_dir;
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    std::vector<HANDLE> m_others;
};

// A visible top-level window of the process whose caption is the text and
// whose class is a dialog's; null when there is none. A message box is told
// from a dialog by its text static (0xFFFF).
HWND FindDialog(DWORD processId, const std::wstring& caption, bool messageBox);
HWND WaitDialog(DWORD processId, const std::wstring& caption, bool messageBox, DWORD timeoutMs = 20000);
// The text of a message box (its static 0xFFFF), after which it is closed with OK.
std::wstring CloseMessageBox(HWND box);
std::wstring WindowText(HWND window);
// The open popup menu of the process; null when there is none.
HWND FindPopupMenu(DWORD processId);
// Every visible child with the id.
std::vector<HWND> VisibleChildren(HWND parent, int id);
// The cells of a list view of another process, row by row.
std::vector<std::vector<std::wstring>> ReadListView(HWND list, DWORD processId, int columns);
// Sends a message whose lParam points into the window's own process: the
// bytes are copied there first (messages of controls and common dialogs that
// the system does not carry across processes).
LRESULT SendWithRemoteBytes(HWND window, DWORD processId, UINT message, WPARAM wParam, const void* bytes, size_t size);
// The text of the selected item of another process's tree view.
std::wstring TreeViewSelectionText(HWND tree, DWORD processId);
// Ticks or clears the check box of a row of another process's list view.
void SetListViewCheck(HWND list, DWORD processId, int row, bool ticked);
// Where a screenshot of that name for the documentation goes: into the
// folder in DODAVOZI_SCREENSHOT_DIR (a Windows path); "" when none is asked for.
std::wstring ShotPath(const wchar_t* name);
// Saves what the screen shows of the window as a 24-bit BMP file.
bool SaveWindowShot(HWND window, const std::wstring& path);
// Polls (without pumping other windows) until the condition holds.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 20000);
