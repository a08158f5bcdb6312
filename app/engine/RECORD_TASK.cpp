#include "app/engine/RECORD_TASK.h"

#include <string.h>

RECORD_SOURCE::RECORD_SOURCE()
    : playPort(-1),
      itemType(SOURCE_ITEM_NONE),
      deviceId(0),
      channel(0),
      sdkHandle(0),
      done(0),
      total(0),
      received(0),
      playState(kPlayStateIdle),
      speedIndex(kNormalSpeedIndex) {
    memset(&desc, 0, sizeof(desc));
    memset(path, 0, sizeof(path));
}

RECORD_TASK::RECORD_TASK()
    : state(0), taskId(-1), sourceCount(1), srcDeviceId(0), srcChannel(0), scheduleId(kNoScheduleId), weekday(0) {}
