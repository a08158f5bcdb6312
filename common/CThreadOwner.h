// CThreadOwner: one worker thread, a manual-reset stop event and the join.
// The body asks StopRequested() between steps and waits with WaitForStop()
// instead of sleeping, so a stop is seen at once, not after a poll period.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "common/FailureLog.h"
#include "common/UniqueHandle.h"

class CThreadOwner {
public:
    CThreadOwner() : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    // Joins a thread still running: its body may touch its owner.
    ~CThreadOwner() { Stop(INFINITE); }
    CThreadOwner(const CThreadOwner&) = delete;
    CThreadOwner& operator=(const CThreadOwner&) = delete;

    // Runs body on a new thread. False when a thread of this owner is still
    // alive (nothing started) or the thread cannot be made. An earlier
    // thread that has ended is joined first; the stop event is cleared.
    bool Start(std::function<void()> body) {
        if (IsAlive()) return false;
        m_thread.Reset();
        m_threadId = 0;
        ResetEvent(m_stop.Get());
        m_stopRequested = false;
        // The thread owns its copy of the body: one let go on a time-out
        // keeps running it while a new thread may start with another.
        std::function<void()>* owned = new std::function<void()>(std::move(body));
        // Made suspended so the handle is stored before the body can ask
        // IsRunning() about its own thread.
        DWORD threadId = 0;
        m_thread.Reset(CreateThread(nullptr, 0, ThreadProc, owned, CREATE_SUSPENDED, &threadId));
        if (!m_thread) {
            delete owned;
            return false;
        }
        m_threadId = threadId;
        ResumeThread(m_thread.Get());
        return true;
    }
    // Signals the stop event; does not wait.
    void RequestStop() {
        m_stopRequested = true;
        SetEvent(m_stop.Get());
    }
    // Signals stop and waits up to waitMs for the thread to end. True when it
    // ended (or none ran). On time-out the thread is let go: its handle is
    // closed and the owner may start another.
    bool Stop(DWORD waitMs = INFINITE) {
        if (!m_thread) return true;
        RequestStop();
        const bool ended = WaitForSingleObject(m_thread.Get(), waitMs) == WAIT_OBJECT_0;
        m_thread.Reset();
        m_threadId = 0;
        return ended;
    }
    // As Stop, but a thread that does not end in time is kept: it stays
    // alive to IsAlive and Start refuses to run a second body beside it
    // (which would clear the stop event the first one still waits on).
    bool Join(DWORD waitMs) {
        if (!m_thread) return true;
        RequestStop();
        if (WaitForSingleObject(m_thread.Get(), waitMs) != WAIT_OBJECT_0) return false;
        m_thread.Reset();
        m_threadId = 0;
        return true;
    }
    // Read from a flag, not the event: a body asks between every step, and
    // asking a kernel object is a trip through the system (under Wine through
    // its server), which a pass over thousands of steps would pay each time.
    bool StopRequested() const { return m_stopRequested; }
    // Waits up to ms; true when a stop was requested meanwhile.
    bool WaitForStop(DWORD ms) const { return WaitForSingleObject(m_stop.Get(), ms) == WAIT_OBJECT_0; }
    // The stop event, for a body that waits on it together with other handles.
    HANDLE StopEvent() const { return m_stop.Get(); }
    // A thread was started and has not returned yet.
    bool IsAlive() const { return m_thread && WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT; }
    // Alive and not asked to stop. The thread asking about itself is alive
    // without asking the system.
    bool IsRunning() const { return (IsCurrentThread() || IsAlive()) && !StopRequested(); }

private:
    static DWORD WINAPI ThreadProc(void* param) {
        std::function<void()>* body = static_cast<std::function<void()>*>(param);
        try {
            (*body)();
        } catch (...) {
            // No exception may end the process from a worker thread.
            LOG_FAILURE_ERROR(L"worker thread", 0);
        }
        delete body;
        return 0;
    }

    bool IsCurrentThread() const { return m_threadId != 0 && m_threadId == GetCurrentThreadId(); }

    CUniqueHandle m_stop;
    CUniqueHandle m_thread;
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_stopRequested{false};
};
