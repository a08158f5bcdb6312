// Windows itself: version class, tray icon, start with Windows, COM server
// registration, the single-instance mutex, messages to the main window from
// any thread, the last-chance exception filter, help, DPI and message pumping.
#pragma once

#include <afx.h>
#include <shellapi.h>

// Id of the program's one notification-area icon.
const UINT ID_TW_TRAY_ICON = 0xFF00;
// The tray record is always passed in its version-3 size: the toolchain's
// sizeof(NOTIFYICONDATAW) is larger and older shells refuse it. The record
// holds a window and an icon handle, so its size follows the architecture.
const DWORD kTrayRecordSize = sizeof(void*) == 8 ? 968 : 952;

// Version class of the running Windows: 0 unknown or 9x/NT4, 1 2000, 2 XP
// (and XP x64, and every version after 6.1), 3 Server 2003, 4 Vista, 5 Server
// 2008 (R2), 6 Windows 7.
int GetOsVersionCode();
// The same from given version data: the architecture as in SYSTEM_INFO and
// the SM_SERVERR2 metric.
int OsVersionCodeFrom(const OSVERSIONINFOEXW& version, WORD processorArchitecture, int serverR2Metric);

// The main window registers its handle when it is created and clears it
// (null) when it is destroyed; the tray record it filled with AddTrayIcon
// stays reachable for the exception filter while it is registered. Safe to
// call while worker threads post.
void SetMainWindow(HWND mainWindow, const NOTIFYICONDATAW* trayRecord);
HWND GetMainWindowHandle();
// Both return 0. Post (or send) the message to the registered main window;
// nothing happens while none is registered.
int PostMainWndMessage(UINT message, WPARAM wParam, LPARAM lParam);
int SendMainWndMessage(UINT message, WPARAM wParam, LPARAM lParam);

// Fills the record (version-3 size, id ID_TW_TRAY_ICON, message, icon and tip
// flags, tip cut to 127 characters) and adds the icon. Returns the shell's
// result.
BOOL AddTrayIcon(HWND window, HICON icon, UINT callbackMessage, const CString& tip, NOTIFYICONDATAW* record);
// Removes the icon the record names. Returns the shell's result.
BOOL DeleteTrayIcon(NOTIFYICONDATAW record);

// Writes (on) or deletes (off) the value under the machine-wide Run key; a
// command holding a blank is quoted. The value is written only when the Run
// key already exists. Returns 0, or -1 when the key cannot be opened or the
// value cannot be written (also when on and the key had to be created).
int SetAutoStart(const CString& name, const CString& command, BOOL on);
// The same under any key (the Run key is this with HKEY_LOCAL_MACHINE).
int SetAutoStartUnder(HKEY root, const CString& subKey, const CString& name, const CString& command, BOOL on);

// Loads the library and calls its DllRegisterServer (DllUnregisterServer).
// Returns 1 on success (the library stays loaded); else 0 after a box with
// the failure text (the library is freed).
int RegisterComServer(const CString& libraryFile, const CString& failureText);
int UnregisterComServer(const CString& libraryFile, const CString& failureText);

// Creates or opens the named mutex (not owned) into *handle, which the caller
// keeps for the life of the process. Returns 0 after a box with the text when
// it already existed; else 1 (also when it cannot be created: handle null).
int CheckSingleInstance(const CString& mutexName, HANDLE* handle, const CString& runningText);

// Unhandled-exception filter: removes the main window's tray icon for every
// exception and lets the process end (never resumes at the fault).
LONG WINAPI AppExceptionFilter(EXCEPTION_POINTERS* exception);

// 1 the first time on this machine (the registry marker is then set), else 0.
int IsFirstRun();
// "file::/topic#anchor" (topic and anchor only when given).
CString BuildHelpPath(const CString& helpFile, const CString& topic, const CString& anchor);
// Opens the HTML help file at the topic. Returns the help window or null.
HWND ShowHelp(const CString& helpFile, const CString& topic, const CString& anchor);
// Marks the process DPI-aware where the system offers it.
void SetDpiAware();
// Dispatches every message waiting in this thread's queue. Returns 0.
int PumpMessages();
