// The three plug-ins of one proxy instance, loaded at the first start and
// unloaded at the last stop.
#pragma once

#include <windows.h>

#include "proxy/CPluginModule.h"

// Loads Quorlan, Kestrin and Veddix, in that order, from the directory of
// proxyModule. A plug-in that fails to load leaves its type unusable.
void LoadPlugins(HMODULE proxyModule);
// Stops and frees them in the same order.
void UnloadPlugins();
// The plug-in of device type 0, 1 or 2 (loaded or not); NULL otherwise.
const CPluginModule* PluginOfType(int type);
