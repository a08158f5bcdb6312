// Resource ids of the program. Each dialog group keeps its ids in a header of
// its own in its folder, so that groups can be added without touching each other.
#pragma once
#include "mainwindow/MainWindowIds.h"
#include "devices/DevManageIds.h"
#include "userlog/UserManageIds.h"
#include "userlog/LogQueryIds.h"
#include "schedules/ScheduleIds.h"
#include "records/RecordManageIds.h"
#include "schedules/SystemConfigIds.h"
