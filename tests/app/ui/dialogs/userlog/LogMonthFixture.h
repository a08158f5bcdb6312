// Monthly operation-log files written for the log dialog's tests and benchmark.
#pragma once

#include <afx.h>

#include "app/core/CLogDB.h"

// Writes count records into the log file of the month of t, in one
// transaction, cycling through users, types and codes; record i (from 0) is
// stamped on day 1 + i % 28 and holds the text "entry <i>". False on failure.
bool WriteLogMonth(CLogDB& log, const CTime& month, int count);
// The user, type and code of record i of WriteLogMonth.
void LogMonthEntry(int i, CString* user, int* type, int* code);
