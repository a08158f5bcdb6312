// CRecordFileUse: whether a recording on disk is still needed, so the disk
// clean-up spares it: a slot plays it (or has it in its playlist), a
// conversion writes it, or the backup copy has yet to copy it. The engine
// answers it from those three; the disk keeper's tests answer it themselves.
#pragma once

#include <afx.h>

class CRecordFileUse {
public:
    virtual ~CRecordFileUse() = default;

    virtual bool IsRecordFileInUse(const CString& path) = 0;
};
