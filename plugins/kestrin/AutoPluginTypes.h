// Records that cross the boundary between the proxy and this plug-in: the
// proxy's own contract header, so both sides keep one layout.
#pragma once

#include "plugins/PluginInterface.h"

#define KESTRIN_CALL PLUGIN_CALL
