// CRecordManageHost: what the record manager's windows ask of the window that
// owns the record manager (the main window): playing files in a pane, the
// play commands, moving the pane selection on, the backup copy thread, and
// the folder and file choosers (the system's own unless a host says else).
#pragma once

#include <afxwin.h>

#include <vector>

class CRecordManageHost {
public:
    virtual ~CRecordManageHost() = default;

    // Pane -1 is the selected pane: -101 when none is selected; otherwise
    // the engine's result of playing the files in that pane's slot.
    virtual int PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& files) = 0;
    // Pane -1 is the selected pane: -1 when none is selected, else 0.
    virtual int PlayControl(int pane, int command, int value) = 0;
    // Moves the pane selection on when opened is 1. Returns 0.
    virtual int AdvanceVideoPane(int opened) = 0;
    // Starts copying the engine's list of backup files.
    virtual void StartBackupCopyThread() = 0;

    // The chosen folder, or "" when cancelled (errorText shown when the
    // choice has no file-system path).
    virtual CString ChooseFolder(CWnd* owner, const CString& title, const CString& errorText);
    // The chosen files in the dialog's order; empty when cancelled.
    virtual std::vector<CString> ChooseFiles(CWnd* owner, DWORD flags, const CString& filter);
};
