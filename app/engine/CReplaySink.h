// CReplaySink: where the playback and download service delivers what the
// network SDK and the local-file sources produce. The backup engine implements
// it (its stream router and progress handlers); tests put their own in place.
//
// The service calls it on the SDK's threads and on its own pump thread, never
// with an exception allowed to leave: the service catches them at the
// callback boundary and treats a throwing data sink as "not taken".
#pragma once

#include <stdint.h>

class CReplaySink {
public:
    virtual ~CReplaySink() = default;

    // Stream data of a network playback or of a local source. Returns 1 when
    // the block was taken; any other value makes the source offer the same
    // block again later. Data for a handle the sink does not know yet must be
    // answered "not taken", never dropped.
    virtual int OnPlaybackData(int handle, int type, const uint8_t* data, int length) = 0;
    // Progress of a download by file, or of a playback, in KB.
    virtual void OnFileDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB) = 0;
    // Progress of a download by time, in KB; done is 0xFFFFFFFF once complete.
    virtual void OnTimeDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB, int index) = 0;
};
