// CTargetNamer: where a new recording or picture goes. The disk keeper
// answers it; the download runner and the playback slots ask it.
#pragma once

#include <afx.h>

#include "app/engine/DEVICE_RECORD.h"

class CTargetNamer {
public:
    virtual ~CTargetNamer() = default;

    // 0 with the full path of a new file in the dated directory tree (mode 1
    // download, 2 picture, else record); -1 when no save directory can be
    // chosen.
    virtual int MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind,
                                   CString* outPath, int mode, CString recordTypeText) = 0;
    // 1 when the last measure found every save directory at or below the
    // free-space limit.
    virtual int IsDiskFull() const = 0;
};
