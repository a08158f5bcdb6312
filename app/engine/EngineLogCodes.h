// Operation-log codes the engine writes (log type 1).
#pragma once

enum {
    LOG_DEVICE_OFFLINE = 1014,
    LOG_SCHEDULE_START = 1025,
    LOG_SCHEDULE_STOP = 1026,
};
