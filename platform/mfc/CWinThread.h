// A thread with a message loop that offers every message to the windows'
// PreTranslateMessage before dispatching it.
#pragma once

#include "CCmdTarget.h"

class CWnd;

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();

    CWnd* m_pMainWnd;
    HANDLE m_hThread;
    DWORD m_nThreadID;

    virtual BOOL InitInstance() { return FALSE; }
    // The exit code of the thread.
    virtual int ExitInstance();
    // Pumps messages until WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    // Walks the message's window chain up to the main window, then gives a
    // modeless window's message to the main window too. TRUE when consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Idle work; TRUE to be called again before the next message.
    virtual BOOL OnIdle(LONG count);
    // Gets and dispatches one message; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    MSG m_msgCur;
};

// The framework thread object of the calling thread: the application object
// on its own thread, NULL on threads the framework did not start.
CWinThread* AfxGetThread();
void AfxSetThread(CWinThread* thread);
// One message through the calling thread's pump; FALSE on WM_QUIT.
BOOL AfxPumpMessage();
// TRUE when a window consumed msg before dispatch.
BOOL AfxPreTranslateMessage(MSG* msg);
// The calling thread's main window; NULL when it has none.
CWnd* AfxGetMainWnd();
