// CNoticeQueue: notices that any thread posts and the user interface takes
// in one go, oldest first, each handed out once.
#pragma once

#include <utility>
#include <vector>

#include "common/CAutoLock.h"
#include "common/CLock.h"

template <typename Notice>
class CNoticeQueue {
public:
    void Post(const Notice& notice) {
        CAutoLock guard(&m_lock);
        m_pending.push_back(notice);
    }

    // Posts the notice when admit() says so. admit runs under the queue's
    // lock, which thereby also guards what it reads and writes (a record of
    // notices already told); it must not call back into the queue.
    template <typename Admit>
    bool PostIf(const Notice& notice, Admit&& admit) {
        CAutoLock guard(&m_lock);
        if (!admit()) return false;
        m_pending.push_back(notice);
        return true;
    }

    // The notices posted since the last call, oldest first.
    std::vector<Notice> Take() {
        std::vector<Notice> taken;
        CAutoLock guard(&m_lock);
        taken.swap(m_pending);
        return taken;
    }

private:
    CLock m_lock;
    std::vector<Notice> m_pending;
};
