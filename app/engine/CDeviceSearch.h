// CDeviceSearch: the LAN device search the device dialogs run through the
// network SDK, and the results its callback queues for the UI thread (the
// main window is told with WM_TW_SEARCH_RESULT and pops them). The dialogs
// take the record of a found device, DEVICE_SEARCH_RESULT, from here and
// never include the SDK's contract themselves.
//
// The SDK hands its results back with the value a search was started with:
// that value is the search's own record (this object and the caller's
// value to post), so a result reaches the search that asked for it.
//
// Lock: m_lock guards the result queue and is a leaf. The search handle and
// the records are changed only by the UI thread.
#pragma once

#include <list>

#include "common/CLock.h"
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
    // What a started search carries through the SDK. Kept until this object
    // goes: a result of a stopped search may still be on its way.
    struct STARTED_SEARCH {
        CDeviceSearch* owner;
        QVNET_USER userValue;
    };
    static void QVNET_CALL ResultThunk(const DEVICE_SEARCH_RESULT* data, QVNET_USER user);

    QVNET_API& m_sdk;
    int m_handle = 0;
    std::list<STARTED_SEARCH> m_started;
    CLock m_lock;
    std::list<DEVICE_SEARCH_RESULT> m_results;
};
