// Stored files the program could not read (a list, the users, a database):
// each is moved aside under a name that says so, before anything writes a
// new one in its place, and the move is reported. Every store sets its
// files aside through here, so they all keep them the same way.
//
// Reports go two ways: to a listener (the engine writes them to the
// operation log) and into a list of notices that the user interface takes
// and shows; the main window is posted WM_TW_UNREADABLE_FILE for them.
#pragma once

#include <afx.h>
#include <windows.h>

#include <functional>
#include <vector>

// A file set aside: where it was, and where it is kept now.
struct UNREADABLE_FILE {
    CString path;
    CString keptAs;  // empty when it could be neither moved nor copied aside
};

// "<path>.unreadable-<yyyymmdd>-<hhmm>" of the time, and for number 2 and up
// "-<number>" after that.
CString UnreadableFileName(const CString& path, const SYSTEMTIME& when, int number);

// Moves the file to the first free UnreadableFileName of the current local
// time; a file of that name is never replaced. The companion files
// "<path><suffix>" that exist (a database's journal) follow it as
// "<kept name><suffix>". When the file cannot be moved (another program holds
// it open) it is copied there instead. Then reports it. Returns 0 moved
// (path is free for a new file); 1 copied (path still holds the file); -1
// kept nowhere (reported all the same, with an empty keptAs).
int SetAsideUnreadableFile(const CString& path, const std::vector<CString>& companionSuffixes = {},
                           UNREADABLE_FILE* result = nullptr);

// Called with every file set aside, on the thread that set it aside and
// possibly under the lock of the store that did; it must not call back into
// that store. An empty function removes the listener.
void SetUnreadableFileListener(const std::function<void(const UNREADABLE_FILE&)>& listener);

// The files set aside since the last call, oldest first; each is handed out
// once.
std::vector<UNREADABLE_FILE> TakeUnreadableFileNotices();
