// Conversion of the caller's device records into the plug-in's records.
#pragma once

#include <cstddef>

#include "plugins/PluginInterface.h"
#include "proxy/Portmoor.h"

// Copies the text of a source field into dest, reading at most srcSize bytes
// and always terminating within destSize (nothing when destSize is 0), so a
// field that lacks its terminator cannot run past its width.
void CopyTextField(char* dest, size_t destSize, const char* src, size_t srcSize);

template <size_t D, size_t S>
void CopyTextField(char (&dest)[D], const char (&src)[S]) {
    CopyTextField(dest, D, src, S);
}

// Fills out from in: the record is zeroed, then address, port, user name,
// password and registration id are copied; withCounts (registering devices)
// also copies stream mode, channel count and device information.
void FillPluginRecord(const PROXY_DEVICE_INFO& in, bool withCounts, PLUGIN_DEVICE_RECORD& out);
