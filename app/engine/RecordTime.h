// Conversions between the SDK's QVNET_TIME and the program's CTime and texts.
#pragma once

#include <afx.h>

#include "sdk/qvnetsdk/qvnetsdk.h"

QVNET_TIME ToQvnetTime(const CTime& time);
// Local time with the daylight-saving flag left to the C library.
CTime FromQvnetTime(const QVNET_TIME& time);
// "%04d-%02d-%02d %02d:%02d:%02d" of the fields as they stand.
CString FormatQvnetTime(const QVNET_TIME& time);
// True when the date is one the program accepts (IsValidDate).
bool IsValidQvnetDate(const QVNET_TIME& time);
