// Operation-log codes the engine writes (log type 1).
#pragma once

enum {
    LOG_DEVICE_OFFLINE = 1014,
    LOG_SCHEDULE_START = 1025,
    LOG_SCHEDULE_STOP = 1026,
};

// Log type 0 (system): a stored file could not be read and was set aside.
const int LOG_TYPE_SYSTEM = 0;
const int LOG_SYSTEM_ERROR = 3;
