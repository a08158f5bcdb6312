#include "CWinThread.h"

#include "CWnd.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {

CWinThread*& ThreadObject() {
    thread_local CWinThread* thread = nullptr;
    return thread;
}

}  // namespace

CWinThread* AfxGetThread() { return ThreadObject(); }

void AfxSetThread(CWinThread* thread) { ThreadObject() = thread; }

CWinThread::CWinThread() : m_pMainWnd(nullptr), m_hThread(nullptr), m_nThreadID(0), m_msgCur() {}

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

BOOL CWinThread::OnIdle(LONG count) {
    AfxUnlockTempMaps();
    return FALSE;
}

BOOL CWinThread::PumpMessage() {
    if (::GetMessageW(&m_msgCur, nullptr, 0, 0) <= 0) return FALSE;
    if (!AfxPreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run() {
    LONG idleCount = 0;
    for (;;) {
        while (!::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) break;
        }
        idleCount = 0;
        if (!PumpMessage()) return ExitInstance();
    }
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) {
    if (CWnd::WalkPreTranslateTree(GetMainWnd()->GetSafeHwnd(), msg)) return TRUE;
    // A modeless window outside the main window's tree still gets the main
    // window's keyboard handling. Looked up after the walk: the walk may
    // have ended the main window or the message's window.
    CWnd* mainWnd = GetMainWnd();
    if (mainWnd && mainWnd->m_hWnd && ::IsWindow(mainWnd->m_hWnd) && msg->hwnd && ::IsWindow(msg->hwnd)) {
        HWND top = CWnd::FromHandle(msg->hwnd)->GetTopLevelParent()->GetSafeHwnd();
        if (top != mainWnd->m_hWnd) return mainWnd->PreTranslateMessage(msg);
    }
    return FALSE;
}

BOOL AfxPumpMessage() {
    if (CWinThread* thread = AfxGetThread()) return thread->PumpMessage();
    MSG msg;
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) return FALSE;
    if (!AfxPreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

BOOL AfxPreTranslateMessage(MSG* msg) {
    if (CWinThread* thread = AfxGetThread()) return thread->PreTranslateMessage(msg);
    return CWnd::WalkPreTranslateTree(nullptr, msg);
}

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : nullptr;
}
