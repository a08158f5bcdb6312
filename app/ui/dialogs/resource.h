// Resource ids of the program. Each dialog group keeps its ids in a header of
// its own under res/, so that groups can be added without touching each other.
#pragma once
#include "res/MainWindowIds.h"
