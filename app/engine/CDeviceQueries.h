// CDeviceQueries: what the program reads from, and opens on, a logged-in
// device through the network SDK, working on the caller's copy of the device
// record. It touches no registry and takes no lock, so the device manager
// calls it outside its records lock (the SDK's disconnect callback takes it).
#pragma once

#include <stdint.h>

#include "app/engine/DEVICE_RECORD.h"
#include "sdk/qvnetsdk/qvnetsdk.h"

class CDeviceQueries {
public:
    // Post-login reads into record, each keeping what it cannot read.
    static void ReadStatus(DEVICE_RECORD& record);
    static void ReadChannelNames(DEVICE_RECORD& record);
    static void ReadChannelFlags(DEVICE_RECORD& record);  // once per record
    static void ReadTalkFormats(DEVICE_RECORD& record);
    static void ReadDisks(DEVICE_RECORD& record);
    // Alarm ids and default names of the inputs (and the outputs).
    static void FillAlarms(DEVICE_RECORD& record, bool outputsToo);

    // The record-state check of one device: disks, per-channel record
    // states (into states, kMaxChannels bytes) and channel flags. 0, or the
    // last failure: -2 disks, -3 record states, -4 record plan, -5 clock.
    static int CheckRecordState(DEVICE_RECORD& record, uint8_t* states);

    // Sets the device clock to time when force, else only when the device
    // clock is behind it. 0 set; -1 otherwise.
    static int SyncClock(const DEVICE_RECORD& record, __time64_t time, bool force);

    // Opens two-way talk with the format at formatIndex and starts local
    // audio. The talk handle, or 0 when the index is invalid or a step failed
    // (nothing stays open).
    static int32_t OpenTalk(const DEVICE_RECORD& record, int formatIndex);
    static void CloseTalk(int32_t talkHandle);
};
