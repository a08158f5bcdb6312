// Resource ids of the program. Each dialog group keeps its ids in a header of
// its own under res/, so that groups can be added without touching each other.
#pragma once
#include "res/MainWindowIds.h"
#include "res/DevManageIds.h"
#include "res/UserManageIds.h"
#include "res/LogQueryIds.h"
#include "res/ScheduleIds.h"
#include "res/RecordManageIds.h"
#include "res/SystemConfigIds.h"
