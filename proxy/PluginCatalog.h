// The three device plug-ins the proxy knows, by device type.
#pragma once

#include "proxy/CPluginModule.h"

const int kPluginTypeCount = 3;

// File and function names of the plug-in for type 0 (Quorlan), 1 (Kestrin)
// or 2 (Veddix); NULL for any other type.
const PluginNames* PluginNamesOfType(int type);
