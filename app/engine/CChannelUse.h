// CChannelUse: who else uses a device channel. The playback slots, the
// download runner and the conversion queue each refuse a channel another of
// them holds; a part asks the others through this, never holding them. The
// engine answers it once every part exists (no part asks while it is being
// built); a part's tests answer it themselves.
//
// Called with the asking part's own lock possibly held (the slots ask while
// holding theirs): an answer takes only the answering part's lock.
#pragma once

#include "app/engine/RECORD_TASK.h"

class CChannelUse {
public:
    virtual ~CChannelUse() = default;

    // A playback slot shows, or a slot's playlist starts with, the channel.
    virtual bool IsChannelPlaying(int deviceId, int channel) = 0;
    // A started download of the channel is running.
    virtual bool IsChannelDownloading(int deviceId, int channel) = 0;
    // A started conversion reads the recording's channel.
    virtual bool IsChannelConverting(int deviceId, const RECORD_FILE_DESC& desc) = 0;
};
