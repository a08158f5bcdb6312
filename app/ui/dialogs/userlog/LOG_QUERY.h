// LOG_QUERY: one log query handed to the log dialog's query thread. The
// dialog allocates it and frees it only after the thread has ended.
#pragma once

#include <afx.h>

#include <vector>

#include "app/core/CLogDB.h"

struct LOG_QUERY {
    std::vector<LOG_RECORD> results;  // filled by the query thread
    CTime month;                      // any moment of the month to read
    int type = -1;                    // -1 all types
    int code = -1;                    // -1 all codes
    CString user;                     // "" all users
    int result = 0;                   // CLogDB::Query's result (-2 the month could not be read)
};
