// CDeviceSearch: the LAN device search the device dialogs run through the
// network SDK, and the results its callback queues for the UI thread (the
// main window is told with WM_TW_SEARCH_RESULT and pops them). The dialogs
// take the record of a found device, DEVICE_SEARCH_RESULT, from here and
// never include the SDK's contract themselves.
//
// Lock: m_lock guards the result queue and is a leaf. The search handle is
// changed only by the UI thread.
#pragma once

#include <list>

#include "app/core/CLock.h"
#include "app/engine/CNetSdk.h"

class CDeviceSearch {
public:
    explicit CDeviceSearch(QVNET_API& sdk) : m_sdk(sdk) {}

    // One search at a time: a running one is stopped first. The handle, or
    // -1 when the SDK refuses or has none.
    int Start(QVNET_USER userValue);
    // Stops the running search through the SDK when sdkAlive (after the
    // engine's shut-down the SDK is gone). 0.
    int Stop(bool sdkAlive);
    int Queue(const DEVICE_SEARCH_RESULT* result);  // 0
    int Pop(DEVICE_SEARCH_RESULT* out);             // 0 popped, -1 empty

private:
    QVNET_API& m_sdk;
    int m_handle = 0;
    CLock m_lock;
    std::list<DEVICE_SEARCH_RESULT> m_results;
};
