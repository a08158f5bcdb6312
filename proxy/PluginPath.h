// Where the proxy finds its plug-ins: beside its own module, whatever the
// case in which the path is written. Pure text handling.
#pragma once

#include <cstddef>

// Position of "portmoor.dll" in path, compared without regard to case, or -1
// when it does not occur within the first 1024 characters.
int FindProxyFileName(const char* path);

// Writes the path of pluginFile in the directory of modulePath into out,
// keeping the original case of the directory. The directory ends where
// "portmoor.dll" stands, else after the last path separator. False (out
// emptied) when out is too small or an argument is missing.
bool BuildPluginPath(const char* modulePath, const char* pluginFile, char* out, size_t outSize);
