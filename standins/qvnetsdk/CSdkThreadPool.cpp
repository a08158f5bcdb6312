#include "standins/qvnetsdk/CSdkThreadPool.h"

#include <thread>

namespace {

// Long enough to bridge the caller's pauses between transfers (a backup
// starts its next file on a one-second tick); short enough that an idle
// SDK holds no threads for long.
const DWORD kWaitForWorkMs = 30 * 1000;
// More waiting threads than concurrent transfers would never be used.
const int kMaxWaiting = 16;

void RunGuarded(const std::function<void()>& body) {
    try {
        body();
    } catch (...) {}
}

}  // namespace

void CSdkThreadPool::Run(std::function<void()> body) {
    {
        CAutoLock lock(&m_lock);
        if (m_waiting > 0 && !m_stopped) {
            // Claims one waiting thread: whichever wakes first takes the work.
            --m_waiting;
            m_work.push_back(std::move(body));
            m_wake.WakeOne();
            return;
        }
        ++m_live;
        ++m_started;
    }
    std::thread([this, body] { Serve(body); }).detach();
}

void CSdkThreadPool::Serve(std::function<void()> body) {
    do {
        RunGuarded(body);
    } while (NextWork(body));
}

bool CSdkThreadPool::NextWork(std::function<void()>& body) {
    CAutoLock lock(&m_lock);
    if (!m_stopped && m_waiting < kMaxWaiting) {
        ++m_waiting;
        m_wake.WaitFor(lock, kWaitForWorkMs, [this] { return m_stopped || !m_work.empty(); });
        if (!m_work.empty()) {
            // Run already took this thread out of the waiting count.
            body = std::move(m_work.front());
            m_work.pop_front();
            return true;
        }
        --m_waiting;
    }
    --m_live;
    return false;
}

void CSdkThreadPool::StopWaiting() {
    CAutoLock lock(&m_lock);
    m_stopped = true;
    m_wake.WakeAll();
}

void CSdkThreadPool::Reopen() {
    CAutoLock lock(&m_lock);
    m_stopped = false;
}

int CSdkThreadPool::Live() const {
    CAutoLock lock(&m_lock);
    return m_live;
}

int CSdkThreadPool::Waiting() const {
    CAutoLock lock(&m_lock);
    return m_waiting;
}

int CSdkThreadPool::Started() const {
    CAutoLock lock(&m_lock);
    return m_started;
}
