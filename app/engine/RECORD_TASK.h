// RECORD_SOURCE and RECORD_TASK: one download task of the engine, or one of
// its playback slots, with the record file it works on. Both are copied whole
// by value between the engine's lists and the main window's task list.
#pragma once

#include <stdint.h>

#include "sdk/qvnetsdk/qvnetsdk.h"

// Item types of a source.
enum {
    SOURCE_ITEM_NONE = 0,
    SOURCE_ITEM_DEVICE = 3,  // a recording on a device
    SOURCE_ITEM_LOCAL = 5,   // a local record file
};

// Progress value of a source whose download or playback has finished.
const uint32_t kSourceDone = 0xFFFFFFFFu;
// Play state and speed index of a constructed source.
const int32_t kPlayStateIdle = 3;
const int32_t kNormalSpeedIndex = 3;
// Schedule id of a task that belongs to no schedule; ids of this value or
// more are manual schedules.
const int32_t kNoScheduleId = 0x8000000;

struct RECORD_SOURCE {
    RECORD_SOURCE();

    int32_t playPort;  // -1 = none
    int32_t itemType;  // SOURCE_ITEM_*
    int32_t deviceId;
    int32_t channel;
    int32_t sdkHandle;  // 0 = none; -1 = the download start failed for good
    RECORD_FILE_DESC desc;
    char path[516];  // narrow: output file of a download, or the local file
    uint32_t done;   // kSourceDone = finished
    uint32_t total;
    int32_t received;    // stream bytes taken by a playback slot
    int32_t playState;   // 1 paused, 0 running
    int32_t speedIndex;  // 0..6, 3 = normal
};

struct RECORD_TASK {
    RECORD_TASK();

    int32_t state;   // download: 0 pending, 1 started; slot: 0 = shown through a play port
    int32_t taskId;  // -1 at construction
    RECORD_SOURCE source;
    int32_t sourceCount;
    RECORD_SOURCE secondSource;  // reserved
    int32_t srcDeviceId;
    int32_t srcChannel;
    int32_t scheduleId;
    int32_t weekday;  // 0 = Sunday

    bool IsManual() const { return scheduleId >= kNoScheduleId; }
};
