// CRecordFileQuery: the record files a device holds, which the scheduler
// turns into download tasks. The playback and download service answers it;
// the scheduler's tests answer it from a catalogue of their own.
#pragma once

#include <afx.h>

#include "app/engine/RECORD_TASK.h"

class CRecordFileQuery {
public:
    virtual ~CRecordFileQuery() = default;

    // Record files of one channel between two times into buffer (bufferSize
    // bytes); *count gets the number filled. 0 on success, -1 on failure.
    virtual int QueryRecordFiles(int fileType, int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end,
                                 const CString& cardNumber, RECORD_FILE_DESC* buffer, int bufferSize, int* count) = 0;
};
