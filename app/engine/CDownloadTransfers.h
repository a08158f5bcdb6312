// CDownloadTransfers: the SDK downloads the download runner starts and
// stops. The playback and download service answers it; the runner's tests
// answer it with files of their own.
#pragma once

#include <afx.h>

#include <stdint.h>

#include "app/engine/RECORD_TASK.h"
#include "app/engine/ReplayControl.h"

class CDownloadTransfers {
public:
    virtual ~CDownloadTransfers() = default;

    // Download into a local file that the SDK writes itself. The download
    // handle; -1 when the device is busy or timed out (retry later); -2 for
    // any other refusal.
    virtual int DownloadToFile(int login, const RECORD_FILE_DESC& desc, const CString& path) = 0;
    // Stop (and seek) commands by handle kind (REPLAY_KIND_*, REPLAY_CMD_*).
    virtual int Control(int handle, int kind, int command, uint32_t value) = 0;
};
