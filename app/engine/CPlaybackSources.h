// CPlaybackSources: the sources the playback slots play: device recordings
// by file or by time range, and local record files. The playback and
// download service answers it; the slots' tests answer it themselves.
#pragma once

#include <afx.h>

#include <stdint.h>

#include "app/engine/RECORD_TASK.h"
#include "app/engine/ReplayControl.h"

class CPlaybackSources {
public:
    virtual ~CPlaybackSources() = default;

    // The playback handle, or -1 for login 0 or a refused start.
    virtual int PlayByFile(int login, const RECORD_FILE_DESC& desc) = 0;
    virtual int PlayByTime(int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end) = 0;
    // The local source's handle with *sizeKB (and *lengthBytes when given)
    // set, or -1 when the file cannot be opened.
    virtual int OpenLocalFile(const CString& path, int* sizeKB, int64_t* lengthBytes = nullptr) = 0;
    // Stop and seek commands by handle kind (REPLAY_KIND_*, REPLAY_CMD_*).
    virtual int Control(int handle, int kind, int command, uint32_t value) = 0;
};
