// The device ids of a device list file (device.xml), read without the rest of
// the device records: all the schedule purge needs to know.
#pragma once

#include <afx.h>

#include <set>

// Adds the id of every Device element of every Organization element, with no
// maximum count. An id below 1000 is taken as the last id + 1 (the last id
// starting at 1000 and rising with each larger id), as the device registry
// stores it; a missing id is 0. Returns 0; -1 when the file is missing, holds
// no bytes or does not parse (ids untouched).
int ReadDeviceListIds(const CString& path, std::set<int>& ids);
