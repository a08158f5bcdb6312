// The recorder the program tests back up from: ten-minute files from 01:00
// to 01:30 yesterday and today on every channel, so that both a schedule for
// today and a manual download of yesterday find files.
#pragma once

#include <afx.h>

#include "tools/simrecorder/CSimRecorder.h"

inline SimRecorderConfig TwoDayRecordings(int channelCount) {
    SimRecorderConfig config;
    config.channelCount = channelCount;
    SimCatalogueRule rule;
    const CTime yesterday = CTime::GetCurrentTime() - CTimeSpan(1, 0, 0, 0);
    rule.firstDay = {
        (uint32_t)yesterday.GetYear(), (uint32_t)yesterday.GetMonth(), (uint32_t)yesterday.GetDay(), 0, 0, 0};
    rule.days = 2;
    rule.fileMinutes = 10;
    rule.dayStartSecond = 3600;
    rule.dayEndSecond = 3600 + 1800;
    config.rules.push_back(rule);
    return config;
}
