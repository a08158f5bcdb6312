// The SDK's threads. Starting a thread under Wine costs milliseconds, more
// than a small file's whole transfer, so a thread whose work has ended waits
// a while for the next piece (a download, a session's reader, a search)
// before it ends.
#pragma once

#include <deque>
#include <functional>

#include "common/CLockCondition.h"

class CSdkThreadPool {
public:
    CSdkThreadPool() = default;
    CSdkThreadPool(const CSdkThreadPool&) = delete;
    CSdkThreadPool& operator=(const CSdkThreadPool&) = delete;

    // Runs `body` on a waiting thread, or on a new one when none waits.
    void Run(std::function<void()> body);
    // Ends the waiting threads and lets every busy one end once its work
    // returns. Does not wait; Live() tells when they are gone.
    void StopWaiting();
    // Threads may wait again (after a later initialisation).
    void Reopen();

    int Live() const;     // threads alive, busy or waiting
    int Waiting() const;  // threads without work, waiting for the next piece
    int Started() const;  // threads ever started

private:
    void Serve(std::function<void()> body);
    // Waits for the next piece of work; false when the thread is to end.
    bool NextWork(std::function<void()>& body);

    mutable CLock m_lock;
    CLockCondition m_wake;
    std::deque<std::function<void()>> m_work;  // handed to waiting threads, not yet taken
    int m_live = 0;
    int m_waiting = 0;  // waiting threads not yet claimed by a Run
    int m_started = 0;
    bool m_stopped = false;
};
