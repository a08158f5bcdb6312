#include "app/engine/CDeviceSearch.h"

#include "common/CAutoLock.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "common/FailureLog.h"

void QVNET_CALL CDeviceSearch::ResultThunk(const DEVICE_SEARCH_RESULT* data, QVNET_USER user) {
    try {
        const STARTED_SEARCH* search = reinterpret_cast<const STARTED_SEARCH*>(user);
        if (!search || !data) return;
        search->owner->Queue(data);
        PostMainWndMessage(WM_TW_SEARCH_RESULT, (WPARAM)search->userValue, 0);
    } catch (...) {
        LOG_FAILURE_ERROR(L"search result callback", 0);
    }
}

int CDeviceSearch::Start(QVNET_USER userValue) {
    if (m_handle > 0) Stop(true);
    if (!m_sdk.StartDeviceSearch) return -1;
    m_started.push_back({this, userValue});
    int handle = m_sdk.StartDeviceSearch(ResultThunk, reinterpret_cast<QVNET_USER>(&m_started.back()), 0);
    if (handle <= 0) {
        m_started.pop_back();  // refused: the SDK kept nothing to call back with
        return -1;
    }
    m_handle = handle;
    return handle;
}

int CDeviceSearch::Stop(bool sdkAlive) {
    if (m_handle > 0 && m_sdk.StopDeviceSearch && sdkAlive) m_sdk.StopDeviceSearch(m_handle);
    m_handle = 0;
    return 0;
}

int CDeviceSearch::Queue(const DEVICE_SEARCH_RESULT* result) {
    CAutoLock guard(&m_lock);
    m_results.push_back(*result);
    return 0;
}

int CDeviceSearch::Pop(DEVICE_SEARCH_RESULT* out) {
    CAutoLock guard(&m_lock);
    if (m_results.empty()) return -1;
    *out = m_results.front();
    m_results.pop_front();
    return 0;
}
