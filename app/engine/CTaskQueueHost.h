// CTaskQueueHost: what the conversion task queue asks of the backup engine
// about devices. Called without the queue's lock held.
#pragma once

#include "sdk/qvnetsdk/qvnetsdk.h"

class CTaskQueueHost {
public:
    virtual ~CTaskQueueHost() = default;

    // The login handle of a device that is logged in with a non-zero handle;
    // 0 for an unknown device or one that is not logged in.
    virtual int GetLoginHandle(int deviceId) = 0;
    // 1 when a playback slot uses the descriptor's channel of the device, 2
    // when an active download uses it, any other value when it is free.
    virtual int CheckChannelBusy(int deviceId, const RECORD_FILE_DESC& desc) = 0;
};
